#include "FrameStrip.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace et::portal {

LayoutBytes layoutBytes(PixelLayout layout) {
    switch (layout) {
    case PixelLayout::BGRx:
    case PixelLayout::BGRA:
        return {4, 2, 1, 0};
    case PixelLayout::RGBx:
    case PixelLayout::RGBA:
        return {4, 0, 1, 2};
    case PixelLayout::xRGB:
    case PixelLayout::ARGB:
        return {4, 1, 2, 3};
    case PixelLayout::xBGR:
    case PixelLayout::ABGR:
        return {4, 3, 2, 1};
    case PixelLayout::RGB:
        return {3, 0, 1, 2};
    case PixelLayout::BGR:
        return {3, 2, 1, 0};
    }
    return {4, 2, 1, 0};
}

std::optional<size_t> rowPitch(const PixelView& view) {
    if (!view.data || view.width <= 0 || view.height <= 0 || view.stride < 0) return std::nullopt;
    const size_t row = static_cast<size_t>(view.width) * layoutBytes(view.layout).size;
    const size_t pitch = view.stride == 0 ? row : static_cast<size_t>(view.stride);
    if (pitch < row) return std::nullopt;
    // The last row need not carry its padding.
    const size_t needed = pitch * static_cast<size_t>(view.height - 1) + row;
    if (view.size < needed) return std::nullopt;
    return pitch;
}

bool copyCorner(const PixelView& frame, int columns, int rows, PixelBlock& block) {
    block.bytes.clear();
    block.width = block.height = 0;
    block.layout = frame.layout;
    const auto pitch = rowPitch(frame);
    if (!pitch) return false;
    const int width = std::min(columns, frame.width);
    const int height = std::min(rows, frame.height);
    if (width <= 0 || height <= 0) return false;
    const size_t rowBytes = static_cast<size_t>(width) * layoutBytes(frame.layout).size;
    block.bytes.resize(rowBytes * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        std::memcpy(block.bytes.data() + rowBytes * y, frame.data + *pitch * y, rowBytes);
    block.width = width;
    block.height = height;
    return true;
}

bool readRow(const PixelView& view, const Rect& rect, std::vector<Color>& row) {
    row.clear();
    const auto pitch = rowPitch(view);
    if (!pitch || !std::isfinite(rect.x) || !std::isfinite(rect.y) || !std::isfinite(rect.width))
        return false;
    const double left = std::max(0.0, std::floor(rect.x));
    const double right = std::min<double>(view.width, std::ceil(rect.x + rect.width));
    const double top = std::floor(rect.y);
    if (right <= left || top < 0.0 || top >= view.height) return false;
    const LayoutBytes bytes = layoutBytes(view.layout);
    const uint8_t* pixel = view.data + *pitch * static_cast<size_t>(top) +
                           static_cast<size_t>(left) * bytes.size;
    const int count = static_cast<int>(right - left);
    row.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i, pixel += bytes.size)
        row[static_cast<size_t>(i)] = Color{pixel[bytes.red] / 255.0, pixel[bytes.green] / 255.0,
                                            pixel[bytes.blue] / 255.0, 1.0};
    return true;
}

} // namespace et::portal
