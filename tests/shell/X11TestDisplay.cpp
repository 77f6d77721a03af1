#include "X11TestDisplay.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace et::test {

X11TestDisplay::X11TestDisplay(const std::string& display) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    connection_ = c;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

X11TestDisplay::~X11TestDisplay() {
    if (connection_) xcb_disconnect(connection_);
}

xcb_atom_t X11TestDisplay::atom(const char* name) {
    auto* r = xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

xcb_window_t X11TestDisplay::createWindow(const std::string& instance, const std::string& cls) {
    xcb_window_t w = xcb_generate_id(connection_);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, w, root_, 0, 0, 50, 20, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    if (!instance.empty() || !cls.empty()) {
        std::string value = instance + '\0' + cls + '\0';
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS,
                            XCB_ATOM_STRING, 8, static_cast<uint32_t>(value.size()), value.data());
    }
    xcb_map_window(connection_, w);
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    return w;
}

void X11TestDisplay::setActiveWindow(std::optional<xcb_window_t> window) {
    if (!window) {
        xcb_delete_property(connection_, root_, atom("_NET_ACTIVE_WINDOW"));
    } else {
        xcb_window_t value = *window;
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, root_, atom("_NET_ACTIVE_WINDOW"),
                            XCB_ATOM_WINDOW, 32, 1, &value);
    }
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

void X11TestDisplay::setClientList(const std::vector<xcb_window_t>& windows) {
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, root_, atom("_NET_CLIENT_LIST"),
                        XCB_ATOM_WINDOW, 32, static_cast<uint32_t>(windows.size()), windows.data());
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

void X11TestDisplay::focus(xcb_window_t window) {
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

bool X11TestDisplay::actAsWindowManager() {
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    auto cookie =
        xcb_change_window_attributes_checked(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_generic_error_t* error = xcb_request_check(connection_, cookie);
    std::free(error);
    return error == nullptr;
}

std::optional<xcb_window_t> X11TestDisplay::nextActivationRequest(double timeout) {
    const xcb_atom_t active = atom("_NET_ACTIVE_WINDOW");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    while (std::chrono::steady_clock::now() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            std::optional<xcb_window_t> found;
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                if (message->type == active) found = message->window;
            }
            std::free(event);
            if (found) return found;
        }
        pollfd pfd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&pfd, 1, 20);
    }
    return std::nullopt;
}

} // namespace et::test
