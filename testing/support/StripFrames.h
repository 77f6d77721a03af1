#pragma once
// Builders for strip frames as the add-on paints them, and a screen row that shows them.
#include "Color.h"
#include "PixelDecoder.h"

#include <cmath>
#include <string>
#include <vector>

namespace et::test {

enum class Phase { Offer, Confirm };

struct FrameSpec {
    int value = 0;
    Phase phase = Phase::Offer;
    Color data = Color::white(); // color of the lit data cells
    bool hold = false;
    bool startMarker = true;
    bool endMarker = true;
};

inline PixelDecoder::Frame frame(const FrameSpec& spec) {
    PixelDecoder::Frame cells;
    cells.fill(Color::black());
    cells[0] = spec.startMarker ? Color::white() : Color::black();
    cells[1] = spec.phase == Phase::Confirm ? Color::white() : Color::black();
    for (int bit = 0; bit < 7; ++bit)
        if (spec.value & (64 >> bit)) cells[static_cast<size_t>(2 + bit)] = spec.data;
    cells[9] = spec.endMarker ? Color::white() : Color::black();
    cells[10] = spec.hold ? Color::white() : Color::black();
    return cells;
}

inline PixelDecoder::Frame offer(char c, Color data = Color::white()) {
    return frame({static_cast<unsigned char>(c), Phase::Offer, data});
}
inline PixelDecoder::Frame confirm(char c, Color data = Color::white()) {
    return frame({static_cast<unsigned char>(c), Phase::Confirm, data});
}

inline const Color kMagenta{1.0, 0.0, 1.0, 1.0};
inline const Color kGray{0.5, 0.5, 0.5, 1.0};

// A row of `width` pixels: the eleven cells from x = 0, cell i spanning
// [round(i × cellWidth), round((i + 1) × cellWidth)), then `background`.
inline std::vector<Color> stripRow(const PixelDecoder::Frame& cells, double cellWidth,
                                   Color background = kGray, int width = 400) {
    std::vector<Color> row(static_cast<size_t>(width), background);
    for (int i = 0; i < kStripCells; ++i) {
        const int from = static_cast<int>(std::lround(i * cellWidth));
        const int to = static_cast<int>(std::lround((i + 1) * cellWidth));
        for (int x = from; x < to && x < width; ++x)
            row[static_cast<size_t>(x)] = cells[static_cast<size_t>(i)];
    }
    return row;
}

// The calibration pattern of the add-on: red, black, cyan, white, magenta, blue, yellow,
// red, green, white, black.
inline PixelDecoder::Frame calibrationPattern() {
    const Color red = Color::red_(), black = Color::black(), cyan = Color::cyan(),
                white = Color::white(), blue = Color::blue_(), yellow = Color::yellow(),
                green = Color::green_();
    return {red, black, cyan, white, kMagenta, blue, yellow, red, green, white, black};
}

} // namespace et::test
