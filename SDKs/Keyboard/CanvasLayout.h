#pragma once
// The drawing of the keyboard in the color programmer: one axis-aligned rectangle per key
// (view coordinates, origin bottom left, in points). Its key order also fixes the key
// order of the profile file.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace et {

// Bottom edges of the six keyboard rows, function row first, and the normal key size.
inline constexpr int yrow1 = 228;
inline constexpr int yrow2 = 186;
inline constexpr int yrow3 = 154;
inline constexpr int yrow4 = 121;
inline constexpr int yrow5 = 88;
inline constexpr int yrow6 = 54;
inline constexpr int yrowh = 23;
inline constexpr int xwidth = 22;

struct KeyRect {
    int32_t id; // key identifier (KeyName, or 512–522)
    int x;      // left edge
    int y;      // bottom edge
    int width;
    int height;
};

// The 115 key rectangles.
std::span<const KeyRect> canvasKeyRects();

// canvasKeyIds: the identifiers that have a rectangle, ascending (115).
const std::vector<int32_t>& canvasKeyIds();

// The key whose rectangle holds the point; edges on the left and bottom belong to the key.
std::optional<int32_t> canvasKeyAt(double x, double y);

} // namespace et
