// The screen link against a real X server: talon-strip paints, the X11 source reads.
#include "Calibration.h"
#include "ChildProcess.h"
#include "MemoryDefaults.h"
#include "RealTimeRunLoop.h"
#include "RecordingLog.h"
#include "ScreenReader.h"
#include "X11ScreenSource.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace et::test {
namespace {

class SilentSound : public Sound {
  public:
    void play(const std::string&) override { ++beeps; }
    int beeps = 0;
};
class SilentSpeech : public Speech {
  public:
    void speak(const std::string&) override {}
};

struct X11Fixture : ::testing::Test {
    // A white desktop: whatever lies right of the strip is not mistaken for a dark cell.
    XvfbServer server{{"-screen", "0", "640x400x24", "-wr"}};
    RealTimeRunLoop runLoop;
    RecordingLog log;

    void SetUp() override { ASSERT_TRUE(server.running()) << "Xvfb did not start"; }

    // With `game` ("WxH+X+Y") the strip is painted inside a game window standing there.
    std::unique_ptr<ChildProcess> strip(double cellWidth, const std::string& game = {}) {
        std::vector<std::string> argv = {TALON_STRIP, "--display", server.display(), "--width",
                                         std::to_string(cellWidth)};
        if (!game.empty()) argv.insert(argv.end(), {"--game", "--geometry", game});
        auto p = std::make_unique<ChildProcess>(argv);
        EXPECT_TRUE(p->started());
        return p;
    }
    // Runs the commands and waits until talon-strip has carried them out.
    void run(ChildProcess& painter, const std::string& commands, double timeout = 30.0) {
        ASSERT_TRUE(painter.write(commands + "\necho done\n"));
        ASSERT_EQ(painter.readLine(timeout), "done");
    }
};

TEST_F(X11Fixture, TextSentByTheStripIsQueuedWithItsPrefixes) {
    for (double cellWidth : {5.0, 7.3, 12.0}) {
        SCOPED_TRACE(cellWidth);
        ScanGeometry geometry;
        // The middle of the first cell, and samples in the middle of every cell.
        geometry.scanOffset = static_cast<int>(std::lround(cellWidth / 2));
        geometry.scanWidth = 11 * cellWidth;
        geometry.applyScanRect();
        MessageQueue queue;
        X11ScreenSource source(server.display());
        ScreenReader reader(source, geometry, queue, runLoop, log);
        auto painter = strip(cellWidth);
        reader.start();
        run(*painter, "hold 250\ncolor red\nsend 7\ncolor white\nsend Hi\ncolor magenta\n"
                      "send Q\ncolor blue\nsend \\x00\nclear");
        // Action-bar frames go ahead of the text, among themselves in the order they came.
        const std::string expected = std::string("`7{QHi") + '\0';
        runLoop.runUntil([&] { return queue.contents() == expected; }, 2.0);
        EXPECT_EQ(queue.contents(), expected);
    }
    EXPECT_EQ(log.countStartingWith("recordColors"), 0);
}

TEST_F(X11Fixture, CalibrationFindsThePaintedPattern) {
    for (int cellWidth : {5, 7, 10, 13}) {
        SCOPED_TRACE(cellWidth);
        auto painter = strip(cellWidth);
        run(*painter, "calibrate");
        X11ScreenSource source(server.display());
        ScanGeometry geometry;
        SilentSound sound;
        SilentSpeech speech;
        MemoryDefaults defaults;
        Calibration calibration(source, geometry, runLoop, sound, speech, defaults, log,
                                [] { return false; });
        calibration.calibrateScreen();
        calibration.calibrateScreen();
        ASSERT_EQ(geometry.scanOffset, (cellWidth - 1) / 2);
        EXPECT_EQ(defaults.getInt("scanOffset"), geometry.scanOffset);
        EXPECT_EQ(defaults.getFloat("scanWidth"), static_cast<float>(geometry.scanWidth));
        // Every sample of the stored strip lies inside its own cell.
        const auto columns = geometry.pixelOffsets();
        for (int i = 0; i < kStripCells; ++i) {
            const int x = geometry.scanOffset + columns[static_cast<size_t>(i)];
            EXPECT_GE(x, i * cellWidth) << "cell " << i;
            EXPECT_LT(x, (i + 1) * cellWidth) << "cell " << i;
        }
        EXPECT_GT(sound.beeps, 0);
    }
}

TEST_F(X11Fixture, ReportsALostServerOnceAndResumesWhenItIsBack) {
    ScanGeometry geometry;
    geometry.scanOffset = 4;
    geometry.scanWidth = 88;
    geometry.applyScanRect();
    MessageQueue queue;
    X11ScreenSource source(server.display());
    ScreenReader reader(source, geometry, queue, runLoop, log);
    auto painter = strip(8);
    reader.start();
    run(*painter, "send A");
    runLoop.runUntil([&] { return queue.contents() == "A"; }, 2.0);
    ASSERT_EQ(queue.contents(), "A");

    ASSERT_TRUE(painter->write("sleep 60000\n"));
    server.stop();
    EXPECT_EQ(painter->wait(5.0), 1); // the painter notices while it holds a frame
    const std::string line = "recordColors: No displays available.";
    runLoop.runUntil([&] { return log.count(line) > 0; }, 3.0);
    runLoop.runFor(0.5);
    EXPECT_EQ(log.count(line), 1);

    ASSERT_TRUE(server.restart());
    painter = strip(8);
    run(*painter, "send B");
    runLoop.runUntil([&] { return queue.contents() == "AB"; }, 3.0);
    EXPECT_EQ(queue.contents(), "AB");
    EXPECT_EQ(log.count(line), 1);
}

// The capture as the application runs it, with the source's lines in the log.
struct GameWindowFixture : X11Fixture {
    ScanGeometry geometry;
    MessageQueue queue;
    X11ScreenSource source{server.display()};
    std::unique_ptr<ScreenReader> reader;

