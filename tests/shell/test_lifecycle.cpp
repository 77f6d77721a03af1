// The assembled application from a message to the quit: a message from the strip reaching
// the keyboard through the queue, the timers and the director; reset and test lights;
// closing the main window; and the shutdown handshake with the capture thread.
#include "ShellHarness.h"

#include <gtest/gtest.h>


#include <atomic>
#include <chrono>
#include <thread>

namespace et::test {
namespace {

TEST(LifecycleTest, QueuedMessagesResetAndTestLightsReachTheKeyboardAndClosingEndsAllWindows) {
    ShellHarness h;
    AppDelegate& app = h.start();
    app.messageQueue.enqueue("C");
    EXPECT_TRUE(h.waitFor([&] { return h.lighting.named("pulseSingleKey").size() >= 18; }));

    // A profile message (after combat, which holds ordinary messages back) also switches
    // the color programmer's profile.
    app.messageQueue.enqueue("O");
    app.messageQueue.enqueue("4");
    EXPECT_TRUE(h.waitFor([&] { return app.director.state.activeColorProfile == 4; }));
    app.colorProgrammer.setColorsBtn();
    EXPECT_EQ(app.profiles.activeColorProfile, 4);
    EXPECT_EQ(app.colorProgrammerWindow.currentProfilePopup->currentIndex(), 3);
    app.colorProgrammerWindow.close();

    app.calibration.confirmCalibrate = false;
    app.mainWindow.menu.resetLightsMI->trigger();
    EXPECT_EQ(h.logLines().back(), "Reset the message queue, color profile, and animated keys.");
    EXPECT_EQ(app.director.state.activeColorProfile, 1);
    EXPECT_TRUE(app.calibration.confirmCalibrate);

    // The silent reset of the "-" message logs nothing.
    const size_t lines = h.logLines().size();
    app.messageQueue.enqueue("-");
    h.waitFor([&] { return app.messageQueue.contents().empty(); });
    h.spin(0.3);
    EXPECT_EQ(h.logLines().size(), lines);

    // The test pattern is the queue's "H": a red banner.
    app.calibration.confirmCalibrate = false;
    h.lighting.calls.clear();
    app.mainWindow.testButton->click();
    EXPECT_EQ(h.logLines().back(), "Showing test pattern on the keyboard.");
    EXPECT_TRUE(app.calibration.confirmCalibrate);
    EXPECT_TRUE(h.waitFor([&] { return !h.lighting.named("setLightingFromBitmap").empty(); }));

    // Closing the main window closes the others with it.
    app.helpMenuItem();
    app.aboutMenuItem();
    app.colorProgrammer.setColorsBtn();
    h.spin(0.02);
    ASSERT_TRUE(app.helpWindow.isVisible() && app.colorProgrammerWindow.isVisible());
    app.mainWindow.close();
    EXPECT_FALSE(app.helpWindow.isVisible() || app.colorProgrammerWindow.isVisible() ||
                 app.aboutWindow.isVisible() || app.mainWindow.isVisible());
}

// A screen whose captures take a while, so that a quit lands in the middle of a pass.
class SlowScreen : public FakeScreenSource {
  public:
    std::atomic<bool> capturing{false};
    std::atomic<int> passes{0};
    int activeDisplayCount() override {
        capturing = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        return FakeScreenSource::activeDisplayCount();
    }
    bool capture(const Rect& rect, ScreenImage& image) override {
        const bool ok = FakeScreenSource::capture(rect, image);
        ++passes;
        capturing = false;
        return ok;
    }
};

// Records whether the framework was shut down while the capture thread was in a pass.
class WatchedLighting : public RecordingLighting {
  public:
    explicit WatchedLighting(SlowScreen& screen) : screen(screen) {}
    SlowScreen& screen;
    bool shutdownDuringCapture = false;
    int passesAtShutdown = -1;
    void shutdown() override {
        shutdownDuringCapture = screen.capturing;
        passesAtShutdown = screen.passes;
        RecordingLighting::shutdown();
    }
};

TEST(LifecycleTest, QuitWaitsForTheCapturePassThenSavesTheFrameAndShutsDown) {
    SlowScreen screen;
    screen.show(std::vector<Color>(100, Color::black()));
    WatchedLighting lighting(screen);
    ShellHarness h(&lighting, &screen);
    AppDelegate& app = h.start();
    app.mainWindow.setGeometry(40, 50, 700, 500);
    h.spin(0.2);
    while (!screen.capturing)
        std::this_thread::yield();

    app.requestQuit();
    EXPECT_TRUE(app.terminating());
    EXPECT_FALSE(app.activeScreenReader->keepTheScannerRunning);
    EXPECT_TRUE(lighting.named("shutdown").empty()) << "the quit waits";
    app.requestQuit(); // a second request changes nothing
    ASSERT_TRUE(h.waitFor([&] { return app.terminated(); }));
    EXPECT_FALSE(lighting.shutdownDuringCapture);
    EXPECT_EQ(lighting.named("shutdown").size(), 1u);
    EXPECT_EQ(h.exits, 1);
    EXPECT_EQ(h.activity.events.back(), "end");
    EXPECT_EQ(std::get<std::string>(h.defaults.onDisk.at("windowPosition")), "40 50 700 500");
    h.spin(0.15);
    EXPECT_EQ(screen.passes.load(), lighting.passesAtShutdown) << "no pass after the shutdown";
}

} // namespace
} // namespace et::test
