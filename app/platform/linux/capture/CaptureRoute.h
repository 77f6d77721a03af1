#pragma once
// One way of reading the strip, as the route chooser tries them in turn.
#include "ScreenSource.h"

namespace et {

class CaptureRoute {
  public:
    enum class Kind { GameWindow, Screencopy, Portal, Screen };
    enum class Result {
        Read,   // the strip's pixels are in the image
        Hidden, // the route applies, but shows nothing now (the game window minimised)
        Failed, // the route applies, but this frame failed: try it again next frame
        Absent, // the route does not apply here: try the next one
    };
    virtual ~CaptureRoute() = default;
    virtual Kind kind() const = 0;
    virtual Result read(const Rect& rect, ScreenImage& image) = 0;
    // Displays the route sees; 0 when it cannot say (not opened, or gone).
    virtual int displays() = 0;
    virtual double scaleFactor() = 0;
};

} // namespace et
