#include "StripFront.h"

#include "ColorCode.h"
#include "PixelDecoder.h"
#include "ScanGeometry.h"

namespace et {

namespace {
constexpr int kStartMarker = 0;
constexpr int kEndMarker = 9;
} // namespace

bool StripFront::isStripFrame(const ScreenImage& image, double scanWidth) {
    const auto columns = ScanGeometry::pixelOffsetsFor(scanWidth);
    int lit = 0;
    bool markers = true;
    for (int i = 0; i < kStripCells; ++i) {
        const auto color = image.colorAt(columns[static_cast<size_t>(i)]);
        const bool on = color && colorCode(*color) != 0;
        lit += on ? 1 : 0;
        if (i == kStartMarker || i == kEndMarker) markers = markers && on;
    }
    return markers && lit < kStripCells;
}

void StripFront::frameRead(const ScreenImage& image, double scanWidth) {
    if (!isStripFrame(image, scanWidth)) return;
    lastFrame_.store(now_().time_since_epoch().count());
    seen_.store(true);
}

bool StripFront::inFront() const {
    if (!seen_.load()) return false;
    const Clock::time_point last{Clock::duration{lastFrame_.load()}};
    return now_() - last <= kLinger;
}

} // namespace et
