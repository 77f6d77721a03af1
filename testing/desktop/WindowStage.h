#pragma once
// Stands in for the window manager the tests do not have: makes plain client windows with a
// WM_CLASS and says which one is active through _NET_ACTIVE_WINDOW on the root window,
// which is how the application learns which program is in front.
#include "Game.h"

#include <cstdint>
#include <string>

struct xcb_connection_t;
struct xcb_screen_t;

namespace et::e2e {

inline constexpr const char* kGameClass = kGameWindowClass;

class WindowStage {
  public:
    explicit WindowStage(const std::string& display);
    ~WindowStage();
    WindowStage(const WindowStage&) = delete;
    WindowStage& operator=(const WindowStage&) = delete;

    bool ok() const { return connection_ != nullptr; }

    // A mapped window away from the strip, with WM_CLASS "instance\0windowClass\0".
    uint32_t createWindow(const std::string& windowClass, const std::string& title);
    // Makes `window` the active one; 0 says no window is active.
    void activate(uint32_t window);
    // The game's window: the one talon-strip paints in when it plays the game, else one
    // made on first use.
    uint32_t game();
    // Another program's window, made on first use.
    uint32_t other();

  private:
    void sync();
    uint32_t atom(const char* name);
    bool windowManagerRuns();

    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    uint32_t root_ = 0;
    uint32_t activeAtom_ = 0;
    uint32_t game_ = 0;
    uint32_t other_ = 0;
};

} // namespace et::e2e
