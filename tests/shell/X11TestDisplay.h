#pragma once
// A client of the test's Xvfb that plays the window manager's part: it creates windows
// with a WM_CLASS, publishes _NET_ACTIVE_WINDOW and _NET_CLIENT_LIST on the root, and
// receives the activation requests that other clients send to the root.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <string>
#include <vector>

namespace et::test {

class X11TestDisplay {
  public:
    explicit X11TestDisplay(const std::string& display)
        : connection_(xcb_connect(display.c_str(), nullptr)) {
        if (ok()) root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    }
    ~X11TestDisplay() { xcb_disconnect(connection_); }
    bool ok() const { return !xcb_connection_has_error(connection_); }

    // Empty instance and class leave WM_CLASS off.
    xcb_window_t createWindow(const std::string& instance, const std::string& cls) {
        const xcb_window_t w = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, w, root_, 0, 0, 50, 20, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const std::string value = instance + '\0' + cls + '\0';
        if (value.size() > 2)
            setProperty(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, value.size(), value.data());
        xcb_map_window(connection_, w);
        return sync(), w;
    }
    // Empty: remove the property.
    void setActiveWindow(std::optional<xcb_window_t> window) {
        if (window)
            setProperty(root_, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 32, 1, &*window);
        else
            xcb_delete_property(connection_, root_, atom("_NET_ACTIVE_WINDOW"));
        sync();
    }
    void setClientList(const std::vector<xcb_window_t>& windows) {
        setProperty(root_, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 32, windows.size(),
                    windows.data());
        sync();
    }
    bool actAsWindowManager() {
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
        xcb_generic_error_t* error = xcb_request_check(
            connection_,
            xcb_change_window_attributes_checked(connection_, root_, XCB_CW_EVENT_MASK, &mask));
        std::free(error);
        return error == nullptr;
    }
    // The window of the next _NET_ACTIVE_WINDOW request within `timeout` seconds.
    std::optional<xcb_window_t> nextActivationRequest(double timeout) {
        const xcb_atom_t active = atom("_NET_ACTIVE_WINDOW");
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
        while (std::chrono::steady_clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                std::optional<xcb_window_t> found;
                auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->type == active)
                    found = message->window;
                std::free(event);
                if (found) return found;
            }
            pollfd pfd{xcb_get_file_descriptor(connection_), POLLIN, 0};
            ::poll(&pfd, 1, 20);
        }
        return std::nullopt;
    }

  private:
    xcb_atom_t atom(const char* name) {
        auto* r = xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(r);
        return a;
    }
    void setProperty(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, uint8_t format,
                     size_t count, const void* data) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, w, property, type, format,
                            static_cast<uint32_t>(count), data);
    }
    // A round trip, so that the server has done everything asked before the test goes on.
    void sync() {
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
};

} // namespace et::test
