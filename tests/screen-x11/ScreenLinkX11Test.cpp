// The screen link against a real X server: talon-strip paints, the X11 source reads.
#include "Calibration.h"
#include "ChildProcess.h"
#include "MemoryDefaults.h"
#include "RealTimeRunLoop.h"
#include "RecordingLog.h"
#include "ScreenReader.h"
#include "X11ScreenSource.h"
#include "X11WindowSearch.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace et::test {
namespace {

class SilentSound : public Sound {
  public:
    void play(const std::string&) override {}
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
    // Both clicks of the Calibrate button, against what the server shows.
    void calibrate(ScanGeometry& geometry, bool followEvents = true) {
        X11ScreenSource source(server.display(), followEvents);
        SilentSound sound;
        SilentSpeech speech;
        MemoryDefaults defaults;
        Calibration calibration(source, geometry, runLoop, sound, speech, defaults, log,
                                [] { return false; });
        calibration.calibrateScreen();
        calibration.calibrateScreen();
    }
};

TEST_F(X11Fixture, TheCalibratedStripCarriesTextWithItsPrefixes) {
    for (const auto& [cellWidth, offset] : {std::pair{5.0, 2}, {7.3, 3}, {13.0, 6}}) {
        SCOPED_TRACE(cellWidth);
        auto painter = strip(cellWidth);
        run(*painter, "calibrate");
        ScanGeometry geometry;
        calibrate(geometry);
        EXPECT_EQ(geometry.scanOffset, offset);
        run(*painter, "clear");
        MessageQueue queue;
        X11ScreenSource source(server.display());
        ScreenReader reader(source, geometry, queue, runLoop, log);
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

// The game's client window below the frames a window manager puts around it, found
// before helpers of the same class.
TEST_F(X11Fixture, WindowSearchFindsTheMappedClientInsideItsFrames) {
    xcb_connection_t* c = xcb_connect(server.display().c_str(), nullptr);
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const auto window = [&](xcb_window_t parent, int width, int height, const std::string& cls) {
        const xcb_window_t w = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, parent, 0, 0, static_cast<uint16_t>(width),
                          static_cast<uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        const std::string value = cls + '\0' + cls + '\0';
        if (!cls.empty())
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                                static_cast<uint32_t>(value.size()), value.data());
        xcb_map_window(c, w);
        return w;
    };
    EXPECT_FALSE(x11::findClientWindow(c, screen, "emberfall.exe"));
    // A hidden helper of the game's, bigger than its window, and the game's window two
    // levels down inside a frame, as reparenting window managers do.
    xcb_unmap_window(c, window(screen->root, 600, 380, "emberfall.exe"));
    const xcb_window_t inner = window(window(screen->root, 420, 330, ""), 410, 310, "");
    const xcb_window_t game = window(inner, 400, 300, "emberfall.exe");
    const auto found = x11::findClientWindow(c, screen, "emberfall.exe");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->id, game);
    EXPECT_EQ(found->width, 400);
    EXPECT_EQ(found->height, 300);
    EXPECT_TRUE(found->mapped);
    xcb_disconnect(c);
}

// The capture as the application runs it, from a game window, with the source's lines in
// the log: calibrated in the window's own coordinates, and the window found again after the
// game quits and starts elsewhere.
TEST_F(X11Fixture, TheGameWindowIsCalibratedReadAndFoundAgain) {
    const std::string gameLine = "Screen link: reading the strip from the game window "
                                 "(emberfall.exe).";
    const std::string screenLine = "Screen link: no game window found; reading the strip from "
                                   "the top-left corner of the screen.";
    const auto waitForLine = [&](const std::string& prefix, int count) {
        runLoop.runUntil([&] { return log.countStartingWith(prefix) >= count; }, 5.0);
        EXPECT_EQ(log.countStartingWith(prefix), count) << prefix;
    };
    ScanGeometry geometry;
    MessageQueue queue;
    // Frames held long enough that a busy machine does not make the capture miss one.
    const auto queued = [&](ChildProcess& painter, const std::string& text,
                            const std::string& expected) {
        run(painter, "hold 250\nsend " + text);
        runLoop.runUntil([&] { return queue.contents() == expected; }, 2.0);
        return queue.contents() == expected;
    };

    // The desktop's corner is white: only the window's own pixels hold a strip.
    auto painter = strip(7, "400x200+200+150");
    run(*painter, "calibrate");
    calibrate(geometry, /*followEvents=*/false);
    EXPECT_EQ(geometry.scanOffset, 3);
    EXPECT_EQ(log.countStartingWith("\nCalibration successful!"), 1);
    run(*painter, "clear");

    X11ScreenSource source(server.display());
    source.setReport([this](const std::string& line) { log.appendLine(line); });
    ScreenReader reader(source, geometry, queue, runLoop, log);
    reader.start();
    waitForLine(gameLine, 1);
    EXPECT_TRUE(queued(*painter, "Hi", "Hi"));
    EXPECT_EQ(log.countStartingWith("Screen link:"), 1);

    // The game quits: the screen's corner is read, and a new game window elsewhere is
    // read without a restart.
    ASSERT_TRUE(painter->write("quit\n"));
    EXPECT_EQ(painter->wait(5.0), 0);
    waitForLine(screenLine, 1);
    painter = strip(7, "500x300+40+60");
    waitForLine(gameLine, 2);
    EXPECT_TRUE(queued(*painter, "B", "HiB")) << queue.contents();
}

} // namespace
} // namespace et::test
