// The strip cut out of cast frames: every byte order, padded rows, corners of frames of odd
// sizes, rectangles partly or wholly outside, and buffers that lie about their size.
#include "FrameStrip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace et::portal {
namespace {

// A frame whose pixel (x, y) is red x·10+y, green 100+x, blue 200+y (mod 256), stored in the
// layout's byte order; padding bytes are 0xEE, so reading one shows.
std::vector<uint8_t> paint(PixelLayout layout, int width, int height, int stride) {
    const LayoutBytes b = layoutBytes(layout);
    std::vector<uint8_t> bytes(static_cast<size_t>(stride) * height, 0xEE);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = bytes.data() + y * stride + x * b.size;
            if (b.size == 4) p[6 - b.red - b.green - b.blue] = 0x55; // the alpha or unused byte
            p[b.red] = static_cast<uint8_t>(x * 10 + y);
            p[b.green] = static_cast<uint8_t>(100 + x);
            p[b.blue] = static_cast<uint8_t>(200 + y);
        }
    return bytes;
}

Color expected(int x, int y) {
    const auto byte = [](int value) { return static_cast<uint8_t>(value) / 255.0; };
    return {byte(x * 10 + y), byte(100 + x), byte(200 + y), 1.0};
}

TEST(FrameStrip, EachLayoutReadsItsOwnByteOrder) {
    struct Row {
        PixelLayout layout;
        uint8_t pixel[4];
        Color color;
    };
    const Row rows[] = {
        {PixelLayout::BGRx, {10, 20, 30, 0}, {30 / 255.0, 20 / 255.0, 10 / 255.0, 1}},
        {PixelLayout::BGRA, {10, 20, 30, 0}, {30 / 255.0, 20 / 255.0, 10 / 255.0, 1}},
        {PixelLayout::RGBx, {10, 20, 30, 0}, {10 / 255.0, 20 / 255.0, 30 / 255.0, 1}},
        {PixelLayout::RGBA, {10, 20, 30, 0}, {10 / 255.0, 20 / 255.0, 30 / 255.0, 1}},
        {PixelLayout::xRGB, {0, 10, 20, 30}, {10 / 255.0, 20 / 255.0, 30 / 255.0, 1}},
        {PixelLayout::ARGB, {0, 10, 20, 30}, {10 / 255.0, 20 / 255.0, 30 / 255.0, 1}},
        {PixelLayout::xBGR, {0, 10, 20, 30}, {30 / 255.0, 20 / 255.0, 10 / 255.0, 1}},
        {PixelLayout::ABGR, {0, 10, 20, 30}, {30 / 255.0, 20 / 255.0, 10 / 255.0, 1}},
        {PixelLayout::RGB, {10, 20, 30, 99}, {10 / 255.0, 20 / 255.0, 30 / 255.0, 1}},
        {PixelLayout::BGR, {10, 20, 30, 99}, {30 / 255.0, 20 / 255.0, 10 / 255.0, 1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.layout));
        const PixelView view{row.pixel, static_cast<size_t>(layoutBytes(row.layout).size), 1, 1, 0,
                             row.layout};
        std::vector<Color> colors;
        ASSERT_TRUE(readRow(view, {0, 0, 1, 1}, colors));
        ASSERT_EQ(colors.size(), 1u);
        EXPECT_EQ(colors[0], row.color);
    }
}

