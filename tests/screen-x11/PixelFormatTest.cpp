// Pixels read through the X visual's masks in either byte order, and the painter's
// --geometry parser.
#include "StripScript.h"
#include "X11Display.h"

#include <gtest/gtest.h>

#include <array>

namespace et::test {
namespace {

TEST(PixelFormat, ReadsPixelsThroughTheVisualMasksInEitherByteOrder) {
    x11::PixelFormat bgrx{0xff0000, 0x00ff00, 0x0000ff, 32, false};
    const uint8_t lsb[] = {0x00, 0x00, 0x00, 0x00, 0x0e, 0x80, 0xff, 0x00};
    EXPECT_EQ(bgrx.components(bgrx.pixelAt(lsb, 1)), (x11::PixelComponents{1.0, 128 / 255.0, 14 / 255.0}));
    x11::PixelFormat msb = bgrx;
    msb.msbFirst = true;
    const uint8_t big[] = {0x00, 0xff, 0x80, 0x0e};
    EXPECT_EQ(msb.components(msb.pixelAt(big, 0)), (x11::PixelComponents{1.0, 128 / 255.0, 14 / 255.0}));

    // Red in the low bits, as some servers lay it out.
    x11::PixelFormat rgbx{0x0000ff, 0x00ff00, 0xff0000, 32, false};
    const uint8_t redFirst[] = {0xff, 0x00, 0x00, 0x00};
    EXPECT_EQ(rgbx.components(rgbx.pixelAt(redFirst, 0)), (x11::PixelComponents{1.0, 0.0, 0.0}));

    // 16-bit 5-6-5 and packed 24-bit.
    x11::PixelFormat rgb565{0xf800, 0x07e0, 0x001f, 16, false};
    const uint8_t green565[] = {0xe0, 0x07};
    EXPECT_EQ(rgb565.components(rgb565.pixelAt(green565, 0)), (x11::PixelComponents{0.0, 1.0, 0.0}));
    x11::PixelFormat packed{0xff0000, 0x00ff00, 0x0000ff, 24, false};
    const uint8_t two[] = {0x01, 0x02, 0x03, 0x40, 0x50, 0x60};
    EXPECT_EQ(packed.pixelAt(two, 1), 0x605040u);

    // Painting and reading back agree for every color the strip uses.
    for (const auto& format : {bgrx, rgbx, rgb565}) {
        for (const Color& c : strip::calibrationFrame())
            EXPECT_EQ(format.components(format.pixel(c.red, c.green, c.blue)),
                      (x11::PixelComponents{c.red, c.green, c.blue}));
    }
}

// The painter's --geometry parser: a bad value must not place the game window anywhere.
TEST(StripScript, GeometryAndItsErrors) {
    const auto at = strip::parseGeometry("640x400-20+150");
    ASSERT_TRUE(at);
    EXPECT_EQ((std::array{at->width, at->height, at->x, at->y}), (std::array{640, 400, -20, 150}));
    for (const char* bad : {"640", "0x400", "640x400+1", "640x400+1+2+3", "99999x10", "axb"})
        EXPECT_FALSE(strip::parseGeometry(bad)) << bad;
}

} // namespace
} // namespace et::test
