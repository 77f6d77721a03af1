#include "Color.h"

#include <cmath>

namespace et {

Color Color::fromHSB(double hue, double saturation, double brightness, double alpha) {
    // AppKit wraps the hue into [0, 1) and splits the circle into six sectors.
    double h = hue - std::floor(hue);
    if (hue == 1.0) h = 0.0;
    h *= 6.0;
    const int sector = static_cast<int>(std::floor(h)) % 6;
    const double f = h - std::floor(h);
    const double v = brightness;
    const double p = v * (1.0 - saturation);
    const double q = v * (1.0 - saturation * f);
    const double t = v * (1.0 - saturation * (1.0 - f));
    switch (sector) {
    case 0: return {v, t, p, alpha};
    case 1: return {q, v, p, alpha};
    case 2: return {p, v, t, alpha};
    case 3: return {p, q, v, alpha};
    case 4: return {t, p, v, alpha};
    default: return {v, p, q, alpha};
    }
}

} // namespace et
