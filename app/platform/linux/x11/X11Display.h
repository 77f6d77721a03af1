#pragma once
// Small pieces of X11 shared by the screen source and the strip painter: a visual's pixel
// layout and the main (primary) monitor.
#include "Color.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>

namespace et::x11 {

// An xcb reply, freed with its owner.
template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> Reply<T> reply(T* p) {
    return Reply<T>(p, &std::free);
}

// Screen `screenNumber` of the connection (the number xcb_connect reported), or null when
// the server has no such screen.
xcb_screen_t* screenOfNumber(xcb_connection_t* connection, int screenNumber);

// How the server lays out a pixel of the root visual in a Z-format image.
struct PixelFormat {
    uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    int bitsPerPixel = 0;
    bool msbFirst = false; // image byte order

    // Reads pixel `x` of an image row; the caller makes sure the row is long enough.
    uint32_t pixelAt(const uint8_t* row, int x) const;
    Color toColor(uint32_t pixel) const;
    uint32_t fromColor(const Color& color) const;
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
