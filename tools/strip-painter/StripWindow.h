#pragma once
// The strip as the add-on paints it. Either a borderless window that the window manager
// leaves alone (override-redirect), kept on top at the main display's top-left corner, as
// for a fullscreen game; or, as the game itself shows it, an ordinary managed window with
// the game's WM_CLASS ("emberfall.exe") and the strip at the top-left of its inside.
#include "StripCanvas.h"
#include "StripScript.h"
#include "X11Display.h"

#include <optional>
#include <string>

namespace et::strip {

class StripWindow : public StripCanvas {
  public:
    // Opens the display; check ok() before use. With `game`, a managed game window.
    StripWindow(const std::string& displayName, double cellWidth,
                std::optional<GameGeometry> game = std::nullopt);
    ~StripWindow() override;
    StripWindow(const StripWindow&) = delete;
    StripWindow& operator=(const StripWindow&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    void setCellWidth(double pixels) override;
    // Paints `cells` and returns once the server has drawn them.
    void show(const Cells& cells) override;
    // Keeps the frame for `ms`, repainting on exposure. False when the server is gone.
    bool hold(int ms) override;
    // Waits until `fd` can be read, repainting on exposure meanwhile; true when it can, false
    // after a repaint or when the server is gone (call again).
    bool waitForInput(int fd) override;
    // Maps or unmaps the window.
    void setShown(bool shown) override;
    uint32_t windowId() const { return window_; }

  private:
    void createStripWindow();
    void createGameWindow(const GameGeometry& geometry);
    void place();
    void paint();
    bool alive();

    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    xcb_window_t window_ = 0;
    xcb_gcontext_t gc_ = 0;
    x11::PixelFormat format_;
    x11::Monitor main_;
    bool game_ = false;
    double cellWidth_;
    Cells cells_;
    std::string error_;
};

} // namespace et::strip
