#include "Calibration.h"
#include "FakeScreenSource.h"
#include "MemoryDefaults.h"
#include "RecordingLog.h"
#include "StripFrames.h"
#include "TextFormat.h"
#include "VirtualRunLoop.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace et::test {
namespace {

class RecordingSound : public Sound {
  public:
    explicit RecordingSound(const RunLoop& clock) : clock_(clock) {}
    void play(const std::string& name) override {
        names.push_back(name);
        times.push_back(clock_.now());
    }
    std::vector<std::string> names;
    std::vector<double> times;

  private:
    const RunLoop& clock_;
};

class RecordingSpeech : public Speech {
  public:
    void speak(const std::string& text) override { spoken.push_back(text); }
    std::vector<std::string> spoken;
};

// Widths at which every sample lands inside its own cell, judged by pixel geometry: the
// strip of cells `cellWidth` pixels wide starts at x = 0; the capture starts at `offset`.
std::vector<int> acceptedWidths(int offset, double cellWidth) {
    std::vector<int> widths;
    for (int w = 11; w < 200; ++w) {
        bool inside = true;
        for (int i = 0; i < kStripCells; ++i) {
            const int x = offset + ScanGeometry::pixelOffsetsFor(w)[static_cast<size_t>(i)];
            inside =
                inside && x >= std::lround(i * cellWidth) && x < std::lround((i + 1) * cellWidth);
        }
        if (inside) widths.push_back(w);
    }
    return widths;
}

struct CalibrationFixture : ::testing::Test {
    FakeScreenSource screen;
    ScanGeometry geometry;
    VirtualRunLoop runLoop;
    RecordingSound sound{runLoop};
    RecordingSpeech speech;
    MemoryDefaults defaults;
    RecordingLog log;
    bool debugMode = false;
    Calibration calibration{screen, geometry, runLoop, sound,
                            speech, defaults, log,     [this] { return debugMode; }};

