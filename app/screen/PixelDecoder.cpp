#include "PixelDecoder.h"

#include "ColorCode.h"

namespace et {

namespace {
constexpr int kStartMarker = 0;
constexpr int kPhase = 1;
constexpr int kEndMarker = 9;
constexpr int kHold = 10;

std::string withPrefix(char c, int r, int g, int b) {
    std::string message;
    if (r > g + b)
        message = "`";
    else if (b > r + g)
        message = "[";
    else if (g > r + b)
        message = "]";
    else if (g < r && r == b)
        message = "{";
    else if (b == g && r < b)
        message = "}";
    message.push_back(c);
    return message;
}
} // namespace

std::optional<std::string> PixelDecoder::decode(const Frame& colors) {
    int value = 0;
    int r = 0, g = 0, b = 0;
    for (int i = 0; i < kStripCells; ++i) {
        const Color& color = colors[static_cast<size_t>(i)];
        const bool lit = colorCode(color) != 0;
        pixelData_[static_cast<size_t>(i)] = color;
        scanData_[static_cast<size_t>(i)] = lit ? 1 : 0;
        const int weight = scanDataFactor[static_cast<size_t>(i)];
        if (weight > 0) {
            r += isLit(color.red) ? 1 : 0;
            g += isLit(color.green) ? 1 : 0;
            b += isLit(color.blue) ? 1 : 0;
            if (lit) value += weight;
        }
    }

    if (!scanData_[kStartMarker] || !scanData_[kEndMarker]) return std::nullopt;

    const char c = static_cast<char>(value);
    if (!scanData_[kPhase]) {
        if (!scanData_[kHold]) charSuspected_ = c;
        return std::nullopt;
    }
    const bool confirmed = charSuspected_ && *charSuspected_ == c;
    charSuspected_.reset();
    if (!confirmed) return std::nullopt;
    return withPrefix(c, r, g, b);
}

} // namespace et
