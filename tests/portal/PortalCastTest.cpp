// The screen read through the real desktop portal and PipeWire on a headless sway: the strip
// that talon-strip paints under Xwayland, calibrated and decoded; the player asked once; a
// refusal told once and not asked again unbidden; the portal and the compositor going away.
// On GNOME's mutter, whose chooser nobody can click here, a seeded restore token asks nothing.
#include "Calibration.h"
#include "MemoryDefaults.h"
#include "MessageQueue.h"
#include "PortalScreenSource.h"
#include "PortalStack.h"
#include "RealTimeRunLoop.h"
#include "RecordingLog.h"
#include "ScreenReader.h"
#include "SettingsKeys.h"
#include "Sound.h"
#include "Speech.h"
#include "SwayDesktop.h"

#include <gtest/gtest.h>

namespace et::portal {
namespace {

using test::ChildProcess;

struct Silent : Sound, Speech {
    void play(const std::string&) override {}
    void speak(const std::string&) override {}
};

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

template <bool OnMutter>
struct PortalOn : ::testing::Test {
    test::SwayDesktop desktop{[] {
        test::SwayDesktop::Options options;
        options.mutter = OnMutter;
        return options;
    }()};
    test::RealTimeRunLoop runLoop;
    test::RecordingLog log;
    MemoryDefaults settings;
    std::unique_ptr<test::PortalStack> stack;
    std::unique_ptr<SettingsPortalTokens> tokens;