    CalibrationFixture() {
        geometry.scanOffset = 2;
        geometry.scanWidth = 80.0;
        geometry.applyScanRect();
    }
    void showPattern(double cellWidth) { screen.show(stripRow(calibrationPattern(), cellWidth)); }
    // Both clicks: the confirmation, then the run.
    void calibrate() {
        calibration.calibrateScreen();
        calibration.calibrateScreen();
    }
    int calLines() const { return log.countStartingWith("CAL"); }
};

TEST_F(CalibrationFixture, NinePixelCellsGiveOffsetFourAndStartAt45) {
    debugMode = true;
    showPattern(9.0);
    calibrate();
    EXPECT_EQ(log.count("CAL: dropped out of second loop with right edge equal to 9"), 1);
    EXPECT_EQ(log.count("CAL: scanOffset is now: 4"), 1);
    EXPECT_EQ(log.count("CAL: scanning over range 44.0 — 200.0"), 1);
    const auto lines = log.lines();
    const auto firstLook = std::find_if(lines.begin(), lines.end(), [](auto& l) {
        return l.rfind("CAL loop: looking over", 0) == 0;
    });
    ASSERT_NE(firstLook, lines.end());
    EXPECT_EQ(*firstLook, "CAL loop: looking over {{4, 0}, {45, 1}}");

    const auto accepted = acceptedWidths(4, 9.0);
    ASSERT_FALSE(accepted.empty());
    const double middle = (accepted.front() + accepted.back()) * 0.5;
    EXPECT_EQ(geometry.scanOffset, 4);
    EXPECT_EQ(geometry.scanWidth, middle);
    EXPECT_EQ(
        log.count("\nCalibration successful!  (offset 4, width " + shortestDecimal(middle) + ")"),
        1);
}

TEST_F(CalibrationFixture, TenPixelCellsStoreTheMidpointAndPublishIt) {
    defaults.setDouble("scanWidth", 49.5);
    defaults.setInt("scanOffset", 9);
    showPattern(10.0);
    calibrate();
    const auto accepted = acceptedWidths(4, 10.0);
    ASSERT_GE(accepted.size(), 2u);
    // The accepted widths form one run; the stored width is its middle.
    EXPECT_EQ(accepted.back() - accepted.front() + 1, static_cast<int>(accepted.size()));
    const float middle = (accepted.front() + accepted.back()) * 0.5f;
    EXPECT_EQ(defaults.getFloat("scanWidth"), middle);
    EXPECT_EQ(defaults.getInt("scanOffset"), 4);
    // The capture moves to the new strip, and every sample lies inside its cell.
    EXPECT_EQ(geometry.myScanRect(), (Rect{4, 0, middle, 1}));
    const auto columns = geometry.pixelOffsets();
    for (int i = 0; i < kStripCells; ++i) {
        const int x = 4 + columns[static_cast<size_t>(i)];
        EXPECT_GE(x, 10 * i);
        EXPECT_LT(x, 10 * i + 10);
    }
    EXPECT_EQ(calLines(), 0); // not in debug mode
    EXPECT_EQ(speech.spoken.back(),
              "Calibration successful.  Ember Talon is ready to light up your game");
    EXPECT_TRUE(calibration.confirmCalibrate);
}

TEST_F(CalibrationFixture, NarrowRedCellIsAdjustedToOffsetOne) {
    debugMode = true;
    showPattern(2.0);
    calibrate();
    EXPECT_EQ(log.count("CAL: scanOffset is now: 0"), 1);
    EXPECT_EQ(log.count("CAL: **scanOffset adjusted to 1"), 1);
    EXPECT_EQ(geometry.scanOffset, 1);
    EXPECT_EQ(speech.spoken.back(), "Calibration successful");

    // One-pixel cells: the sample of cell 0 falls in cell 1 at offset 1, so no width fits.
    log.clear();
    showPattern(1.0);
    calibrate();
    EXPECT_EQ(log.count("CAL: **scanOffset adjusted to 1"), 1);
    EXPECT_EQ(speech.spoken.back(), "Failed to calibrate");
}

TEST_F(CalibrationFixture, NoPatternFailsAtTheDeadlineAndErasesTheCalibration) {
    defaults.setDouble("scanWidth", 49.5);
    defaults.setInt("scanOffset", 4);
    geometry.scanOffset = 4;
    geometry.scanWidth = 49.5;
    geometry.applyScanRect();
    const auto before = geometry.snapshot();
    screen.show(std::vector<Color>(400, kGray));
    const double start = runLoop.now();
    calibrate();
    // 90 s, plus the one pass each later phase may make.
    EXPECT_GT(runLoop.now() - start, 90.0);
    EXPECT_LT(runLoop.now() - start, 90.2);
    EXPECT_EQ(defaults.getDouble("scanWidth"), 0.0);
    EXPECT_EQ(defaults.getInt("scanOffset"), 0);
    EXPECT_EQ(geometry.scanOffset, 2);
    EXPECT_EQ(geometry.scanWidth, 80.0);
    EXPECT_EQ(geometry.snapshot(), before); // the capture keeps its strip
    EXPECT_EQ(log.count("\nCalibration failed. You should try again and check help for "
                        "troubleshooting tips."),
              1);
    EXPECT_EQ(speech.spoken,
              (std::vector<std::string>{
                  "Ember Talon is calibrating. Switch back to Ember and type slash Talon "
                  "calibrate",
                  "Ember Talon was unable to calibrate to your screen. Try again. Click the "
                  "help button for more tips"}));
    // Beeps on a two-second schedule counted from the start of the run.
    ASSERT_GE(sound.times.size(), 45u);
    EXPECT_LE(sound.times.size(), 47u);
    EXPECT_LT(sound.times.front() - start, 0.03);
    for (size_t i = 1; i < sound.times.size(); ++i)
        EXPECT_NEAR(sound.times[i] - sound.times[i - 1], 2.0, 0.03);
    EXPECT_EQ(sound.names.front(), "Tink");
}

TEST_F(CalibrationFixture, DebugFailureLogsTimeoutsOfEachPhase) {
    debugMode = true;
    screen.show(std::vector<Color>(400, Color::black()));
    calibrate();
    // Phase 2 meets black at once; phases 1, 3 and 4 run out of time.
    EXPECT_EQ(log.count("CAL: TIMED OUT!"), 3);
    EXPECT_EQ(log.count("CAL: dropped out of first loop with left edge equal to 0"), 1);
    EXPECT_EQ(log.countStartingWith("CAL: timeout established at "), 1);
    EXPECT_EQ(log.count("CAL: mainscreen backingScaleFactor is 1.0"), 1);
    EXPECT_EQ(log.count("CAL: phase 1 test rect: {{0, 0}, {25, 1}}"), 1);
    // Phase 2 found black at once, so no measurement was skipped.
    EXPECT_EQ(log.count("CAL: dropped out of second loop with right edge equal to 0"), 1);
    EXPECT_EQ(speech.spoken.front(), "calibration mode");
    EXPECT_EQ(speech.spoken.back(), "Failed to calibrate");
    EXPECT_EQ(log.countStartingWith("CAL loop: test width 12.0: detectedPixelColor at "), 11);
}

TEST_F(CalibrationFixture, FirstRequestOnlyAsksForConfirmation) {
    const std::string question =
        "\nAre you sure you want to calibrate now?  This will erase your current screen "
        "calibration, if any.\nThe app will beep to indicate it's working but will otherwise "
        "appear frozen for up to 90 seconds.\n** Click Calibrate again to begin **";
    showPattern(7.0);
    calibration.calibrateScreen();
    EXPECT_EQ(log.lines(), std::vector<std::string>{question});
    EXPECT_EQ(screen.captures(), 0);
    EXPECT_FALSE(defaults.contains("scanWidth"));
    // Help (or a reset) in between makes the next request ask again.
    calibration.confirmCalibrate = true;
    calibration.calibrateScreen();
    EXPECT_EQ(log.count(question), 2);
    EXPECT_EQ(screen.captures(), 0);
    calibration.calibrateScreen();
    EXPECT_EQ(log.count("\n**** ATTEMPTING TO CALIBRATE ****\nSwitch back to Ember and type "
                        "/taloncal\n"),
              1);
    EXPECT_TRUE(defaults.contains("scanWidth"));
}

TEST_F(CalibrationFixture, MainLoopRunsDuringTheWaitAndRepeatedClicksAreIgnored) {
    screen.show(std::vector<Color>(400, Color::black()));
    int ticks = 0;
    std::function<void()> timer = [&] {
        ++ticks;
        runLoop.after(0.1, timer);
    };
    runLoop.after(0.1, timer);
    // The player types the command after 12 s and clicks Calibrate again meanwhile.
    runLoop.after(12.0, [&] { showPattern(12.0); });
    runLoop.after(5.0, [&] {
        calibration.calibrateScreen();
        calibration.calibrateScreen();
    });
    const double start = runLoop.now();
    calibrate();
    EXPECT_GT(runLoop.now() - start, 12.0);
    EXPECT_LT(runLoop.now() - start, 20.0);
    EXPECT_GT(ticks, 100);
    EXPECT_EQ(log.countStartingWith("\n**** ATTEMPTING"), 1);
    EXPECT_EQ(log.countStartingWith("\nAre you sure"), 1);
    EXPECT_EQ(geometry.scanOffset, 5);
}

} // namespace
} // namespace et::test
