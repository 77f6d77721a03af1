#pragma once
// A profile color into a bitmap cell: its red, green and blue bytes, alpha 255.
#include "Color.h"
#include "KeyGrid.h"

namespace et {

inline void paintCell(LightingBitmap& bitmap, int offset, const Color& color) {
    paintCell(bitmap, offset, color.redByte(), color.greenByte(), color.blueByte());
}

// Paints the key's cell; false (and nothing written) for a key without a cell.
inline bool paintKey(LightingBitmap& bitmap, int32_t keyName, const Color& color) {
    return paintKey(bitmap, keyName, color.redByte(), color.greenByte(), color.blueByte());
}

} // namespace et
