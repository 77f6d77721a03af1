#pragma once
// Where talon-strip paints: an X11 window, or a native Wayland one.
#include "StripScript.h"

namespace et::strip {

class StripCanvas {
  public:
    virtual ~StripCanvas() = default;
    virtual void setCellWidth(double pixels) = 0;
    // Paints `cells` and returns once the display server has drawn them.
    virtual void show(const Cells& cells) = 0;
    // Keeps the frame for `ms`, repainting when asked to. False when the server is gone.
    virtual bool hold(int ms) = 0;
    // Waits until `fd` can be read, serving the display server meanwhile; true when it can,
    // false after a repaint or when the server is gone (call again).
    virtual bool waitForInput(int fd) = 0;
    virtual void setShown(bool shown) = 0;
};

} // namespace et::strip
