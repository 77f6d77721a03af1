#pragma once
// The live picture of the virtual keyboard in an X11 window, for watching the lighting
// while the application runs. Lives in the program, not in the simulator's library, so
// the library stays free of any display.
#include "KeyboardRender.h"
#include "X11Display.h"

#include <string>

namespace hostsim {

class KeyboardWindow {
  public:
    // Opens `display` (empty: $DISPLAY) and a window sized for pictures of `width`×`height`.
    KeyboardWindow(const std::string& display, int width, int height);
    ~KeyboardWindow();
    KeyboardWindow(const KeyboardWindow&) = delete;
    KeyboardWindow& operator=(const KeyboardWindow&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    void show(const Image& image);
    // Handles the window's events for up to `ms`; false once the window was closed or the
    // display went away.
    bool pump(int ms);

  private:
    void draw();
    uint32_t atom(const char* name);

    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    xcb_window_t window_ = 0;
    xcb_gcontext_t gc_ = 0;
    uint32_t deleteAtom_ = 0;
    et::x11::PixelFormat format_;
    std::vector<uint8_t> pixels_; // the picture in the server's pixel layout
    int width_ = 0, height_ = 0;
    std::string error_;
};

} // namespace hostsim
