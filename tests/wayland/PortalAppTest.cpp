// The application on headless sway told to read the strip through the desktop portal: the
// player asked once, text and action-bar frames of the native game reaching the host, and
// the next start asking nothing with the permission kept in the settings file.
//
// The portal refuses root's programs, so this program runs as the desktop's user (its
// main() is the portal tests'), and the application it starts with it.
#include "PortalStack.h"
#include "SettingsKeys.h"
#include "WaylandAppSteps.h"

#include <CorvaneLED.h>

namespace et::e2e {
namespace {

const std::string kPortalLine =
    "Screen link: reading the strip through the desktop portal's screen cast";

// Frames come only when the screen changes, and PipeWire may still be linking the stream
// when the application starts: the screen is changed until the application reads it.
bool readsThroughPortal(AppSession& session, size_t from) {
    for (int tries = 0; tries < 40; ++tries) {
        if (session.app().waitForOutput(kPortalLine, 0.5, from)) return true;
        if (!session.strip(tries % 2 ? "clear" : "calibrate")) return false;
    }
    return false;
}

TEST_F(E2eTest, OnSwayTheNamedPortalRouteReadsTheGameAndTheKeptPermissionAsksNothingNextTime) {
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

    test::PortalStack::Options stackOptions;
    stackOptions.askPlayer = true;
    test::PortalStack stack(*session.desktop().sway(), stackOptions);
    ASSERT_TRUE(stack.running()) << stack.error();
    // The desktop's own session bus is restored when it goes; the route name is not its.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", stack.busAddress().c_str(), 1);
    const ScopedEnv route("EMBER_TALON_SCREEN_ROUTE", "portal");

    ASSERT_TRUE(session.startApp());
    ASSERT_TRUE(readsThroughPortal(session, 0)) << stack.backendLog();
    EXPECT_EQ(stack.timesAsked(), 1);
    EXPECT_FALSE(session.app().waitForOutput("compositor's screencopy", 0.0));
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

    ASSERT_EQ(session.quitApp(), 0);
    const std::string kept = std::string(settings::kPortalRestoreToken) + "=";
    const std::string text = session.desktop().readSettings();
    const auto at = text.find(kept);
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_NE(text[at + kept.size()], '\n') << "an empty token was kept";

    ASSERT_TRUE(session.startApp());
    ASSERT_TRUE(readsThroughPortal(session, 0)) << stack.backendLog();
    ASSERT_TRUE(session.desktop().sway()->message({"[app_id=\"emberfall.exe\"]", "focus"}));
    before = session.mark();
    ASSERT_TRUE(session.send("\"", "red")); // slot 1 back, slots 2 and 6 on cooldown
    EXPECT_TRUE(keyTurns(session.host(), oracle.cooldownColor(CLK_2), before));
    EXPECT_EQ(stack.timesAsked(), 1);
    EXPECT_FALSE(session.app().waitForOutput("Screen link: asking", 0.0));
}

} // namespace
} // namespace et::e2e
