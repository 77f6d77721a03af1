#pragma once
// The strip as the add-on paints it: a borderless window that the window manager leaves
// alone (override-redirect), kept on top at the main display's top-left corner.
#include "StripScript.h"
#include "X11Display.h"

#include <string>

namespace et::strip {

class StripWindow {
  public:
    // Opens the display; check ok() before use.
    StripWindow(const std::string& displayName, double cellWidth);
    ~StripWindow();
    StripWindow(const StripWindow&) = delete;
    StripWindow& operator=(const StripWindow&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    void setCellWidth(double pixels);
    // Paints `cells` and returns once the server has drawn them.
    void show(const Cells& cells);
    // Keeps the frame for `ms`, repainting on exposure. False when the server is gone.
    bool hold(int ms);

  private:
    void place();
    void paint();
    bool alive();

    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    xcb_window_t window_ = 0;
    xcb_gcontext_t gc_ = 0;
    x11::PixelFormat format_;
    x11::Monitor main_;
    double cellWidth_;
    Cells cells_;
    std::string error_;
};

} // namespace et::strip
