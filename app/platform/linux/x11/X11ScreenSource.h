#pragma once
// What the game shows, as the X server has it. The strip is read from the game's own window
// (the client window whose WM_CLASS class is "emberfall.exe"), in that window's coordinates:
// this works on X11 desktops and, through XWayland, on Wayland desktops, where the root
// window cannot be read at all. Without a game window the root window is read at the main
// monitor's top-left, as for a fullscreen game on plain X11.
//
// The game window is followed through the server's structure events on the root and on the
// window itself, so the window tree is searched only after something changed. A read that
// the server refuses is not repeated every frame: it waits for an event or a back-off.
//
// Each instance keeps its own connection, opened on first use by the thread that uses it;
// when the server goes away it reports no displays and connects again once it is back.
#include "Game.h"
#include "ScreenSource.h"
#include "X11Display.h"
#include "X11WindowSearch.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace et {

class X11ScreenSource : public ScreenSource {
  public:
    // Receives one line for each change of what is read; called on the capturing thread.
    using Report = std::function<void(const std::string&)>;

    using Clock = std::chrono::steady_clock;
    // The time its pauses and back-offs are measured in; tests step through them.
    using Now = std::function<Clock::time_point()>;
    // What it reads: the game window, else the screen (the X11 desktop's way); or only one
    // of them, where other routes stand between the two (a Wayland session).
    enum class Scope { GameWindowThenScreen, GameWindowOnly, ScreenOnly };
    // `displayName` as in $DISPLAY; empty means $DISPLAY. `followEvents` off: no events
    // are selected (for a source used only now and then, whose unread events would pile
    // up); the game window is then searched again after a pause in use or a failed read.
    explicit X11ScreenSource(std::string displayName = {}, bool followEvents = true,
                             Now now = Clock::now, Scope scope = Scope::GameWindowThenScreen);
    ~X11ScreenSource() override;
    X11ScreenSource(const X11ScreenSource&) = delete;
    X11ScreenSource& operator=(const X11ScreenSource&) = delete;

    // Set before the first capture.
    void setReport(Report report) { report_ = std::move(report); }

    int activeDisplayCount() override;
    // `rect` is in the game window's coordinates when there is one, else in the main
    // monitor's; it is cut to what the window or monitor holds.
    bool capture(const Rect& rect, ScreenImage& image) override;
    // X11 is addressed in pixels: one pixel per point.
    double mainDisplayScaleFactor() override { return 1.0; }

    // What the last capture read from.
    enum class Reading { Unknown, GameWindow, GameHidden, Screen, Nothing };
    Reading reading() const { return reading_; }
    // The log line for a reading; null for Unknown.
    static const char* lineFor(Reading reading);

  private:
    bool connected();
    void disconnect();
    void pollEvents();
    void handleEvent(const xcb_generic_event_t& event);
    void searchGameWindow(Clock::time_point now);
    bool readGameWindow(const Rect& rect, ScreenImage& image, Clock::time_point now);
    bool readRoot(const Rect& rect, ScreenImage& image, Clock::time_point now);
    // GetImage of one row; false on any error, which is freed.
    bool getRow(xcb_drawable_t drawable, int x, int y, int width, const x11::PixelFormat& format,
                ScreenImage& image, bool& refused);
    void setReading(Reading reading);

    std::string displayName_;
    bool followEvents_;
    Now now_;
    Scope scope_;
    Report report_;
    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    x11::PixelFormat format_;
    x11::Monitors monitors_;
    bool watchingMonitors_ = false;
    uint8_t randrFirstEvent_ = 0;

    std::optional<x11::ClientWindow> game_;
    // Something on the desktop changed: search for the game window at the next capture.
    bool searchDue_ = true;
    Clock::time_point lastSearch_{};
    Clock::time_point lastCapture_{};
    // After a refused read: when to try that source again.
    Clock::time_point gameRetryAt_{};
    Clock::time_point rootRetryAt_{};
    std::chrono::milliseconds gameBackoff_{0};
    std::chrono::milliseconds rootBackoff_{0};
    Reading reading_ = Reading::Unknown;
};

} // namespace et
