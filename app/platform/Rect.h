#pragma once
// A rectangle in display points, origin at the top-left of the main display, y downwards.

namespace et {

struct Rect {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;

    bool operator==(const Rect&) const = default;
};

} // namespace et
