// Debug mode, sleep and wake, closing the main window, and the shutdown handshake with the
// capture thread.
#include "ShellHarness.h"

#include <QAction>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace et::test {
namespace {

TEST(LifecycleTest, DebugModeLinesAndCheckMark) {
    ShellHarness h;
    h.defaults.setDouble("scanWidth", 49.5);
    h.defaults.setInt("scanOffset", 4);
    AppDelegate& app = h.start();
    const size_t before = h.logLines().size();
    app.mainWindow.menu.debugMenuItem->trigger();
    EXPECT_TRUE(app.debugMode);
    EXPECT_TRUE(app.mainWindow.menu.debugMenuItem->isChecked());
    app.mainWindow.menu.debugMenuItem->trigger();
    EXPECT_FALSE(app.mainWindow.menu.debugMenuItem->isChecked());
    auto lines = h.logLines();
    ASSERT_EQ(lines.size(), before + 3);
    EXPECT_EQ(lines[before], "Debug mode active.");
    EXPECT_EQ(lines[before + 1], "The scanRect is {{4, 0}, {49.5, 1}}");
    EXPECT_EQ(lines[before + 2], "Debug mode off.");
}

TEST(LifecycleTest, StartedInDebugModeSaysSoAfterStartUp) {
    ShellHarness h;
    h.make().debugMode = true;
    h.app->applicationDidFinishLaunching();
    EXPECT_TRUE(h.app->debugMode);
    EXPECT_TRUE(h.app->mainWindow.menu.debugMenuItem->isChecked());
    auto lines = h.logLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Debug mode active.");
    EXPECT_EQ(lines.back(), "The scanRect is {{2, 0}, {80, 1}}");
}

TEST(LifecycleTest, SleepSuspendsTheCaptureAndWakeResumesIt) {
    ShellHarness h;
    AppDelegate& app = h.start();
    app.screenAboutToSleep();
    EXPECT_TRUE(app.activeScreenReader->suspendScreenReads);
    h.spin(0.1); // a pass in progress may still finish
    const int frozen = h.captureSource.captures();
    h.spin(0.25);
    EXPECT_EQ(h.captureSource.captures(), frozen);
    app.screenWakesUpFromSleep();
    h.spin(0.25);
    EXPECT_GT(h.captureSource.captures(), frozen);
    // Only debug mode reports it.
    EXPECT_EQ(h.logText().find("sleep"), std::string::npos);

    app.debugMode = true;
    app.screenAboutToSleep();
    app.screenWakesUpFromSleep();
    auto lines = h.logLines();
    EXPECT_EQ(lines[lines.size() - 2], "Going to sleep; suspending screen reads.");
    EXPECT_EQ(lines.back(), "Waking from sleep; resuming screen reads.");
}

TEST(LifecycleTest, ClosingTheMainWindowClosesHelpColorsAndAbout) {
    ShellHarness h;
    AppDelegate& app = h.start();
    app.helpMenuItem();
    app.aboutMenuItem();
    app.colorProgrammer.setColorsBtn();
    h.spin(0.02);
    EXPECT_TRUE(app.helpWindow.isVisible());
    EXPECT_TRUE(app.colorProgrammerWindow.isVisible());
    app.mainWindow.close();
    EXPECT_FALSE(app.helpWindow.isVisible());
    EXPECT_FALSE(app.colorProgrammerWindow.isVisible());
    EXPECT_FALSE(app.aboutWindow.isVisible());
    EXPECT_FALSE(app.mainWindow.isVisible());
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
        bool ok = FakeScreenSource::capture(rect, image);
        ++passes;
        capturing = false;
        return ok;
    }
};

class WatchedLighting : public RecordingLighting {
  public:
    SlowScreen* screen = nullptr;
    bool shutdownDuringCapture = false;
    int passesAtShutdown = -1;
    void shutdown() override {
        shutdownDuringCapture = screen->capturing;
        passesAtShutdown = screen->passes;
        RecordingLighting::shutdown();
    }
};

TEST(LifecycleTest, QuitWaitsForTheCapturePassThenSavesTheFrameAndShutsDown) {
    ShellHarness h;
    SlowScreen screen;
    screen.show(std::vector<Color>(100, Color::black()));
    WatchedLighting lighting;
    lighting.screen = &screen;
    ShellPlatform platform = h.platform;
    ShellPlatform watched{lighting,
                          h.defaults,
                          h.runLoop,
                          h.mainThread,
                          h.workspace,
                          h.launcher,
                          h.speech,
                          h.sound,
                          h.activity,
                          screen,
                          h.calibrationSource,
                          std::string("1"),
                          platform.openUrl,
                          platform.exitEventLoop,
                          false,
                          std::nullopt};
    AppDelegate app(watched);
    app.applicationDidFinishLaunching();
    app.mainWindow.setGeometry(40, 50, 700, 500);
    h.spin(0.2);
    while (!screen.capturing)
        std::this_thread::yield();

    app.requestQuit();
    EXPECT_TRUE(app.terminating());
    EXPECT_FALSE(app.activeScreenReader->keepTheScannerRunning);
    EXPECT_TRUE(lighting.matching("shutdown").empty()) << "the quit waits";
    app.requestQuit(); // a second request changes nothing

    for (int i = 0; i < 100 && !app.terminated(); ++i)
        h.spin(0.02);
    ASSERT_TRUE(app.terminated());
    EXPECT_FALSE(lighting.shutdownDuringCapture);
    EXPECT_EQ(lighting.matching("shutdown").size(), 1u);
    EXPECT_EQ(h.exits, 1);
    EXPECT_EQ(h.activity.events.back(), "end");
    EXPECT_EQ(h.defaults.getString("windowPosition"), "40 50 700 500");
    // The capture made no pass after the framework was shut down.
    h.spin(0.15);
    EXPECT_EQ(screen.passes.load(), lighting.passesAtShutdown);
}

TEST(LifecycleTest, StoredFrameIsRestoredAtStartAndBadOnesAreIgnored) {
    {
        ShellHarness h;
        h.defaults.setString("windowPosition", "30 40 650 480");
        h.start();
        EXPECT_EQ(h.app->mainWindow.geometry(), QRect(30, 40, 650, 480));
    }
    for (const char* bad : {"", "1 2 3", "10 10 -5 100", "a b c d", "1 2 3 4 5"}) {
        ShellHarness h;
        h.defaults.setString("windowPosition", bad);
        h.start();
        EXPECT_TRUE(h.app->mainWindow.isVisible()) << bad;
        EXPECT_GT(h.app->mainWindow.width(), 100) << bad;
    }
}

} // namespace
} // namespace et::test
