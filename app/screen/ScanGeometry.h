#pragma once
// Where the strip is: its offset and width (main thread), and the rectangle and sample
// columns that the capture thread uses, published together as one immutable snapshot so
// that a frame never mixes an old rectangle with new columns.
#include "Defaults.h"
#include "PixelDecoder.h"
#include "Rect.h"

#include <array>
#include <memory>
#include <mutex>
#include <optional>

namespace et {

using PixelOffsets = std::array<int, kStripCells>;

struct ScanSnapshot {
    std::optional<Rect> myScanRect;
    PixelOffsets pixelOffsets{};
};

class ScanGeometry {
  public:
    ScanGeometry();

    // Main thread. Calibration changes these; the capture follows only when applied.
    int scanOffset = 0;
    double scanWidth = 0.0;

    // Column i is i × width / 11, rounded half away from zero, all in single precision.
    static PixelOffsets pixelOffsetsFor(double scanWidth);

    // Reads the stored calibration; when it is missing (offset plus whole width is 0) the
    // strip defaults to offset 2, width 80, which are not written back. Returns whether a
    // calibration was found.
    bool loadCalibration(const Defaults& defaults);

    // Recomputes the sample columns from scanWidth and publishes them.
    void updatePixelOffsets();
    // myScanRect := (scanOffset, 0, scanWidth, 1) with matching columns, published as one.
    void applyScanRect();

    // Main thread: what was last published.
    std::optional<Rect> myScanRect() const { return snapshot()->myScanRect; }
    PixelOffsets pixelOffsets() const { return snapshot()->pixelOffsets; }

    // Any thread.
    std::shared_ptr<const ScanSnapshot> snapshot() const;

  private:
    void publish(std::optional<Rect> rect, const PixelOffsets& offsets);

    mutable std::mutex mutex_;
    std::shared_ptr<const ScanSnapshot> published_;
};

} // namespace et
