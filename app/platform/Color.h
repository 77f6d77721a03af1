#pragma once
// The application's color value, standing in for AppKit's NSColor: double components 0–1.
// Conversions to the keyboard's units truncate toward zero, as the host expects.

namespace et {

struct Color {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 1.0;

    // AppKit's colorWithCalibratedHue:saturation:brightness:alpha:. Arguments outside 0–1
    // are taken as 0 or 1, and a hue of 1 is the same red as a hue of 0.
    static Color fromHSB(double hue, double saturation, double brightness, double alpha = 1.0);

    // AppKit's named colors, with AppKit's component values. The trailing underscore keeps
    // red_/green_/blue_ apart from the component fields.
    static Color black() { return {0.0, 0.0, 0.0, 1.0}; }
    static Color white() { return {1.0, 1.0, 1.0, 1.0}; }
    static Color red_() { return {1.0, 0.0, 0.0, 1.0}; }
    static Color green_() { return {0.0, 1.0, 0.0, 1.0}; }
    static Color blue_() { return {0.0, 0.0, 1.0, 1.0}; }
    static Color cyan() { return {0.0, 1.0, 1.0, 1.0}; }
    static Color yellow() { return {1.0, 1.0, 0.0, 1.0}; }
    static Color orange() { return {1.0, 0.5, 0.0, 1.0}; }
    static Color purple() { return {0.5, 0.0, 0.5, 1.0}; }

    // Component × 255, truncated: a bitmap byte. Components are expected in 0–1; anything
    // else (a hand-edited setting, NaN) is held to 0–1 first so no byte can wrap around.
    static int toByte(double component) { return static_cast<int>(unit(component) * 255.0); }
    // Component × 100, truncated: a framework color argument, 0–100 for the same reason.
    static int toPercent(double component) { return static_cast<int>(unit(component) * 100.0); }

    int redByte() const { return toByte(red); }
    int greenByte() const { return toByte(green); }
    int blueByte() const { return toByte(blue); }
    int redPercent() const { return toPercent(red); }
    int greenPercent() const { return toPercent(green); }
    int bluePercent() const { return toPercent(blue); }

    bool operator==(const Color&) const = default;

  private:
    // NaN fails both comparisons and lands on 0.
    static double unit(double c) { return c >= 1.0 ? 1.0 : (c > 0.0 ? c : 0.0); }
};

} // namespace et
