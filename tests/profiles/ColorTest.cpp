// Color: AppKit's HSB conversion and named colors, and the truncating conversions whose
// bytes and percentages the keyboard receives.
#include "Color.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using et::Color;

namespace {
void expectColor(const Color& c, double r, double g, double b) {
    EXPECT_NEAR(c.red, r, 1e-9);
    EXPECT_NEAR(c.green, g, 1e-9);
    EXPECT_NEAR(c.blue, b, 1e-9);
}
} // namespace

TEST(Color, HueSaturationBrightnessAsAppKit) {
    expectColor(Color::fromHSB(0.0, 1.0, 1.0), 1, 0, 0);
    expectColor(Color::fromHSB(1.0 / 6, 1.0, 1.0), 1, 1, 0);
    expectColor(Color::fromHSB(1.0 / 3, 1.0, 1.0), 0, 1, 0);
    expectColor(Color::fromHSB(0.5, 1.0, 1.0), 0, 1, 1);
    expectColor(Color::fromHSB(2.0 / 3, 1.0, 1.0), 0, 0, 1);
    expectColor(Color::fromHSB(5.0 / 6, 1.0, 1.0), 1, 0, 1);
    expectColor(Color::fromHSB(1.0, 1.0, 1.0), 1, 0, 0);
    expectColor(Color::fromHSB(0.7, 0.0, 0.4), 0.4, 0.4, 0.4);
    // The shadow colors of the message codes.
    expectColor(Color::fromHSB(183.0 / 360, 0.5, 0.6), 0.3, 0.585, 0.6);
    expectColor(Color::fromHSB(220.0 / 360, 0.77, 0.52), 0.1196, 0.2530666666667, 0.52);
    expectColor(Color::fromHSB(137.0 / 360, 0.51, 0.73), 0.3577, 0.73, 0.463185);
    EXPECT_EQ(Color::fromHSB(0.2, 0.3, 0.4, 0.5).alpha, 0.5);
}

TEST(Color, HueSaturationBrightnessOutsideTheUnitAreHeldToIt) {
    EXPECT_EQ(Color::fromHSB(0.25, 1.4, 1.3), Color::fromHSB(0.25, 1.0, 1.0));
    EXPECT_EQ(Color::fromHSB(0.25, 0.5, -0.3), Color::fromHSB(0.25, 0.5, 0.0));
    EXPECT_EQ(Color::fromHSB(-0.2, 1.0, 1.0), Color::fromHSB(0.0, 1.0, 1.0));
    EXPECT_EQ(Color::fromHSB(1.7, 1.0, 1.0), Color::fromHSB(0.0, 1.0, 1.0));
    const Color c = Color::fromHSB(std::nan(""), 1.0, 1.0, 2.0);
    EXPECT_FALSE(std::isnan(c.red) || std::isnan(c.green) || std::isnan(c.blue));
    EXPECT_EQ(c.alpha, 1.0);
}

TEST(Color, NamedColorsHaveAppKitComponents) {
    expectColor(Color::black(), 0, 0, 0);
    expectColor(Color::white(), 1, 1, 1);
    expectColor(Color::red_(), 1, 0, 0);
    expectColor(Color::green_(), 0, 1, 0);
    expectColor(Color::blue_(), 0, 0, 1);
    expectColor(Color::cyan(), 0, 1, 1);
    expectColor(Color::yellow(), 1, 1, 0);
    expectColor(Color::orange(), 1, 0.5, 0);
    expectColor(Color::purple(), 0.5, 0, 0.5);
    for (const Color& c : {Color::black(), Color::white(), Color::orange(), Color::purple()})
        EXPECT_EQ(c.alpha, 1.0);
}

TEST(Color, ConversionsTruncateTowardZero) {
    EXPECT_EQ(Color::toByte(1.0), 255);
    EXPECT_EQ(Color::toByte(0.5), 127);
    EXPECT_EQ(Color::toByte(0.0), 0);
    EXPECT_EQ(Color::toByte(std::nextafter(1.0, 0.0)), 254);
    EXPECT_EQ(Color::toPercent(1.0), 100);
    EXPECT_EQ(Color::toPercent(0.5), 50);
    EXPECT_EQ(Color::toPercent(0.3), 30);
    EXPECT_EQ(Color::toPercent(0.29), 28); // 0.29 × 100 is just below 29
    EXPECT_EQ(Color::toPercent(std::nextafter(1.0, 0.0)), 99);
    const Color c{1.0, 0.5, 0.0, 1.0};
    EXPECT_EQ(c.redPercent(), 100);
    EXPECT_EQ(c.greenPercent(), 50);
    EXPECT_EQ(c.bluePercent(), 0);
    EXPECT_EQ(c.greenByte(), 127);
}

TEST(Color, ConversionsNeverLeaveTheirRange) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {-0.5, -inf, std::nan("")}) {
        EXPECT_EQ(Color::toByte(bad), 0);
        EXPECT_EQ(Color::toPercent(bad), 0);
    }
    for (double bad : {1.5, 1e300, inf}) {
        EXPECT_EQ(Color::toByte(bad), 255);
        EXPECT_EQ(Color::toPercent(bad), 100);
    }
}
