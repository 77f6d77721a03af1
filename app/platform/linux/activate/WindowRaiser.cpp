#include "WindowRaiser.h"

#include "X11Display.h"

#include "AppName.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace et::activate {

using x11::reply;

WindowRaiser::WindowRaiser(const std::string& displayName) {
    x11::Connection opened(displayName);
    if (!opened) return;
    root_ = opened.screen()->root;
    connection_ = opened.release();
}

WindowRaiser::~WindowRaiser() {
    if (connection_) xcb_disconnect(connection_);
}

uint32_t WindowRaiser::atom(const char* name) {
    auto cookie = xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name);
    auto r = reply(xcb_intern_atom_reply(connection_, cookie, nullptr));
    return r ? r->atom : static_cast<uint32_t>(XCB_ATOM_NONE);
}

std::string WindowRaiser::stringProperty(uint32_t window, uint32_t property, uint32_t type) {
    auto cookie = xcb_get_property(connection_, 0, window, property, type, 0, 1024);
    auto r = reply(xcb_get_property_reply(connection_, cookie, nullptr));
    if (!r || r->format != 8) return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(r.get())),
                       static_cast<size_t>(xcb_get_property_value_length(r.get())));
}

std::optional<uint32_t> WindowRaiser::findWindow(const std::string& appName) {
    if (!connection_) return std::nullopt;
    const std::string wanted = normalizedAppName(appName);
    if (wanted.empty()) return std::nullopt;
    auto cookie =
        xcb_get_property(connection_, 0, root_, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 0, 4096);
    auto r = reply(xcb_get_property_reply(connection_, cookie, nullptr));
    if (!r || r->format != 32) return std::nullopt;
    const auto* windows = static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
    const int count = xcb_get_property_value_length(r.get()) / 4;
    const uint32_t utf8 = atom("UTF8_STRING");
    const uint32_t netWmName = atom("_NET_WM_NAME");
    for (int i = 0; i < count; ++i) {
        const uint32_t w = windows[i];
        std::string wmClass = stringProperty(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
        // "instance\0class\0"
        std::vector<std::string> names;
        for (size_t start = 0; start < wmClass.size();) {
            size_t end = wmClass.find('\0', start);
            if (end == std::string::npos) end = wmClass.size();
            names.push_back(wmClass.substr(start, end - start));
            start = end + 1;
        }
        std::string title = stringProperty(w, netWmName, utf8);
        if (title.empty()) title = stringProperty(w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
        names.push_back(title);
        for (const auto& n : names)
            if (!n.empty() && normalizedAppName(n) == wanted) return w;
    }
    return std::nullopt;
}

bool WindowRaiser::activate(uint32_t window) {
    if (!connection_) return false;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2; // source: a pager, which window managers always honour
    event.data.data32[1] = XCB_CURRENT_TIME;
    event.data.data32[2] = 0;
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    // Raising also helps window managers that ignore the request from the background.
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection_, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    // A round trip before returning: a client that exits right after sending can have its
    // last requests dropped by a busy server along with the closed connection.
    auto sync =
        reply(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    return sync && !xcb_connection_has_error(connection_);
}

} // namespace et::activate
