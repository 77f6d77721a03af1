#pragma once
// How the screen link judges a sampled color: a component is lit from 14/256 up, which
// survives the game's gamma and the display's color profile while keeping dark cells dark.
#include "Color.h"

namespace et {

inline constexpr double kLitThreshold = 14.0 / 256.0;

inline bool isLit(double component) {
    return component >= kLitThreshold;
}

// Red lit = 1, green lit = 2, blue lit = 4: black 0, red 1, green 2, yellow 3, blue 4,
// magenta 5, cyan 6, white 7.
inline int colorCode(const Color& c) {
    return (isLit(c.red) ? 1 : 0) + (isLit(c.green) ? 2 : 0) + (isLit(c.blue) ? 4 : 0);
}

} // namespace et
