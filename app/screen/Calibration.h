#pragma once
// Finds the add-on's strip: waits for its calibration pattern in the top row of the main
// display, measures the first cell and searches the range of strip widths at which all
// eleven samples land in their cells. Runs on the main thread and blocks it for up to
// 90 s, except for short run-loop slices between captures.
#include "Defaults.h"
#include "Log.h"
#include "RunLoop.h"
#include "ScanGeometry.h"
#include "ScreenSource.h"
#include "Sound.h"
#include "Speech.h"

#include <array>
#include <functional>
#include <string>

namespace et {

class Calibration {
  public:
    // `screen` is a source of the main thread's own (not the capture thread's).
    Calibration(ScreenSource& screen, ScanGeometry& geometry, RunLoop& runLoop, Sound& sound,
                Speech& speech, Defaults& defaults, Log& log, std::function<bool()> debugMode);

    // While set, a calibrate request only asks for confirmation. Reset, help, the lighting
    // refresh, the test pattern and the color programmer set it again.
    bool confirmCalibrate = true;

    // calibrateButton: / calibrateMI:.
    void calibrateScreen();

    // Measures the strip; sets both out-parameters and writes "scanOffset" and "scanWidth"
    // in every case (0 and 0 after a failure, which erases the stored calibration).
    bool findScanStrip(Log* logView, int& offset, double& width);
    // Whether the calibration pattern shows at `width`, each cell from a fresh capture.
    bool patternMatches(float width, const Rect& rect);
    // One run-loop slice, then the beep when it is due.
    void calibrationPause();
    void speak(const std::string& text);

    // Color codes of the pattern: red, black, cyan, white, magenta, blue, yellow, red,
    // green, white, black.
    static constexpr std::array<int, kStripCells> kPattern = {1, 0, 6, 7, 5, 4, 3, 1, 2, 7, 0};
    static constexpr double kTimeout = 90.0;
    static constexpr double kBeepInterval = 2.0;
    static constexpr double kSlice = 0.025;
    static constexpr float kWidthLimit = 200.0f;

  private:
    bool deadlinePassed() const;
    // Color code at `column` of a fresh capture of `rect`; empty when there is none.
    std::optional<int> codeAt(const Rect& rect, int column);
    static int sampleColumn(int cell, float width);

    ScreenSource& screen_;
    ScanGeometry& geometry_;
    RunLoop& runLoop_;
    Sound& sound_;
    Speech& speech_;
    Defaults& defaults_;
    Log& log_;
    std::function<bool()> debugMode_;

    ScreenImage image_;
    double deadline_ = 0.0;
    double nextBeep_ = 0.0;
    bool running_ = false;
};

} // namespace et
