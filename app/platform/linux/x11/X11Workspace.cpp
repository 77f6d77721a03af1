#include "X11Workspace.h"

#include "X11Display.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace et {

using x11::reply;

X11Workspace::X11Workspace(std::string displayName) : displayName_(std::move(displayName)) {}

X11Workspace::~X11Workspace() {
    disconnect();
}

bool X11Workspace::connect() {
    if (connection_ && !xcb_connection_has_error(connection_)) return true;
    disconnect();
    x11::Connection opened(displayName_);
    if (!opened) return false;
    root_ = opened.screen()->root;
    connection_ = opened.release();
    netActiveWindow_ = atom("_NET_ACTIVE_WINDOW");
    return true;
}

void X11Workspace::disconnect() {
    if (connection_) xcb_disconnect(connection_);
    connection_ = nullptr;
    root_ = 0;
    netActiveWindow_ = 0;
}

uint32_t X11Workspace::atom(const char* name) {
    auto cookie = xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name);
    auto r = reply(xcb_intern_atom_reply(connection_, cookie, nullptr));
    return r ? r->atom : static_cast<uint32_t>(XCB_ATOM_NONE);
}

// nullopt: the window manager does not publish the property at all; 0: nothing is active.
std::optional<uint32_t> X11Workspace::activeWindow() {
    auto cookie = xcb_get_property(connection_, 0, root_, netActiveWindow_, XCB_ATOM_WINDOW, 0, 1);
    auto r = reply(xcb_get_property_reply(connection_, cookie, nullptr));
    if (!r || r->type == XCB_ATOM_NONE) return std::nullopt;
    if (r->format != 32 || xcb_get_property_value_length(r.get()) < 4) return 0u;
    return *static_cast<uint32_t*>(xcb_get_property_value(r.get()));
}

// Without an EWMH window manager: the focused window, or the nearest ancestor that names
// its application.
std::optional<uint32_t> X11Workspace::focusedClientWindow() {
    auto focus =
        reply(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    if (!focus) return std::nullopt;
    uint32_t window = focus->focus;
    for (int depth = 0; depth < 32; ++depth) {
        if (window == XCB_NONE || window == XCB_INPUT_FOCUS_POINTER_ROOT || window == root_)
            return std::nullopt;
        if (windowClass(window)) return window;
        auto tree =
            reply(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
        if (!tree) return std::nullopt;
        window = tree->parent;
    }
    return std::nullopt;
}

std::optional<std::string> X11Workspace::windowClass(uint32_t window) {
    auto cookie =
        xcb_get_property(connection_, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256);
    auto r = reply(xcb_get_property_reply(connection_, cookie, nullptr));
    if (!r || r->type != XCB_ATOM_STRING || r->format != 8) return std::nullopt;
    const int length = xcb_get_property_value_length(r.get());
    const char* value = static_cast<const char*>(xcb_get_property_value(r.get()));
    std::string text(value, static_cast<size_t>(length));
    // "instance\0class\0": the class is the second string.
    auto split = text.find('\0');
    if (split == std::string::npos) return std::nullopt;
    std::string cls = text.substr(split + 1);
    if (auto end = cls.find('\0'); end != std::string::npos) cls.resize(end);
    if (cls.empty()) return std::nullopt;
    return cls;
}

std::optional<FrontmostApplication> X11Workspace::frontmostApplication() {
    if (!connect()) return std::nullopt;
    std::optional<uint32_t> window = activeWindow();
    if (!window) window = focusedClientWindow();
    if (xcb_connection_has_error(connection_)) {
        disconnect();
        return std::nullopt;
    }
    if (!window || *window == XCB_NONE) return std::nullopt;
    return FrontmostApplication{windowClass(*window)};
}

} // namespace et
