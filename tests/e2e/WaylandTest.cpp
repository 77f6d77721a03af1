// The application on a Wayland desktop (weston with XWayland), where the screen as a whole
// cannot be read: the strip is found, calibrated and read in the game's own window.
//
// Headless weston has no seat, so no key or click reaches a window there: the calibration
// runs in this process on the same desktop, through the same X11 source the application
// uses, and the application starts with what it found.
#include "Calibration.h"
#include "E2eTest.h"
#include "RealTimeRunLoop.h"
#include "RecordingLog.h"
#include "X11ScreenSource.h"

#include <chrono>
#include <thread>

namespace et::e2e {
namespace {

struct Quiet : Sound, Speech {
    void play(const std::string&) override {}
    void speak(const std::string&) override {}
};

TEST_F(E2eTest, OnAWaylandDesktopTheGameWindowIsCalibratedReadAndItsLossReported) {
    SessionOptions options;
    options.weston = true;
    options.cellWidth = 9;
    AppSession& session = prepare(SettingsFile{}, options);
    ASSERT_TRUE(session.ok());

    ASSERT_TRUE(session.strip("calibrate"));
    X11ScreenSource source(session.desktop().display(), /*followEvents=*/false);
    ScanGeometry geometry;
    test::RealTimeRunLoop runLoop;
    test::RecordingLog log;
    Quiet quiet;
    MemoryDefaults defaults;
    Calibration calibration(source, geometry, runLoop, quiet, quiet, defaults, log,
                            [] { return false; });
    calibration.calibrateScreen();
    calibration.calibrateScreen();
    ASSERT_EQ(geometry.scanOffset, 4) << "the pattern in the game window was not measured";

    SettingsFile settings;
    settings.set("scanOffset", geometry.scanOffset).set("scanWidth", geometry.scanWidth);
    session.desktop().writeSettings(settings.text());
    ASSERT_TRUE(session.strip("clear"));
    ASSERT_TRUE(session.startApp());
    App& app = session.app();
    EXPECT_TRUE(app.waitForOutput("Screen link: reading the strip from the game window", 20.0));

    ProfileOracle oracle{settings};
    session.gameInFront();
    const size_t before = session.mark();
    ASSERT_TRUE(session.send("p"));
    EXPECT_GT(waitForFrame(session.host(), oracle.selected(2), before, 10.0), 0u)
        << "a message from the game window did not arrive";

    // The game goes: the root cannot stand in for it here, and that is said once.
    const size_t beforeLoss = app.outputCount();
    ASSERT_TRUE(session.stripPainter().runAsync("quit"));
    const std::string outage = "Screen link: nothing can be read";
    EXPECT_TRUE(app.waitForOutput(outage, 10.0, beforeLoss));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const auto output = app.output();
    EXPECT_EQ(std::count_if(output.begin() + static_cast<long>(beforeLoss), output.end(),
                            [&](const std::string& l) { return l.rfind(outage, 0) == 0; }),
              1);
    EXPECT_TRUE(app.running());
}

} // namespace
} // namespace et::e2e
