#include "KeyGrid.h"

#include "KeyTable.h"

#include <algorithm>

namespace et {

namespace {

constexpr auto kCells = [] {
    std::array<KeyCell, kGridKeyCount> cells{};
    size_t n = 0;
    for (const KeyRow& k : kKeyTable)
        if (k.row >= 0) cells[n++] = {k.keyName, k.row, k.column};
    return cells;
}();
static_assert(std::ranges::count_if(kKeyTable, [](const KeyRow& k) { return k.row >= 0; }) ==
              kGridKeyCount);

// Grid keys are all below 0x200, so a flat array answers lookups without hashing.
constexpr int kLookupSize = 0x200;

struct OffsetLookup {
    std::array<int16_t, kLookupSize> offsets{};
    constexpr OffsetLookup() {
        offsets.fill(-1);
        for (const KeyCell& c : kCells)
            offsets[c.keyName] = static_cast<int16_t>(c.offset());
    }
};
constexpr OffsetLookup kLookup;

} // namespace

std::span<const KeyCell> keyCells() {
    return kCells;
}

std::optional<int> keyCellOffset(int32_t keyName) {
    if (keyName < 0 || keyName >= kLookupSize) return std::nullopt;
    const int offset = kLookup.offsets[keyName];
    if (offset < 0) return std::nullopt;
    return offset;
}

bool paintKey(LightingBitmap& bitmap, int32_t keyName, int red, int green, int blue) {
    auto offset = keyCellOffset(keyName);
    if (!offset) return false;
    paintCell(bitmap, *offset, red, green, blue);
    return true;
}

} // namespace et
