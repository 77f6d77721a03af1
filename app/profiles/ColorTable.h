#pragma once
// The thirteen colors of a color profile: their order (which the stored key maps and the
// profile file depend on), settings key stems, window tags and default values.
#include "Color.h"

#include <array>
#include <span>
#include <string_view>
#include <vector>

namespace et {

inline constexpr int kColorCount = 13;
inline constexpr int kProfileCount = 9;

// Color indices. Index 4 (A) is every key's default and the single-color-mode color;
// index 1 is what keys on cooldown wear.
inline constexpr int kColorI = 0;
inline constexpr int kCooldownColor = 1;
inline constexpr int kColorJ = 2;
inline constexpr int kColorK = 3;
inline constexpr int kColorA = 4;
inline constexpr int kColorB = 5;
inline constexpr int kColorC = 6;
inline constexpr int kColorD = 7;
inline constexpr int kColorE = 8;
inline constexpr int kColorF = 9;
inline constexpr int kColorG = 10;
inline constexpr int kColorH = 11;
inline constexpr int kColorL = 12;

using ColorSet = std::array<Color, kColorCount>;
// Color index by key identifier.
using KeyMap = std::vector<int>;

struct ProfileColor {
    int index;
    std::string_view name;
    std::string_view stem; // settings key without the profile number
    std::string_view well; // the color well in the color programmer
    int tag;               // tag of the well and its paint button; 0 for the cooldown well
    Color defaultColor;
};

// The thirteen entries, by color index.
std::span<const ProfileColor, kColorCount> profileColors();

// The order in which a profile's colors are loaded and saved: cooldown, A–H, I, J, K, L.
std::span<const int, kColorCount> colorStorageOrder();

// Every profile's colors before the user changes them.
ColorSet defaultColorSet();

// Color index chosen by a paint button's tag: 1–8 → A–H, 9 → I, 10 → J, 11 → K, else L.
int paintButtonColorIndex(int tag);
// Color index set by a color well's tag: as the paint buttons, 12 → L, else the cooldown color.
int colorWellColorIndex(int tag);

inline bool isColorIndex(long long v) {
    return v >= 0 && v < kColorCount;
}

} // namespace et
