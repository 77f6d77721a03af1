// Calibration in virtual time: the strip found at several cell widths (checked against
// pixel geometry, not against the code's own arithmetic) and the failure at the deadline.
#include "Calibration.h"
#include "FakeScreenSource.h"
#include "MemoryDefaults.h"
#include "RecordingLog.h"
#include "StripFrames.h"
#include "TextFormat.h"
#include "VirtualRunLoop.h"

#include <gtest/gtest.h>

namespace et::test {
namespace {

struct RecordingSound : Sound {
    explicit RecordingSound(const RunLoop& clock) : clock(clock) {}
    void play(const std::string&) override { times.push_back(clock.now()); }
    const RunLoop& clock;
    std::vector<double> times;
};

struct RecordingSpeech : Speech {
    void speak(const std::string& text) override { spoken.push_back(text); }
    std::vector<std::string> spoken;
};

// Whether every sample of a capture starting at `offset` lands inside its own cell of a
// strip of `cellWidth`-pixel cells starting at x = 0.
bool samplesInsideCells(int offset, double width, double cellWidth) {
    for (int i = 0; i < kStripCells; ++i) {
        const int x = offset + ScanGeometry::pixelOffsetsFor(width)[static_cast<size_t>(i)];
        if (x < std::lround(i * cellWidth) || x >= std::lround((i + 1) * cellWidth)) return false;
    }
    return true;
}

struct CalibrationFixture : ::testing::Test {
    FakeScreenSource screen;
    ScanGeometry geometry;
    VirtualRunLoop runLoop;
    RecordingSound sound{runLoop};
    RecordingSpeech speech;
    MemoryDefaults defaults;
    RecordingLog log;
    bool debug = false;
    Calibration calibration{screen, geometry, runLoop, sound,
                            speech, defaults, log,     [this] { return debug; }};

    CalibrationFixture() {
        geometry.scanOffset = 2;
        geometry.scanWidth = 80.0;
        geometry.applyScanRect();
    }
    void showPattern(double cellWidth) { screen.show(stripRow(calibrationPattern(), cellWidth)); }
    void calibrate() { // both clicks: the confirmation, then the run
        calibration.calibrateScreen();
        calibration.calibrateScreen();
    }
};

TEST_F(CalibrationFixture, FindsTheStripAndStoresTheMiddleOfTheWidthsThatFit) {
    const struct {
        double cellWidth;
        int offset;
    } rows[] = {{2.0, 1}, {5.0, 2}, {9.0, 4}, {10.0, 4}, {13.0, 6}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.cellWidth);
        log.clear();
        showPattern(row.cellWidth);
        calibrate();
        ASSERT_EQ(geometry.scanOffset, row.offset);
        std::vector<int> fitting;
        for (int w = 11; w < 200; ++w)
            if (samplesInsideCells(row.offset, w, row.cellWidth)) fitting.push_back(w);
        ASSERT_FALSE(fitting.empty());
        EXPECT_EQ(fitting.back() - fitting.front() + 1, static_cast<int>(fitting.size()));
        const float middle = (fitting.front() + fitting.back()) * 0.5f;
        EXPECT_EQ(defaults.getFloat("scanWidth"), middle);
        EXPECT_EQ(defaults.getInt("scanOffset"), row.offset);
        EXPECT_EQ(geometry.myScanRect(), (Rect{static_cast<double>(row.offset), 0, middle, 1}));
        EXPECT_TRUE(samplesInsideCells(row.offset, middle, row.cellWidth));
        EXPECT_EQ(log.count("\nCalibration successful!  (offset " + std::to_string(row.offset) +
                            ", width " + shortestDecimal(middle) + ")"),
                  1);
        EXPECT_EQ(speech.spoken.back(),
                  "Calibration successful.  Ember Talon is ready to light up your game");
    }
    showPattern(1.0); // the sample of cell 0 falls in cell 1 at offset 1: no width fits
    calibrate();
    EXPECT_EQ(log.countStartingWith("\nCalibration failed."), 1);
    EXPECT_EQ(log.countStartingWith("CAL"), 0) << "not in debug mode";
}

TEST_F(CalibrationFixture, NoPatternFailsAtTheDeadlineAndErasesTheCalibration) {
    defaults.setDouble("scanWidth", 49.5);
    defaults.setInt("scanOffset", 4);
    const auto before = geometry.snapshot();
    screen.show(std::vector<Color>(400, kGray));
    const double start = runLoop.now();
    calibrate();
    EXPECT_GT(runLoop.now() - start, 90.0); // plus the one pass each later phase may make
    EXPECT_LT(runLoop.now() - start, 90.2);
    EXPECT_EQ(defaults.getDouble("scanWidth"), 0.0);
    EXPECT_EQ(defaults.getInt("scanOffset"), 0);
    EXPECT_EQ(geometry.snapshot(), before) << "the capture keeps its strip";
    EXPECT_EQ(log.count("\nCalibration failed. You should try again and check help for "
                        "troubleshooting tips."),
              1);
    EXPECT_EQ(speech.spoken.back(), "Ember Talon was unable to calibrate to your screen. Try "
                                    "again. Click the help button for more tips");
    // Beeps on a two-second schedule counted from the start of the run.
    ASSERT_GE(sound.times.size(), 45u);
    EXPECT_LE(sound.times.size(), 47u);
    EXPECT_LT(sound.times.front() - start, 0.03);
    for (size_t i = 1; i < sound.times.size(); ++i)
        EXPECT_NEAR(sound.times[i] - sound.times[i - 1], 2.0, 0.03);
}

TEST_F(CalibrationFixture, ARestartedSearchSaysWhetherTheRedCellFitElevenColumns) {
    debug = true; // the "CAL" lines go to the log view in debug mode only
    for (const auto& [redWidth, restartedWith] : {std::pair(11, "11"), std::pair(12, "0")}) {
        log.clear();
        std::vector<Color> row(400, kGray); // red, then black, but no pattern at any width
        std::fill_n(row.begin(), redWidth, Color::red_());
        std::fill_n(row.begin() + redWidth, 10, Color::black());
        screen.show(row);
        calibrate();
        EXPECT_GE(log.count(std::string("CAL: restarted scan search over range 11.0 and ") +
                            restartedWith),
                  1)
            << redWidth;
        EXPECT_EQ(speech.spoken.back(), "Failed to calibrate");
    }
}

} // namespace
} // namespace et::test
