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

#include <chrono>
#include <cmath>
#include <thread>
#include <tuple>

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

// A client that makes, moves and closes windows as a game and a window manager would.
struct Windows {
    xcb_connection_t* c;
    xcb_screen_t* screen;
    explicit Windows(const std::string& display)
        : c(xcb_connect(display.c_str(), nullptr)),
          screen(xcb_setup_roots_iterator(xcb_get_setup(c)).data) {}
    ~Windows() { xcb_disconnect(c); }
    xcb_window_t make(xcb_window_t parent, int width, int height, const std::string& cls,
                      uint32_t background = 0xff0000) {
        const xcb_window_t w = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, parent, 50, 50, static_cast<uint16_t>(width),
                          static_cast<uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, &background);
        if (!cls.empty()) setClass(w, cls);
        xcb_map_window(c, w);
        return w;
    }
    void setClass(xcb_window_t w, const std::string& cls) {
        const std::string value = cls + '\0' + cls + '\0';
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            static_cast<uint32_t>(value.size()), value.data());
    }
    void place(xcb_window_t w, int x, int width) {
        const uint32_t values[] = {static_cast<uint32_t>(x), static_cast<uint32_t>(width)};
        xcb_configure_window(c, w, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_WIDTH, values);
    }
    // Everything asked for is done and its events have reached the other clients.
    void sync() {
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
};

// The game's client window below the frames a window manager puts around it, found
// before helpers of the same class.
TEST_F(X11Fixture, WindowSearchFindsTheMappedClientInsideItsFrames) {
    Windows x(server.display());
    EXPECT_FALSE(x11::findClientWindow(x.c, x.screen, "emberfall.exe"));
    // A hidden helper of the game's, bigger than its window, and the game's window two
    // levels down inside a frame, as reparenting window managers do.
    xcb_unmap_window(x.c, x.make(x.screen->root, 600, 380, "emberfall.exe"));
    const xcb_window_t inner = x.make(x.make(x.screen->root, 420, 330, ""), 410, 310, "");
    const xcb_window_t game = x.make(inner, 400, 300, "emberfall.exe");
    const auto found = x11::findClientWindow(x.c, x.screen, "emberfall.exe");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->id, game);
    EXPECT_EQ(found->width, 400);
    EXPECT_EQ(found->height, 300);
    EXPECT_TRUE(found->mapped);
}

// The game window followed on a clock of the test's: what each change of the desktop makes
// the source read, the pause between searches, the idle search, the back-off of refused reads.
TEST_F(X11Fixture, TheGameWindowIsFollowedThroughItsChangesAndPauses) {
    using namespace std::chrono_literals;
    using R = X11ScreenSource::Reading;
    for (const bool followEvents : {true, false}) {
        SCOPED_TRACE(followEvents);
        auto t = X11ScreenSource::Clock::time_point(100s);
        X11ScreenSource source(server.display(), followEvents, [&] { return t; });
        int lines = 0;
        source.setReport([&](const std::string&) { ++lines; });
        Windows x(server.display());
        ScreenImage image;
        // What is read after a step of the clock: from where, the first pixel (White, Red,
        // Blue or - for nothing) and how many pixels.
        const auto after = [&](std::chrono::milliseconds step) {
            x.sync();
            t += step;
            const bool read = source.capture({0, 0, 40, 1}, image);
            const auto c = image.colorAt(0).value_or(Color{0.5, 0.5, 0.5, 1});
            const char pixel = !read ? '-' : c.green > 0.5 ? 'W' : c.red > 0.5 ? 'R' : 'B';
            return std::tuple(source.reading(), pixel, image.width());
        };
        const auto game = std::tuple(R::GameWindow, 'R', 40), hidden = std::tuple(R::GameHidden, '-', 0),
                   corner = std::tuple(R::Screen, 'W', 40);
        EXPECT_EQ(after(0ms), corner);
        xcb_window_t w = x.make(x.screen->root, 200, 100, "emberfall.exe");
        if (followEvents) {
            EXPECT_EQ(after(249ms), corner) << "searched again too soon";
            EXPECT_EQ(after(1ms), game);
            xcb_unmap_window(x.c, w);
            EXPECT_EQ(after(1ms), hidden);
            xcb_map_window(x.c, w);
            EXPECT_EQ(after(1ms), game);
            x.place(w, 50, 30);
            EXPECT_EQ(after(1ms), std::tuple(R::GameWindow, 'R', 30)) << "cut to the window";
        } else {
            // Without events it looks after a pause in use.
            EXPECT_EQ(after(1001ms), game);
        }
        // Partly off the screen the server refuses the read.
        x.place(w, -20, 200);
        EXPECT_EQ(after(300ms), hidden);
        if (followEvents) {
            x.place(w, 50, 200); // news of it: read at once
            EXPECT_EQ(after(1ms), game);
        } else {
            // Unannounced, it is seen at the next try: after 0.5 s, then twice as long each
            // time, up to 8 s.
            x.place(w, 50, 200);
            EXPECT_EQ(after(499ms), hidden);
            EXPECT_EQ(after(1ms), game);
            x.place(w, -20, 200);
            EXPECT_EQ(after(300ms), hidden);
            EXPECT_EQ(after(500ms), hidden); // refused again
            x.place(w, 50, 200);
            EXPECT_EQ(after(999ms), hidden);
            EXPECT_EQ(after(1ms), game);
            x.place(w, -20, 200);
            x.sync();
            // Tries at +0, 0.5, 1.5, 3.5, 7.5, 15.5 and 23.5 s.
            for (int i = 0; i < 200; ++i, t += 100ms)
                source.capture({0, 0, 40, 1}, image);
            x.place(w, 50, 200);
            int waited = 0;
            while (after(250ms) != game && waited < 100)
                ++waited;
            EXPECT_EQ(waited, 13);
        }
        xcb_destroy_window(x.c, w);
        if (!followEvents) {
            EXPECT_EQ(after(300ms), hidden) << "gone: only a failed read tells";
        }
        EXPECT_EQ(after(300ms), corner);
        // A window whose class comes later is found by the search every 3 s: with events, 3 s
        // after the one its appearance caused; without, after the one that found nothing.
        w = x.make(x.screen->root, 200, 100, "", 0x0000ff);
        EXPECT_EQ(after(300ms), corner);
        x.setClass(w, "emberfall.exe");
        int steps = 0;
        while (after(100ms) != std::tuple(R::GameWindow, 'B', 40) && steps < 100)
            ++steps;
        EXPECT_EQ(steps, followEvents ? 29 : 26);
        EXPECT_EQ(lines, followEvents ? 8 : 11) << "one line for each change of what is read";
    }
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
