#include "Color.h"

#include <cmath>

namespace et {

namespace {
double clampUnit(double v) {
    return v >= 1.0 ? 1.0 : (v > 0.0 ? v : 0.0);
}
} // namespace

Color Color::fromHSB(double hue, double saturation, double brightness, double alpha) {
    const double s = clampUnit(saturation);
    const double v = clampUnit(brightness);
    const double a = clampUnit(alpha);
    // Six sectors of the hue circle; hue 1 is sector 6, which is sector 0 again.
    double h = clampUnit(hue) * 6.0;
    if (h >= 6.0) h = 0.0;
    const int sector = static_cast<int>(h);
    const double f = h - sector;
    const double p = v * (1.0 - s);
    const double q = v * (1.0 - s * f);
    const double t = v * (1.0 - s * (1.0 - f));
    switch (sector) {
    case 0:
        return {v, t, p, a};
    case 1:
        return {q, v, p, a};
    case 2:
        return {p, v, t, a};
    case 3:
        return {p, q, v, a};
    case 4:
        return {t, p, v, a};
    default:
        return {v, p, q, a};
    }
}

} // namespace et
