#pragma once
// The lighting bitmap and where each of the 104 grid keys sits in it (cells read off
// KeyTable.h): composition, animations and cooldowns all look cells up here.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace et {

inline constexpr int kBitmapColumns = 21;
inline constexpr int kBitmapRows = 6;
inline constexpr int kBitmapCellBytes = 4;
inline constexpr int kBitmapRowBytes = kBitmapColumns * kBitmapCellBytes; // 84
inline constexpr int kBitmapBytes = kBitmapRows * kBitmapRowBytes;        // 504

// Cells are blue, green, red, alpha; rows follow each other, row 0 first.
using LightingBitmap = std::array<unsigned char, kBitmapBytes>;

struct KeyCell {
    int32_t keyName;
    int row;
    int column;
    constexpr int offset() const { return (row * kBitmapColumns + column) * kBitmapCellBytes; }
};

// The 104 keys that have a cell, row by row.
std::span<const KeyCell> keyCells();

// Byte offset of the key's cell, or nullopt for keys without one (P1–P9, logo, badge,
// anything unknown).
std::optional<int> keyCellOffset(int32_t keyName);

// Every byte 0xFF: the start value of every bitmap, and what cells without a key keep.
inline LightingBitmap blankBitmap() {
    LightingBitmap b;
    b.fill(0xFF);
    return b;
}

// Writes one cell from bytes given as red, green, blue (stored blue first), alpha 255.
inline void paintCell(LightingBitmap& bitmap, int offset, int red, int green, int blue) {
    bitmap[offset] = static_cast<unsigned char>(blue);
    bitmap[offset + 1] = static_cast<unsigned char>(green);
    bitmap[offset + 2] = static_cast<unsigned char>(red);
    bitmap[offset + 3] = 0xFF;
}

// Paints the key's cell; false (and nothing written) for a key without a cell.
bool paintKey(LightingBitmap& bitmap, int32_t keyName, int red, int green, int blue);

} // namespace et
