#include "ScanGeometry.h"

#include "SettingsKeys.h"

#include <cmath>

namespace et {

ScanGeometry::ScanGeometry() : published_(std::make_shared<const ScanSnapshot>()) {}

PixelOffsets ScanGeometry::pixelOffsetsFor(double scanWidth) {
    const float width = static_cast<float>(scanWidth);
    PixelOffsets offsets{};
    for (int i = 0; i < kStripCells; ++i) {
        const float column = std::round(static_cast<float>(i) * width / 11.0f);
        // A corrupt width must not turn into an undefined conversion.
        offsets[static_cast<size_t>(i)] =
            std::isfinite(column) && std::fabs(column) < 1e9f ? static_cast<int>(column) : 0;
    }
    return offsets;
}

bool ScanGeometry::loadCalibration(const Defaults& defaults) {
    const float storedWidth = defaults.getFloat(settings::kScanWidth).value_or(0.0f);
    const int64_t storedOffset = defaults.getInt(settings::kScanOffset).value_or(0);
    scanWidth = std::isfinite(storedWidth) ? storedWidth : 0.0;
    scanOffset = storedOffset >= 0 && storedOffset < 100000 ? static_cast<int>(storedOffset) : 0;
    if (static_cast<int64_t>(std::trunc(scanWidth)) + scanOffset == 0 || scanWidth <= 0.0 ||
        scanWidth >= 100000.0) {
        scanWidth = 80.0;
        scanOffset = 2;
        return false;
    }
    return true;
}

void ScanGeometry::updatePixelOffsets() {
    publish(myScanRect(), pixelOffsetsFor(scanWidth));
}

void ScanGeometry::applyScanRect() {
    publish(Rect{static_cast<double>(scanOffset), 0.0, scanWidth, 1.0}, pixelOffsetsFor(scanWidth));
}

std::shared_ptr<const ScanSnapshot> ScanGeometry::snapshot() const {
    std::lock_guard lock(mutex_);
    return published_;
}

void ScanGeometry::publish(std::optional<Rect> rect, const PixelOffsets& offsets) {
    auto next = std::make_shared<const ScanSnapshot>(ScanSnapshot{rect, offsets});
    std::lock_guard lock(mutex_);
    published_ = std::move(next);
}

} // namespace et
