// The assembled application: a message from the strip reaching the keyboard through the
// queue, the timers and the director; the refresh once the game is in front; reset, test
// lights; and the shutdown through the real library and host simulator.
#include "CorvaneLighting.h"
#include "HostServer.h"
#include "ShellHarness.h"

#include <QAction>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace et::test {
namespace {

void waitFor(ShellHarness& h, const std::function<bool()>& done, double seconds = 3) {
    for (int i = 0; i < seconds / 0.02 && !done(); ++i)
        h.spin(0.02);
}

TEST(PipelineTest, TheFirstFrameComesFromTheRefreshOnceTheGameIsInFront) {
    ShellHarness h;
    h.start();
    h.spin(0.5);
    EXPECT_EQ(h.lighting.calls, (std::vector<std::string>{"init", "getSdkVersion"}))
        << "nothing while another application is in front";
    h.workspace.front = FrontmostApplication{std::string("emberfall.exe")};
    waitFor(h, [&] { return h.lighting.calls.size() > 2; });
    ASSERT_GT(h.lighting.calls.size(), 2u);
    EXPECT_EQ(h.lighting.calls[2], "setLightingFromBitmap");
    EXPECT_EQ(h.lighting.matching("setLightingForKey").size(), 11u) << "and the extra keys";
}

TEST(PipelineTest, AQueuedMessageReachesTheKeyboard) {
    ShellHarness h;
    AppDelegate& app = h.start();
    app.messageQueue.enqueue("C");
    waitFor(h, [&] { return h.lighting.matching("pulseSingleKey").size() >= 18; });
    EXPECT_EQ(h.lighting.matching("pulseSingleKey").size(), 18u);
    EXPECT_EQ(h.lighting.matching("pulseSingleKey")[0], "pulseSingleKey 42 100 0 0 25 0 0 400 1");
    EXPECT_TRUE(app.director.state.combatAnimationPlaying);

    // A profile message (after combat, which holds ordinary messages back) also switches
    // the color programmer's profile.
    app.messageQueue.enqueue("O");
    app.messageQueue.enqueue("4");
    waitFor(h, [&] { return app.director.state.activeColorProfile == 4; });
    app.colorProgrammer.setColorsBtn();
    EXPECT_EQ(app.profiles.activeColorProfile, 4);
    EXPECT_EQ(app.colorProgrammerWindow.currentProfilePopup->currentIndex(), 3);
}

TEST(PipelineTest, ResetAndTestLights) {
    ShellHarness h;
    AppDelegate& app = h.start();
    app.director.state.activeColorProfile = 6;
    app.calibration.confirmCalibrate = false;
    app.mainWindow.menu.resetLightsMI->trigger();
    EXPECT_EQ(h.logLines().back(), "Reset the message queue, color profile, and animated keys.");
    EXPECT_EQ(app.director.state.activeColorProfile, 1);
    EXPECT_TRUE(app.calibration.confirmCalibrate);

    // The silent reset of the "-" message logs nothing.
    const size_t lines = h.logLines().size();
    app.messageQueue.enqueue("-");
    waitFor(h, [&] { return app.messageQueue.contents().empty(); });
    h.spin(0.3);
    EXPECT_EQ(h.logLines().size(), lines);

    app.calibration.confirmCalibrate = false;
    app.mainWindow.testButton->click();
    EXPECT_EQ(h.logLines().back(), "Showing test pattern on the keyboard.");
    EXPECT_TRUE(app.calibration.confirmCalibrate);
    // The test pattern itself is the queue's "H": a red banner.
    waitFor(h, [&] { return !h.lighting.matching("setLightingFromBitmap").empty(); });
    EXPECT_FALSE(h.lighting.matching("setLightingFromBitmap").empty());
}

// Shutdown through the real library: the host hears the restore only after the capture
// thread's last pass.
class TimedScreen : public FakeScreenSource {
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

TEST(PipelineTest, ShutdownReachesTheHostOnlyAfterTheLastCapturePass) {
    char pattern[] = "/tmp/et-shell-host-XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    ::setenv("XDG_DATA_HOME", dir.c_str(), 1);
    hostsim::HostServer host(dir + "/Corvane/CHS_LED_SDK");
    ASSERT_TRUE(host.start());
    std::atomic<bool> restoredDuringCapture{false};
    std::atomic<int> passesAtRestore{-1};
    TimedScreen screen;
    screen.show(std::vector<Color>(100, Color::black()));
    host.setOnMessage([&](const hostsim::Message& m) {
        if (std::string(m.name()) != "RestoreLighting") return;
        restoredDuringCapture = screen.capturing.load();
        passesAtRestore = screen.passes.load();
    });

    ShellHarness h;
    CorvaneLighting lighting;
    ShellPlatform real{lighting,
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
                       std::string("1.2.0"),
                       {},
                       [&] { ++h.exits; },
                       false,
                       std::nullopt};
    {
        AppDelegate app(real);
        app.applicationDidFinishLaunching();
        EXPECT_TRUE(
            app.mainWindow.myTextScroll->toPlainText().contains("initialized successfully"));
        h.spin(0.2);
        while (!screen.capturing)
            std::this_thread::yield();
        app.requestQuit();
        waitFor(h, [&] { return app.terminated(); });
        ASSERT_TRUE(app.terminated());
        ASSERT_TRUE(host.waitForMessages(3, 5));
        for (int i = 0; i < 100 && passesAtRestore < 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_GE(passesAtRestore.load(), 1);
        EXPECT_FALSE(restoredDuringCapture);
        EXPECT_TRUE(h.defaults.contains("windowPosition"));
        h.spin(0.15);
        EXPECT_EQ(screen.passes.load(), passesAtRestore.load()) << "no pass after the restore";
    }
    host.stop();
    std::filesystem::remove_all(dir);
    ::unsetenv("XDG_DATA_HOME");
}

} // namespace
} // namespace et::test
