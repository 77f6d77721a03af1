#pragma once
// Cutting the strip out of a screen-cast frame: PipeWire hands over whole outputs in one of
// several byte orders, with rows that may be padded. Only the top-left block the strip can
// lie in is copied out of the stream's buffer (the buffer goes back to the stream at once),
// and only the asked row of that block is turned into colors. Pure functions, no PipeWire.
#include "Color.h"
#include "Rect.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace et::portal {

// Byte order of a pixel in memory, named as PipeWire's video formats are (BGRx: blue first).
enum class PixelLayout { BGRx, BGRA, RGBx, RGBA, xRGB, ARGB, xBGR, ABGR, RGB, BGR };

struct LayoutBytes {
    int size;
    int red, green, blue;
};
LayoutBytes layoutBytes(PixelLayout layout);

// Rows of pixels somewhere in memory, as a buffer describes them. `stride` 0 means rows
// packed tight; a stride shorter than a row, or bytes too few for the rows, make it unusable.
struct PixelView {
    const uint8_t* data = nullptr;
    size_t size = 0;
    int width = 0;
    int height = 0;
    int stride = 0;
    PixelLayout layout = PixelLayout::BGRx;
};

// Whether `view` can be read as it says (and the number of bytes from one row to the next).
std::optional<size_t> rowPitch(const PixelView& view);

// A copy of a frame's top-left corner, rows packed tight, that outlives the frame.
struct PixelBlock {
    std::vector<uint8_t> bytes;
    int width = 0;
    int height = 0;
    PixelLayout layout = PixelLayout::BGRx;

    PixelView view() const {
        return {bytes.data(), bytes.size(), width, height, 0, layout};
    }
};

// Copies columns [0, columns) of rows [0, rows) of `frame`, cut to what the frame holds, into
// `block` (its storage is reused). False, and `block` left empty, when the frame cannot be
// read or nothing of it lies in the corner.
bool copyCorner(const PixelView& frame, int columns, int rows, PixelBlock& block);

// The colors of the row at `rect.y` in `view`, columns `rect.x` to its right edge, cut to the
// view: the first color is the leftmost column of the rectangle inside the view, as a screen
// capture of a rectangle partly off the screen would give. False when nothing of `rect` is
// in the view (then `row` is empty).
bool readRow(const PixelView& view, const Rect& rect, std::vector<Color>& row);

} // namespace et::portal