TEST(FrameStrip, RowsAndCornersOfPaddedFramesOfAnySize) {
    struct Row {
        PixelLayout layout;
        int width, height, padding; // padding in bytes after each row
        Rect rect;
        int firstX, count; // the columns expected
    };
    const Row rows[] = {
        {PixelLayout::BGRx, 1280, 3, 0, {0, 0, 81, 1}, 0, 81},
        {PixelLayout::BGRA, 17, 5, 12, {3, 2, 11, 1}, 3, 11},
        {PixelLayout::RGB, 7, 3, 3, {2, 1, 4.5, 1}, 2, 5},      // width rounded out
        {PixelLayout::RGBx, 9, 2, 4, {-4, 0, 8, 1}, 0, 4},      // left of the frame
        {PixelLayout::xBGR, 9, 2, 0, {6, 1, 25, 1}, 6, 3},      // right of the frame
        {PixelLayout::BGR, 5, 1, 1, {0.6, 0.9, 2, 1}, 0, 3},    // fractions floor the start
        {PixelLayout::ARGB, 3, 3, 0, {0, 2, 3, 1}, 0, 3},       // the last row
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.width << "x" << row.height << " +" << row.padding
                                        << " at " << row.rect.x << "," << row.rect.y);
        const int stride = row.width * layoutBytes(row.layout).size + row.padding;
        const auto bytes = paint(row.layout, row.width, row.height, stride);
        // The last row may come without its padding.
        const PixelView frame{bytes.data(), bytes.size() - row.padding, row.width, row.height,
                              stride, row.layout};
        const int y = static_cast<int>(row.rect.y);
        std::vector<Color> colors;
        ASSERT_TRUE(readRow(frame, row.rect, colors));
        ASSERT_EQ(colors.size(), static_cast<size_t>(row.count));
        for (int i = 0; i < row.count; ++i) EXPECT_EQ(colors[i], expected(row.firstX + i, y)) << i;

        // The same row read from a corner copied out of the frame, packed tight.
        PixelBlock corner;
        ASSERT_TRUE(copyCorner(frame, row.firstX + row.count, y + 1, corner));
        EXPECT_EQ(corner.bytes.size(), static_cast<size_t>((row.firstX + row.count) * (y + 1) *
                                                           layoutBytes(row.layout).size));
        std::vector<Color> fromCorner;
        ASSERT_TRUE(readRow(corner.view(), row.rect, fromCorner));
        EXPECT_EQ(fromCorner, colors);
    }
}

TEST(FrameStrip, ACornerIsCutToTheFrame) {
    const auto bytes = paint(PixelLayout::BGRx, 6, 2, 24);
    const PixelView frame{bytes.data(), bytes.size(), 6, 2, 24, PixelLayout::BGRx};
    PixelBlock corner;
    ASSERT_TRUE(copyCorner(frame, 256, 16, corner));
    EXPECT_EQ(corner.width, 6);
    EXPECT_EQ(corner.height, 2);
    std::vector<Color> colors;
    ASSERT_TRUE(readRow(corner.view(), {0, 1, 6, 1}, colors));
    EXPECT_EQ(colors.back(), expected(5, 1));
    EXPECT_FALSE(readRow(corner.view(), {0, 2, 6, 1}, colors)) << "below the corner";
}

TEST(FrameStrip, RefusesWhatCannotBeRead) {
    const auto bytes = paint(PixelLayout::BGRx, 4, 2, 16);
    const PixelView good{bytes.data(), bytes.size(), 4, 2, 16, PixelLayout::BGRx};
    struct Row {
        const char* what;
        PixelView view;
        Rect rect;
    };
    auto with = [&](auto change) {
        PixelView v = good;
        change(v);
        return v;
    };
    const Row rows[] = {
        {"no data", with([](PixelView& v) { v.data = nullptr; }), {0, 0, 4, 1}},
        {"too few bytes", with([](PixelView& v) { v.size = 16 + 15; }), {0, 0, 4, 1}},
        {"stride shorter than a row", with([](PixelView& v) { v.stride = 12; }), {0, 0, 4, 1}},
        {"negative stride", with([](PixelView& v) { v.stride = -16; }), {0, 0, 4, 1}},
        {"no width", with([](PixelView& v) { v.width = 0; }), {0, 0, 4, 1}},
        {"no height", with([](PixelView& v) { v.height = 0; }), {0, 0, 4, 1}},
        {"above", good, {0, -1, 4, 1}},
        {"below", good, {0, 2, 4, 1}},
        {"right of it", good, {4, 0, 3, 1}},
        {"left of it", good, {-5, 0, 5, 1}},
        {"no width asked", good, {1, 0, 0, 1}},
        {"not a number", good, {NAN, 0, 4, 1}},
        {"endless", good, {0, 0, INFINITY, 1}},
    };
    for (const auto& row : rows) {
        std::vector<Color> colors{Color::white()};
        EXPECT_FALSE(readRow(row.view, row.rect, colors)) << row.what;
        EXPECT_TRUE(colors.empty()) << row.what;
    }
    PixelBlock corner;
    EXPECT_FALSE(copyCorner(with([](PixelView& v) { v.size = 20; }), 4, 1, corner));
    EXPECT_TRUE(corner.bytes.empty());
    EXPECT_FALSE(copyCorner(good, 0, 1, corner));
    // A tight frame is read with stride 0 as with its own row length.
    std::vector<Color> tight, stated;
    ASSERT_TRUE(readRow(with([](PixelView& v) { v.stride = 0; }), {0, 1, 4, 1}, tight));
    ASSERT_TRUE(readRow(good, {0, 1, 4, 1}, stated));
    EXPECT_EQ(tight, stated);
}

} // namespace
} // namespace et::portal
