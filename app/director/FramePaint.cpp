#include "FramePaint.h"

#include "KeyGroups.h"

#include <algorithm>
#include <cstring>

namespace et {

namespace {
constexpr int kMinBands = 2;
constexpr int kMaxBands = 21;

bool validRow(int row) {
    return row >= 0 && row < kBitmapRows;
}
} // namespace

BandSpan bandSpan(int band, int bandCount) {
    const int n = std::clamp(bandCount, kMinBands, kMaxBands);
    const int k = std::clamp(band, 0, n - 1);
    const int width = kBandRange / n;
    // The last band is anchored at the right edge; the remainder of the division lies
    // between it and its neighbour.
    if (k == n - 1) return {kBandRange - width, kBandRange};
    return {k * width, (k + 1) * width};
}

void paintBand(LightingBitmap& bitmap, int band, int bandCount, ByteRgb color) {
    const BandSpan span = bandSpan(band, bandCount);
    for (const KeyBandPosition& key : keyBandPositions()) {
        if (span.contains(key.position))
            paintKey(bitmap, key.keyName, color.red, color.green, color.blue);
    }
}

void paintRow(LightingBitmap& bitmap, int row, ByteRgb color) {
    if (!validRow(row)) return;
    for (int column = 0; column < kBitmapColumns; ++column)
        paintGridCell(bitmap, row, column, color);
}

void copyRow(LightingBitmap& to, const LightingBitmap& from, int row) {
    if (!validRow(row)) return;
    const auto offset = static_cast<size_t>(row * kBitmapRowBytes);
    std::memcpy(to.data() + offset, from.data() + offset, kBitmapRowBytes);
}

void paintGridCell(LightingBitmap& bitmap, int row, int column, ByteRgb color) {
    if (!validRow(row) || column < 0 || column >= kBitmapColumns) return;
    paintCell(bitmap, (row * kBitmapColumns + column) * kBitmapCellBytes, color.red, color.green,
              color.blue);
}

} // namespace et
