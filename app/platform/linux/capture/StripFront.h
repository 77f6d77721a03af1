#pragma once
// The game in front where the desktop cannot say which window has the focus (GNOME, KDE
// Plasma and other compositors without a window list for other programs): the add-on
// paints its strip only while the game is shown, so the game counts as in front while
// strip frames are read, and until 2 s after the last one.
#include "ScreenSource.h"

#include <atomic>
#include <chrono>
#include <functional>

namespace et {

class StripFront {
  public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;
    static constexpr std::chrono::milliseconds kLinger{2000};

    explicit StripFront(Now now = Clock::now) : now_(std::move(now)) {}

    // Capture thread: a frame read `scanWidth` points wide.
    void frameRead(const ScreenImage& image, double scanWidth);
    // Any thread.
    bool inFront() const;

    // The add-on's strip, not just any screen: both markers lit, and not every cell lit
    // (a white desktop lights them all).
    static bool isStripFrame(const ScreenImage& image, double scanWidth);

  private:
    Now now_;
    std::atomic<Clock::rep> lastFrame_{0};
    std::atomic<bool> seen_{false};
};

} // namespace et