    static constexpr const char* kGameLine =
        "Screen link: reading the strip from the game window (emberfall.exe).";
    static constexpr const char* kScreenLine = "Screen link: no game window found; reading the "
                                               "strip from the top-left corner of the screen.";
    static constexpr const char* kHiddenPrefix = "Screen link: the game window is minimised";

    void startReading(int cellWidth) {
        geometry.scanOffset = (cellWidth - 1) / 2;
        geometry.scanWidth = 11 * cellWidth;
        geometry.applyScanRect();
        source.setReport([this](const std::string& line) { log.appendLine(line); });
        reader = std::make_unique<ScreenReader>(source, geometry, queue, runLoop, log);
        reader->start();
        // A game shows nothing in its first instant; the window is found within a pass or so.
        runLoop.runUntil([&] { return log.count(kGameLine) > 0; }, 5.0);
    }
    bool queued(ChildProcess& painter, const std::string& text, const std::string& expected) {
        // Frames held long enough that a busy machine does not make the capture miss one.
        run(painter, "hold 250\nsend " + text);
        runLoop.runUntil([&] { return queue.contents() == expected; }, 2.0);
        return queue.contents() == expected;
    }
    void waitForLine(const std::string& prefix, int count) {
        runLoop.runUntil([&] { return log.countStartingWith(prefix) >= count; }, 5.0);
        EXPECT_EQ(log.countStartingWith(prefix), count) << prefix;
    }
};

TEST_F(GameWindowFixture, AWindowedGameIsCalibratedAndReadInItsOwnCoordinates) {
    // The desktop's corner is white: only the window's own pixels hold a strip.
    constexpr int kCell = 7;
    auto painter = strip(kCell, "400x200+200+150");
    run(*painter, "calibrate");
    X11ScreenSource calibrationSource(server.display(), /*followEvents=*/false);
    SilentSound sound;
    SilentSpeech speech;
    MemoryDefaults defaults;
    Calibration calibration(calibrationSource, geometry, runLoop, sound, speech, defaults, log,
                            [] { return false; });
    calibration.calibrateScreen();
    calibration.calibrateScreen();
    EXPECT_EQ(geometry.scanOffset, (kCell - 1) / 2);
    EXPECT_EQ(log.countStartingWith("\nCalibration successful!"), 1);

    run(*painter, "clear");
    startReading(kCell);
    EXPECT_TRUE(queued(*painter, "Hi", "Hi"));
    EXPECT_EQ(log.count(kGameLine), 1);
    EXPECT_EQ(log.countStartingWith("Screen link:"), 1);
}

TEST_F(GameWindowFixture, TheGameWindowIsFoundAgainAfterItClosesAndReopens) {
    auto painter = strip(8, "300x120+200+150");
    startReading(8);
    ASSERT_TRUE(queued(*painter, "A", "A"));

    // The game quits: the screen's corner is read, and a new game window elsewhere is
    // read without a restart.
    ASSERT_TRUE(painter->write("quit\n"));
    EXPECT_EQ(painter->wait(5.0), 0);
    // Until the first window was found the corner was read as well.
    waitForLine(kScreenLine, 2);
    painter = strip(8, "500x300+40+60");
    waitForLine(kGameLine, 2);
    EXPECT_TRUE(queued(*painter, "B", "AB")) << queue.contents();
    // Closing may show as unmapped an instant before it shows as gone.
    EXPECT_LE(log.countStartingWith(kHiddenPrefix), 1);
}

TEST_F(GameWindowFixture, AMinimisedGameReadsAsNoFrameUntilItIsShown) {
    auto painter = strip(8, "300x120+200+150");
    startReading(8);
    ASSERT_TRUE(queued(*painter, "A", "A"));
    run(*painter, "hide");
    waitForLine(kHiddenPrefix, 1);
    run(*painter, "send C");
    runLoop.runFor(0.3);
    EXPECT_EQ(queue.contents(), "A") << "read from a hidden window";
    run(*painter, "show");
    waitForLine(kGameLine, 2);
    EXPECT_TRUE(queued(*painter, "B", "AB")) << queue.contents();
    EXPECT_EQ(log.countStartingWith(kHiddenPrefix), 1);
}

} // namespace
} // namespace et::test