    void startStack(test::PortalStack::Options options) {
        ASSERT_TRUE(OnMutter || desktop.running()) << desktop.error();
        options.gnome = OnMutter;
        stack = std::make_unique<test::PortalStack>(desktop, options);
        ASSERT_TRUE(stack->running()) << stack->error();
        tokens = std::make_unique<SettingsPortalTokens>(settings, runLoop);
    }
    std::shared_ptr<PortalCast> cast() {
        PortalCast::Options options;
        options.busAddress = stack->busAddress();
        return std::make_shared<PortalCast>(
            *tokens, [this](const std::string& line) { log.appendLine(line); }, options);
    }
    std::unique_ptr<ChildProcess> strip(double cellWidth) {
        // Without --game: a borderless window at the top-left of the output.
        std::vector<std::string> argv = {TALON_STRIP, "--width", std::to_string(cellWidth),
            "--display", OnMutter ? desktop.waylandDisplay() : desktop.display()};
        if (OnMutter) argv.push_back("--wayland"); // full screen: no Xwayland on mutter
        auto painter = std::make_unique<ChildProcess>(argv);
        EXPECT_TRUE(painter->started());
        return painter;
    }
    void run(ChildProcess& painter, const std::string& commands) {
        ASSERT_TRUE(painter.write(commands + "\necho done\n"));
        ASSERT_EQ(painter.readLine(30.0), "done");
    }
    // Keeps asking as the capture thread does, until `done` or `timeout`.
    bool pollUntil(PortalScreenSource& source, const std::function<bool()>& done,
                   double timeout) {
        return runLoop.runUntil(
            [&] {
                source.activeDisplayCount();
                return done();
            },
            timeout);
    }
    // The cast runs and carries what the painter shows. Frames come only when the screen
    // changes, so a cast that starts on a still screen is shown a change.
    bool streams(PortalScreenSource& source, ChildProcess& painter) {
        if (!pollUntil(source, [&] { return source.cast().state() == PortalCast::State::Streaming; },
                       20.0))
            return false;
        // PipeWire may still be linking the stream: a change it missed is made again.
        for (int tries = 0; tries < 20; ++tries) {
            const uint64_t before = source.cast().frames();
            run(painter, "clear\ncalibrate");
            ScreenImage image;
            if (pollUntil(source, [&] {
                    return source.cast().frames() > before &&
                           source.capture({0, 0, 11, 1}, image) &&
                           image.colorAt(0) == Color::red_();
                }, 0.5))
                return true;
        }
        return false;
    }
};
using PortalFixture = PortalOn<false>;
using GnomePortalFixture = PortalOn<true>;

TEST_F(PortalFixture, TheCalibratedStripIsReadAndTheKeptPermissionAsksNothingNextTime) {
    test::PortalStack::Options options;
    options.askPlayer = true;
    ASSERT_NO_FATAL_FAILURE(startStack(options));
    auto painter = strip(8);
    run(*painter, "calibrate");
    {
        auto shared = cast();
        PortalScreenSource source(shared);
        ASSERT_TRUE(streams(source, *painter)) << stack->backendLog();
        EXPECT_EQ(stack->timesAsked(), 1);

        ScanGeometry geometry;
        Silent silent;
        Calibration calibration(source, geometry, runLoop, silent, silent, settings, log,
                                [] { return false; });
        calibration.calibrateScreen();
        calibration.calibrateScreen();
        ASSERT_EQ(geometry.scanOffset, 3);

        // The capture thread's source shares the cast calibration used.
        run(*painter, "clear");
        MessageQueue queue;
        PortalScreenSource capture(shared);
        ScreenReader reader(capture, geometry, queue, runLoop, log);
        reader.start();
        // Frames long enough that a busy machine's stall does not swallow one.
        run(*painter, "hold 400\ncolor red\nsend 7\ncolor white\nsend Hi\nclear");
        const std::string expected = "`7Hi";
        runLoop.runUntil([&] { return queue.contents() == expected; }, 5.0);
        EXPECT_EQ(queue.contents(), expected);
        bool stopped = false;
        reader.stop([&] { stopped = true; });
        runLoop.runUntil([&] { return stopped; }, 5.0);
    }
    runLoop.runFor(0.1); // the token is written on the main thread
    const auto token = settings.getString(settings::kPortalRestoreToken);
    ASSERT_TRUE(token && !token->empty());

    // The next start of Ember Talon: the kept permission is enough.
    tokens = std::make_unique<SettingsPortalTokens>(settings, runLoop);
    PortalScreenSource again(cast());
    ASSERT_TRUE(streams(again, *painter)) << stack->backendLog();
    EXPECT_EQ(stack->timesAsked(), 1);
    EXPECT_EQ(log.countStartingWith("Screen link: asking"), 1);
    EXPECT_EQ(log.countStartingWith("recordColors"), 0);
}

TEST_F(PortalFixture, ARefusalIsToldOnceAndAskedAgainOnlyByCalibrate) {
    struct Row {
        const char* what;
        bool dmabufHint, askPlayer;
        const char* token; // kept from before
        const char* line;
    };
    const Row rows[] = {
        // A token edited by hand is given up at once and the player asked.
        {"the player cancels the dialog", true, true, "edited-by-hand",
         "Screen link: screen sharing was cancelled"},
        // Debian's wlr portal without its help answers every cast with a refusal.
        {"the portal refuses", false, false, "0b7e5e5c-8d3f-4f3e-9a51-3c1f0e2d4a6b",
         "Screen link: the desktop refused"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        stack.reset();
        log.clear();
        ASSERT_NO_FATAL_FAILURE(startStack({row.dmabufHint, row.askPlayer}));
        stack->refuseToChoose(true);
        settings.setString(settings::kPortalRestoreToken, row.token);
        tokens = std::make_unique<SettingsPortalTokens>(settings, runLoop);
        PortalScreenSource source(cast());
        ASSERT_TRUE(pollUntil(source, [&] { return log.countStartingWith(row.line) > 0; }, 20.0))
            << joined(log.lines());
        // However often the capture looks, nobody is asked again and nothing more is said.
        pollUntil(source, [] { return false; }, 2.5);
        EXPECT_EQ(source.activeDisplayCount(), 0);
        EXPECT_EQ(source.cast().attempts(), 1);
        EXPECT_EQ(log.countStartingWith(row.line), 1);
        EXPECT_FALSE(settings.contains(settings::kPortalRestoreToken)) << "a spent token stays";

        stack->refuseToChoose(false);
        source.askAgain();
        if (row.dmabufHint) {
            auto painter = strip(8);
            ASSERT_TRUE(streams(source, *painter));
        } else {
            pollUntil(source, [&] { return log.countStartingWith(row.line) == 2; }, 20.0);
            EXPECT_EQ(log.countStartingWith(row.line), 2);
        }
        EXPECT_EQ(source.cast().attempts(), 2);
    }
}

TEST_F(PortalFixture, APortalOrCompositorThatGoesIsNoDisplayAndTheCastComesBack) {
    ASSERT_NO_FATAL_FAILURE(startStack({}));
    auto painter = strip(8);
    run(*painter, "calibrate");
    PortalScreenSource source(cast());
    ASSERT_TRUE(streams(source, *painter)) << stack->backendLog();
    const std::string ended = "Screen link: the desktop's screen sharing ended";

    stack->stopPortal();
    ASSERT_TRUE(pollUntil(source, [&] { return source.activeDisplayCount() == 0; }, 10.0))
        << joined(log.lines());
    ScreenImage image;
    EXPECT_FALSE(source.capture({0, 0, 11, 1}, image)) << "a frame of a cast that ended";
    ASSERT_TRUE(stack->startPortal()) << stack->error();
    // Asked again after its pause, with the kept permission.
    ASSERT_TRUE(streams(source, *painter)) << stack->backendLog();
    EXPECT_EQ(log.countStartingWith(ended), 1);
    EXPECT_EQ(source.cast().attempts(), 2);
    ASSERT_TRUE(source.capture({0, 0, 11, 1}, image));
    EXPECT_EQ(image.colorAt(0), Color::red_());

    desktop.stop();
    ASSERT_TRUE(pollUntil(source, [&] { return source.activeDisplayCount() == 0; }, 10.0));
    // Its tries while the desktop is away are not told one by one.
    pollUntil(source, [] { return false; }, 3.0);
    EXPECT_EQ(log.countStartingWith(ended), 2);
    EXPECT_EQ(log.countStartingWith("Screen link: asking the desktop to share"), 1);
}

TEST_F(GnomePortalFixture, ASeededRestoreTokenReadsTheStripOnMutterAskingNothing) {
    if (!test::PortalStack::gnomeInstalled())
        GTEST_SKIP() << "mutter or xdg-desktop-portal-gnome is not installed";
    ASSERT_NO_FATAL_FAILURE(startStack({}));
    const std::string seeded = stack->seedRestoreToken();
    ASSERT_FALSE(seeded.empty()) << stack->error();
    settings.setString(settings::kPortalRestoreToken, seeded);
    tokens = std::make_unique<SettingsPortalTokens>(settings, runLoop);
    auto painter = strip(8);
    PortalScreenSource source(cast());
    // Without the token the backend's dialog would wait for a click that never comes.
    ASSERT_TRUE(streams(source, *painter)) << stack->backendLog() << joined(log.lines());
    EXPECT_EQ(log.countStartingWith("Screen link: asking"), 0);
    runLoop.runFor(0.1); // the token is written on the main thread
    EXPECT_EQ(settings.getString(settings::kPortalRestoreToken), seeded) << "a renewed token lost";
}

} // namespace
} // namespace et::portal
