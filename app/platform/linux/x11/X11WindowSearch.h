#pragma once
// Finds a program's own (client) window by its WM_CLASS class, below whatever frames the
// window manager wraps it in. One search walks the window tree, so callers search again
// only when something changed, never once a frame.
#include "X11Display.h"

#include <optional>
#include <string>
#include <string_view>

namespace et::x11 {

// What the game's window looks like to the capture.
struct ClientWindow {
    xcb_window_t id = XCB_NONE;
    int width = 0, height = 0;
    bool mapped = false;
    PixelFormat format;
};

// The class part of a WM_CLASS value ("instance\0class\0"); empty when there is none.
std::string_view wmClassName(std::string_view wmClass);

// The window whose WM_CLASS class equals `windowClass` exactly: a mapped one before an
// unmapped one, then the largest, since a program may own small helper windows of the same
// class. Empty when none exists or its visual cannot be read as true color.
std::optional<ClientWindow> findClientWindow(xcb_connection_t* connection, xcb_screen_t* screen,
                                             std::string_view windowClass);

// `window` as it is now; empty when it is gone or not readable as true color.
std::optional<ClientWindow> describeWindow(xcb_connection_t* connection, xcb_screen_t* screen,
                                           xcb_window_t window);

} // namespace et::x11
