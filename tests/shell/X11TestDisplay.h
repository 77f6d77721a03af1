#pragma once
// A client of the test's Xvfb that plays the window manager's part: it creates windows
// with a WM_CLASS, publishes _NET_ACTIVE_WINDOW and _NET_CLIENT_LIST on the root, and
// receives the activation requests that other clients send to the root.
#include <xcb/xcb.h>

#include <optional>
#include <string>
#include <vector>

namespace et::test {

class X11TestDisplay {
  public:
    explicit X11TestDisplay(const std::string& display);
    ~X11TestDisplay();
    bool ok() const { return connection_ != nullptr; }

    // `wmClass` is "instance" and "class"; empty strings leave the property off.
    xcb_window_t createWindow(const std::string& instance, const std::string& cls);
    void setActiveWindow(std::optional<xcb_window_t> window); // empty: remove the property
    void setClientList(const std::vector<xcb_window_t>& windows);
    void focus(xcb_window_t window);
    // Takes the window manager's place on the root (substructure redirect).
    bool actAsWindowManager();
    // The window of the next _NET_ACTIVE_WINDOW request within `timeout` seconds.
    std::optional<xcb_window_t> nextActivationRequest(double timeout);

  private:
    xcb_atom_t atom(const char* name);
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
};

} // namespace et::test
