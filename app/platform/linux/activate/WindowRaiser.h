#pragma once
// Finds a top-level window of an application by name among the window manager's clients
// and asks the window manager to activate it (EWMH _NET_ACTIVE_WINDOW).
#include <cstdint>
#include <optional>
#include <string>

struct xcb_connection_t;

namespace et::activate {

class WindowRaiser {
  public:
    // `displayName` empty: $DISPLAY.
    explicit WindowRaiser(const std::string& displayName = {});
    ~WindowRaiser();
    WindowRaiser(const WindowRaiser&) = delete;
    WindowRaiser& operator=(const WindowRaiser&) = delete;

    bool connected() const { return connection_ != nullptr; }
    // The first client (in _NET_CLIENT_LIST order) whose WM_CLASS instance or class, or
    // whose title, matches `appName`.
    std::optional<uint32_t> findWindow(const std::string& appName);
    // Sends the activation request as a pager would; true when it was delivered to the X
    // server.
    bool activate(uint32_t window);

  private:
    uint32_t atom(const char* name);
    std::string stringProperty(uint32_t window, uint32_t property, uint32_t type);

    xcb_connection_t* connection_ = nullptr;
    uint32_t root_ = 0;
};

} // namespace et::activate
