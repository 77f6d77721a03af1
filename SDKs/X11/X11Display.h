#pragma once
// The pieces of X11 every program of the project shares (the application's screen source and
// window search, the activation helper, the host's window, the strip painter, the test
// desktop): opening a connection with its screen, replies freed by their owner, a visual's
// pixel layout and the main (primary) monitor. Plain xcb; no thread rules beyond xcb's own.
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace et::x11 {

// An xcb reply, freed with its owner.
template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> Reply<T> reply(T* p) {
    return Reply<T>(p, &std::free);
}

// Screen `screenNumber` of the connection (the number xcb_connect reported), or null when
// the server has no such screen.
xcb_screen_t* screenOfNumber(xcb_connection_t* connection, int screenNumber);

// A connection to an X server and the screen it names; disconnected when destroyed.
class Connection {
  public:
    enum class Failure { none, noDisplay, noScreen };

    // Opens `display` ("": the DISPLAY of the environment). On failure the connection is
    // already closed and `failure()` says which step failed.
    explicit Connection(const std::string& display);
    ~Connection();
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    explicit operator bool() const { return connection_ != nullptr; }
    xcb_connection_t* get() const { return connection_; }
    xcb_screen_t* screen() const { return screen_; }
    int screenNumber() const { return screenNumber_; }
    Failure failure() const { return failure_; }
    // Hands the connection to a caller that closes it itself.
    xcb_connection_t* release();

  private:
    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    int screenNumber_ = 0;
    Failure failure_ = Failure::none;
};

// Color components 0–1, as a pixel carries them.
struct PixelComponents {
    double red = 0.0, green = 0.0, blue = 0.0;
    bool operator==(const PixelComponents&) const = default;
};

// How the server lays out a pixel of the root visual in a Z-format image.
struct PixelFormat {
    uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    int bitsPerPixel = 0;
    bool msbFirst = false; // image byte order

    // Reads pixel `x` of an image row; the caller makes sure the row is long enough.
    uint32_t pixelAt(const uint8_t* row, int x) const;
    PixelComponents components(uint32_t pixel) const;
    // Components outside 0–1 are held to it.
    uint32_t pixel(double red, double green, double blue) const;
    int bytesPerPixel() const { return (bitsPerPixel + 7) / 8; }
};

// The layout of images of a window with `visual` and `depth`; empty when it is not a true- or
// direct-color visual.
std::optional<PixelFormat> visualPixelFormat(xcb_connection_t* connection, xcb_screen_t* screen,
                                             xcb_visualid_t visual, uint8_t depth);
// The root visual's layout.
std::optional<PixelFormat> rootPixelFormat(xcb_connection_t* connection, xcb_screen_t* screen);

struct Monitor {
    int x = 0, y = 0, width = 0, height = 0;
};

struct Monitors {
    int count = 0;
    std::optional<Monitor> main; // the primary monitor, else the first
};

// Active monitors from RandR 1.5; without it, the root window as the one display.
Monitors queryMonitors(xcb_connection_t* connection, xcb_screen_t* screen);

// True when RandR is there; `firstEvent` receives its first event code.
bool selectMonitorChanges(xcb_connection_t* connection, xcb_window_t root, uint8_t& firstEvent);

} // namespace et::x11
