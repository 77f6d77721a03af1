#pragma once
// Reading pixels of the main display: the only way the screen link sees the game.
// One instance belongs to one thread (the X11 one keeps a connection per instance).
#include "Color.h"
#include "Rect.h"

#include <optional>
#include <vector>

namespace et {

// The top row of one capture, one color per pixel column, components 0–1.
class ScreenImage {
  public:
    int width() const { return static_cast<int>(row_.size()); }
    // Empty outside the image, as a bitmap representation answers for a column it lacks.
    std::optional<Color> colorAt(int x) const {
        if (x < 0 || x >= width()) return std::nullopt;
        return row_[static_cast<size_t>(x)];
    }
    // Sources fill the row; clear() keeps the capacity so frames do not allocate.
    std::vector<Color>& row() { return row_; }
    void clear() { row_.clear(); }

  private:
    std::vector<Color> row_;
};

class ScreenSource {
  public:
    virtual ~ScreenSource() = default;
    // Active displays; 0 when there are none or the display server cannot be reached.
    virtual int activeDisplayCount() = 0;
    // Captures `rect` of the main display into `image` (its top row); false when nothing
    // could be captured (no display, rectangle entirely off screen, server error).
    virtual bool capture(const Rect& rect, ScreenImage& image) = 0;
    // Pixels per point of the main display.
    virtual double mainDisplayScaleFactor() = 0;
};

} // namespace et
