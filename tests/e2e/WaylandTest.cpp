// The application on a Wayland desktop (weston with XWayland), where the screen as a whole
// cannot be read: the strip is found, calibrated and read in the game's own window.
#include "E2eTest.h"

#include <chrono>
#include <thread>

namespace et::e2e {
namespace {

TEST_F(E2eTest, OnAWaylandDesktopTheGameWindowIsCalibratedReadAndItsLossReported) {
    ProfileOracle oracle{SettingsFile{}};
    SessionOptions options;
    options.weston = true;
    options.cellWidth = 9;
    AppSession& session = prepare(SettingsFile{}, options);
    ASSERT_TRUE(session.ok());
    ASSERT_TRUE(session.startApp());
    App& app = session.app();
    EXPECT_TRUE(app.waitForOutput("Screen link: reading the strip from the game window", 20.0));

    ASSERT_TRUE(session.strip("calibrate"));
    ASSERT_TRUE(session.triggerCalibrate()) << "cannot reach the calibrate action";
    ASSERT_TRUE(app.waitForOutput("** Click Calibrate again to begin **", 20.0));
    const size_t beforeRun = app.outputCount();
    ASSERT_TRUE(session.triggerCalibrate());
    EXPECT_TRUE(app.waitForOutput("Calibration successful!  (offset 4, width", 60.0, beforeRun));

    ASSERT_TRUE(session.strip("clear"));
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
