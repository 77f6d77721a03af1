#pragma once
// A small bitmap font for the legends on the keys of the virtual keyboard: 5 × 7 dots for
// the letters, digits, signs and arrows the application's key legends are written with.
#include <array>
#include <cstdint>
#include <optional>

namespace hostsim {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
// From one character's left edge to the next one's.
inline constexpr int kGlyphAdvance = kGlyphWidth + 1;

// Seven rows, top first; bit 4 of a row is its leftmost dot.
using GlyphRows = std::array<uint8_t, kGlyphHeight>;

// Nothing for a character the font does not have (a space has empty rows).
std::optional<GlyphRows> glyph(char32_t c);

} // namespace hostsim
