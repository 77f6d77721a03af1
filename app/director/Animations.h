#pragma once
// The frame animations that message codes play on the keyboard: sweeps across the rows,
// color streams and bands across the columns, the banner, the fades and the flash.
//
// Each one draws its frames on copies of the profile bitmap it is handed, sends them
// through Lighting and waits between frames by running the main loop (so timers and the
// interface stay alive), and returns after its last frame. None of them keeps state.
#include "FramePaint.h"
#include "KeyboardFrames.h"
#include "Lighting.h"
#include "RunLoop.h"

namespace et {

enum class SweepDirection { down, up };

// The three color streams; the code that plays each is its name.
enum class ColorStream { A, F, n };

// The two palettes of the five-color sweep.
enum class SweepPalette { N, L };

class Animations {
  public:
    // `frames` supplies setAllKeys, whose target device follows single-color mode.
    Animations(Lighting& lighting, RunLoop& runLoop, KeyboardFrames& frames);

    // Codes G g S s M m a: a bright row with dim neighbours moving down or up. Color sets
    // 1–4; anything else is taken as 1.
    void rowSweep(int colorSet, SweepDirection direction, LightingBitmap profile, bool singleColor);
    // Codes A, F and n: colors entering at the center column and flowing outward.
    void colorStream(ColorStream stream, LightingBitmap profile, bool singleColor);
    // Code T: white and blue diagonal stripes sliding across.
    void stripes(LightingBitmap profile, bool singleColor);
    // Code h: a cyan checkerboard rolling down the rows.
    void checkerboard(LightingBitmap profile, bool singleColor);
    // Code J: rainbow rows appearing top to bottom.
    void rainbow(LightingBitmap profile, bool singleColor);
    // Codes N and L: a head band running left to right with its trail behind it.
    void fiveColorSweep(SweepPalette palette, LightingBitmap profile, bool singleColor);
    // Codes H and r: rows 2–4 in `color` framed by white; stays until something else is sent.
    void banner(const Color& color);
    // Code B: a pale blue burst from the center outward.
    void centerBurst(LightingBitmap profile);
    // These three return whether they ran to their end: false when abandon() came while
    // they played, so that what was to follow them is left to the reset.
    // Code W: the columns go dark right to left, then only Esc stays lit.
    bool fadeToDark(LightingBitmap profile);
    // Code V: the profile returns column by column from the left.
    bool fadeBack(LightingBitmap profile);
    // Codes f and K: black and white in turn, leaving the keyboard black.
    bool blackAndWhiteFlash();

    // The animation playing now draws nothing more and stops waiting; so does every later
    // one until resume().
    void abandon() {
        abandoned_ = true;
        ++abandons_;
    }
    void resume() { abandoned_ = false; }

  private:
    // Every frame goes through these, so an abandoned animation leaves the keyboard alone.
    void send(const LightingBitmap& bitmap);
    void paintAll(const Color& color);
    void target(int device);
    void lightKey(int32_t keyName, int red, int green, int blue);
    void wait(double seconds);

    Lighting& lighting_;
    RunLoop& runLoop_;
    KeyboardFrames& frames_;
    bool abandoned_ = false;
    uint64_t abandons_ = 0;
};

} // namespace et
