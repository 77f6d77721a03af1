#pragma once
// Painting animation frames: byte colors, whole rows, single cells and the vertical bands
// that the sweeping animations cut the keyboard into.
#include "Color.h"
#include "KeyGrid.h"

namespace et {

// A color given as bytes, as the animations' palettes are written.
struct ByteRgb {
    int red = 0;
    int green = 0;
    int blue = 0;

    // The same color with components 0–1, for whole-keyboard frames.
    Color toColor() const { return {red / 255.0, green / 255.0, blue / 255.0, 1.0}; }
    bool operator==(const ByteRgb&) const = default;
};

// Horizontal positions covered by one band, both ends included.
struct BandSpan {
    int first;
    int last;
    bool contains(int position) const { return position >= first && position <= last; }
};

// Band `band` of `bandCount` equal bands over the key positions. The count is held to
// 2–21 and the band to 0–(count − 1), so a stray index paints the nearest band instead of
// nothing. Neighbouring bands share their boundary position.
BandSpan bandSpan(int band, int bandCount);

// Paints every key whose position lies in the band. Keys without a cell are never painted.
void paintBand(LightingBitmap& bitmap, int band, int bandCount, ByteRgb color);
// Paints all 21 cells of row 0–5.
void paintRow(LightingBitmap& bitmap, int row, ByteRgb color);
// Copies row 0–5 of `from` into `to`.
void copyRow(LightingBitmap& to, const LightingBitmap& from, int row);
// Paints the cell at `row`, `column` of the grid, whether or not a key sits there.
void paintGridCell(LightingBitmap& bitmap, int row, int column, ByteRgb color);

} // namespace et
