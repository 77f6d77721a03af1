#include "Calibration.h"

#include "SettingsKeys.h"

#include "ColorCode.h"
#include "TextFormat.h"

namespace et {

// Units: the cell is measured, and widths are tested, in pixel columns of the captured
// image, while the rectangles and scanOffset are display points. They are not converted:
// the capture thread applies pixelOffsets to the captured image's pixel columns unscaled,
// so a width measured in those same columns places the samples where calibration saw the
// cells, whatever the scale. On X11 the root window is addressed in pixels and the scale
// factor is 1, so points and pixels coincide there.

namespace {
const Rect kTestRect{0.0, 0.0, 25.0, 1.0};
constexpr const char* kBeep = "Tink";
} // namespace

Calibration::Calibration(ScreenSource& screen, ScanGeometry& geometry, RunLoop& runLoop,
                         Sound& sound, Speech& speech, Defaults& defaults, Log& log,
                         std::function<bool()> debugMode)
    : screen_(screen), geometry_(geometry), runLoop_(runLoop), sound_(sound), speech_(speech),
      defaults_(defaults), log_(log), debugMode_(std::move(debugMode)) {}

void Calibration::calibrateScreen() {
    // A click that arrives during one of the run's slices would start a run inside the run.
    if (running_) return;
    if (confirmCalibrate) {
        log_.appendLine("\nAre you sure you want to calibrate now?  This will erase your current "
                        "screen calibration, if any.\nThe app will beep to indicate it's working "
                        "but will otherwise appear frozen for up to 90 seconds.\n** Click "
                        "Calibrate again to begin **");
        confirmCalibrate = false;
        return;
    }
    running_ = true;
    const auto debug = [this] { return debugMode_ && debugMode_(); };

    speak(debug() ? "calibration mode"
                  : "Ember Talon is calibrating. Switch back to Ember and type slash Talon "
                    "calibrate");
    log_.appendLine("\n**** ATTEMPTING TO CALIBRATE ****\nSwitch back to Ember and type "
                    "/taloncal\n");
    if (findScanStrip(debug() ? &log_ : nullptr, geometry_.scanOffset, geometry_.scanWidth)) {
        log_.appendLine("\nCalibration successful!  (offset " +
                        std::to_string(geometry_.scanOffset) + ", width " +
                        shortestDecimal(geometry_.scanWidth) + ")");
        speak(debug() ? "Calibration successful"
                      : "Calibration successful.  Ember Talon is ready to light up your game");
        // The capture thread takes the new rectangle and columns together, from its next frame.
        geometry_.applyScanRect();
    } else {
        log_.appendLine("\nCalibration failed. You should try again and check help for "
                        "troubleshooting tips.");
        speak(debug() ? "Failed to calibrate"
                      : "Ember Talon was unable to calibrate to your screen. Try again. Click "
                        "the help button for more tips");
    }
    confirmCalibrate = true;
    running_ = false;
}

bool Calibration::findScanStrip(Log* logView, int& offsetOut, double& widthOut) {
    const auto cal = [logView](const std::string& line) {
        if (logView) logView->appendLine(line);
    };
    const auto timedOut = [&] {
        if (deadlinePassed()) cal("CAL: TIMED OUT!");
    };

    const double start = runLoop_.now();
    nextBeep_ = start;
    deadline_ = start + kTimeout;
    cal("CAL: timeout established at " +
        describeDate(std::chrono::system_clock::now() +
                     std::chrono::duration_cast<std::chrono::system_clock::duration>(
                         std::chrono::duration<double>(kTimeout))));
    cal("CAL: mainscreen backingScaleFactor is " +
        shortestDecimal(screen_.mainDisplayScaleFactor()));
    cal("CAL: phase 1 test rect: " + describeRect(kTestRect));

    // Phase 1: the pattern's first cell is red.
    while (codeAt(kTestRect, 0) != 1 && !deadlinePassed())
        calibrationPause();
    timedOut();
    cal("CAL: dropped out of first loop with left edge equal to 0");

    // Phase 2: the black cell after the red one.
    int edge = 1;
    bool measure = true;
    for (;; ++edge) {
        calibrationPause();
        if (codeAt(kTestRect, edge) == 0) break;
        if (deadlinePassed()) {
            cal("CAL: TIMED OUT!");
            measure = false;
            break;
        }
    }

    int count = 0;
    if (measure) {
        while (codeAt(kTestRect, count) == 1)
            ++count;
        cal("CAL: dropped out of second loop with right edge equal to " + std::to_string(count));
    }

    // The middle of the red cell.
    int offset = (count - 1) / 2;
    cal("CAL: scanOffset is now: " + std::to_string(offset));
    if (offset < 1) {
        offset = 1;
        cal("CAL: **scanOffset adjusted to 1");
    }
    const auto rectFor = [offset](float width) {
        return Rect{static_cast<double>(offset), 0.0, static_cast<double>(width), 1.0};
    };

    // Phase 3: the narrowest width at which the whole pattern shows.
    float width = static_cast<float>(offset * 11);
    cal("CAL: scanning over range " + shortestDecimal(width) + " — " +
        shortestDecimal(kWidthLimit));
    for (;;) {
        width += 1.0f;
        if (width >= kWidthLimit) {
            cal("CAL: restarted scan search over range " + shortestDecimal(11.0f) + " and " +
                (edge <= 11 ? "11" : "0"));
            width = 11.0f;
        }
        const Rect rect = rectFor(width);
        cal("CAL loop: looking over " + describeRect(rect));
        if (logView) { // the log view is passed in debug mode only
            for (int i = 0; i < kStripCells; ++i) {
                const auto code = codeAt(rect, sampleColumn(i, width));
                cal("CAL loop: test width " + shortestDecimal(width) + ": detectedPixelColor at " +
                    std::to_string(i) + " was " + std::to_string(code.value_or(999)));
            }
        }
        calibrationPause();
        if (patternMatches(width, rect) || deadlinePassed()) break;
    }
    timedOut();
    cal("CAL: dropped out of third loop with min scan width equal to " + shortestDecimal(width));
    const float minWidth = width;

    // Phase 4: the widest.
    for (;;) {
        width = width + 1.0f >= kWidthLimit ? minWidth : width + 1.0f;
        calibrationPause();
        if (!patternMatches(width, rectFor(width)) || deadlinePassed()) break;
    }
    timedOut();
    const float maxWidth = width - 1.0f;
    cal("CAL: dropped out of forth loop with max scan width equal to " + shortestDecimal(maxWidth));
    const float middle = (minWidth + maxWidth) * 0.5f;

    const bool success = !deadlinePassed();
    if (success) {
        defaults_.setFloat(settings::kScanWidth, middle);
        defaults_.setInt(settings::kScanOffset, offset);
        offsetOut = offset;
        widthOut = middle;
    } else {
        defaults_.setFloat(settings::kScanWidth, 0.0f);
        defaults_.setInt(settings::kScanOffset, 0);
        offsetOut = 2;
        widthOut = 80.0;
    }
    defaults_.sync();
    return success;
}

bool Calibration::patternMatches(float width, const Rect& rect) {
    for (int i = 0; i < kStripCells; ++i) {
        const auto code = codeAt(rect, sampleColumn(i, width));
        if (!code || *code != kPattern[static_cast<size_t>(i)]) return false;
    }
    return true;
}

void Calibration::calibrationPause() {
    runLoop_.runFor(kSlice);
    // A fixed schedule from the start of the run, however long the captures take.
    if (runLoop_.now() > nextBeep_) {
        sound_.play(kBeep);
        nextBeep_ += kBeepInterval;
    }
}

void Calibration::speak(const std::string& text) {
    speech_.speak(text);
}

bool Calibration::deadlinePassed() const {
    return runLoop_.now() > deadline_;
}

std::optional<int> Calibration::codeAt(const Rect& rect, int column) {
    if (!screen_.capture(rect, image_)) return std::nullopt;
    const auto color = image_.colorAt(column);
    if (!color) return std::nullopt;
    return colorCode(*color);
}

int Calibration::sampleColumn(int cell, float width) {
    return ScanGeometry::pixelOffsetsFor(width)[static_cast<size_t>(cell)];
}

} // namespace et
