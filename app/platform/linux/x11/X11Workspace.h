#pragma once
// The frontmost application on X11: the window the window manager names in the root's
// _NET_ACTIVE_WINDOW, identified by the class part of its WM_CLASS. Wine gives a Windows
// game the class of its executable, which is why the game's identifier reads "emberfall.exe".
#include "Workspace.h"

#include <optional>
#include <string>

struct xcb_connection_t;

namespace et {

class X11Workspace : public Workspace {
  public:
    // `displayName` empty: $DISPLAY. The connection opens on first use and is opened again
    // after the X server went away.
    explicit X11Workspace(std::string displayName = {});
    ~X11Workspace() override;
    X11Workspace(const X11Workspace&) = delete;
    X11Workspace& operator=(const X11Workspace&) = delete;

    std::optional<FrontmostApplication> frontmostApplication() override;

  private:
    bool connect();
    void disconnect();
    uint32_t atom(const char* name);
    std::optional<uint32_t> activeWindow();
    std::optional<uint32_t> focusedClientWindow();
    // The class part of WM_CLASS ("instance\0class\0"); empty when the window has none.
    std::optional<std::string> windowClass(uint32_t window);

    std::string displayName_;
    xcb_connection_t* connection_ = nullptr;
    uint32_t root_ = 0;
    uint32_t netActiveWindow_ = 0;
};

} // namespace et
