// The application with the game as a native Wayland window: on headless sway the strip
// calibrated and read through the compositor's screencopy, text and action-bar frames
// reaching the host, the game in front by the compositor's window list, and the output
// resized under it; on weston, which offers no screencopy, one line saying so, and a route
// name the application does not know told once.
#include "WaylandAppSteps.h"

#include <CorvaneLED.h>

#include <algorithm>

namespace et::e2e {
namespace {

TEST_F(E2eTest, OnSwayANativeGameIsCalibratedAndReadThroughScreencopy) {
    SessionOptions options;
    options.sway = Desktop::OnSway{};
    options.nativeWaylandGame = true;
    options.cellWidth = 9;
    AppSession& session = prepare(SettingsFile{}, options);
    ASSERT_TRUE(session.ok());

    ScanGeometry geometry;
    const SettingsFile settings = calibrateOnSway(session, geometry);
    ASSERT_EQ(geometry.scanOffset, 4) << "the pattern on the output was not measured";
    session.desktop().writeSettings(settings.text());
    ASSERT_TRUE(session.startApp());
    App& app = session.app();
    EXPECT_TRUE(app.waitForOutput("Screen link: reading the strip through the compositor's "
                                  "screencopy",
                                  20.0));
    // sway gives the focus to the newest window, the application's: hand it back.
    ASSERT_TRUE(session.desktop().sway()->message({"[app_id=\"emberfall.exe\"]", "focus"}));

    ProfileOracle oracle{settings};
    size_t before = session.mark();
    ASSERT_TRUE(session.send("p"));
    EXPECT_GT(waitForFrame(session.host(), oracle.selected(2), before, 10.0), 0u)
        << "a message painted by the native game did not arrive";
    before = session.mark();
    // Bar A, slot 1 on cooldown ("@" = bit 64 in red: the grave-accent prefix).
    ASSERT_TRUE(session.send("@", "red"));
    EXPECT_TRUE(keyTurns(session.host(), oracle.cooldownColor(CLK_1), before));

    // The output grows under the game; the strip stays at its top-left and is read on.
    ASSERT_TRUE(session.desktop().sway()->resizeOutput(3840, 2160));
    before = session.mark();
    ASSERT_TRUE(session.send("\"", "red")); // slot 1 back, slots 2 and 6 on cooldown
    EXPECT_TRUE(keyTurns(session.host(), oracle.cooldownColor(CLK_2), before));
    EXPECT_TRUE(app.running());
}

TEST_F(E2eTest, OnWestonANativeGameCannotBeReadAndThatIsSaidOnce) {
    SessionOptions options;
    options.weston = true;
    options.nativeWaylandGame = true;
    AppSession& session = prepare(SettingsFile{}, options);
    ASSERT_TRUE(session.ok());
    // A route name the application does not know is told and leaves the usual order.
    const ScopedEnv route("EMBER_TALON_SCREEN_ROUTE", "wlr");
    ASSERT_TRUE(session.startApp());
    App& app = session.app();
    const std::string outage = "Screen link: nothing can be read";
    ASSERT_TRUE(app.waitForOutput(outage, 20.0));
    // The game goes on painting; the capture goes on failing, silently.
    ASSERT_TRUE(session.send("pq"));
    const auto output = app.output();
    const auto lines = std::count_if(output.begin(), output.end(), [&](const std::string& l) {
        return l.rfind(outage, 0) == 0;
    });
    EXPECT_EQ(lines, 1);
    EXPECT_EQ(std::count(output.begin(), output.end(),
                         "Screen link: EMBER_TALON_SCREEN_ROUTE=\"wlr\" names no route (portal, "
                         "screencopy or x11); the routes are tried in their usual order."),
              1);
    EXPECT_NE(std::find_if(output.begin(), output.end(),
                           [](const std::string& l) {
                               return l.find("neither screencopy") != std::string::npos;
                           }),
              output.end());
    EXPECT_TRUE(app.running());
}

} // namespace
} // namespace et::e2e
