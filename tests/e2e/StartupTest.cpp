// Start-up, the game coming to the front and leaving it, quitting, and a settings file
// full of garbage: the real application under a private desktop, judged by what the host
// received.
#include "E2eTest.h"

namespace et::e2e {
namespace {

SettingsFile chatProfileSettings() {
    SettingsFile settings;
    settings.calibratedForCellWidth(8).set("autoToggleProfile", true);
    // Profile 2 differs from profile 1, so the host can tell them apart.
    settings.setColor("colorAColor2", {1.0, 0.0, 0.0, 1.0});
    settings.setColor("colorBColor2", {0.0, 0.0, 1.0, 1.0});
    return settings;
}

TEST_F(E2eTest, LightingStartsWithTheGameInFrontRepeatsEvery14TicksAndLeavesWithIt) {
    const SettingsFile settings = chatProfileSettings();
    ProfileOracle oracle(settings);
    AppSession& session = start(settings);
    ASSERT_TRUE(session.ok());
    HostSim& host = session.host();

    // Start-up greets the host and saves its lighting, nothing more.
    EXPECT_TRUE(host.waitForQuiet(1.5, 20.0));
    std::vector<std::string> commands;
    for (const auto& r : host.records())
        commands.push_back(r.cmd);
    EXPECT_EQ(commands, (std::vector<std::string>{"Init", "SaveCurrentLighting"}));

    const size_t beforeGame = session.mark();
    const double gameAt = now();
    session.gameInFront();
    const ProfileFrame profile1 = oracle.shown(1);
    const size_t afterFirst = waitForFrame(host, profile1, beforeGame, 10.0);
    ASSERT_GT(afterFirst, 0u) << "profile 1 was not sent when the game came to the front";
    const auto records = host.records();
    const auto firstBitmap = records[beforeGame];
    EXPECT_TRUE(firstBitmap.is("SetLightingWithBitmap")) << "something came before the profile";
    // One drain tick is 0.2 s; the margin is for a loaded machine.
    EXPECT_LT(firstBitmap.at - gameAt, 1.0);

    // The refresh comes back after 14 ticks, with nothing in between.
    const size_t afterSecond = waitForFrame(host, profile1, afterFirst, 10.0);
    ASSERT_GT(afterSecond, 0u) << "the profile was not sent again";
    const auto again = host.records();
    size_t secondBitmap = afterFirst;
    while (!again[secondBitmap].is("SetLightingWithBitmap"))
        ++secondBitmap;
    EXPECT_EQ(secondBitmap, afterFirst) << again[afterFirst].cmd << " between the refreshes";
    const double interval = again[secondBitmap].hostTime - firstBitmap.hostTime;
    EXPECT_GE(interval, 14 * 0.2 * 0.94);
    EXPECT_LE(interval, 14 * 0.2 * 2.0);

    // Another program in front: profile 2, once.
    const size_t beforeOther = session.mark();
    session.otherInFront();
    const size_t afterOther = waitForFrame(host, oracle.shown(2), beforeOther, 5.0);
    ASSERT_GT(afterOther, 0u) << "profile 2 was not sent when the game left the front";
    EXPECT_TRUE(host.waitForQuiet(3.5, 10.0)) << "lighting went on with the game away";
    EXPECT_EQ(session.mark(), afterOther);

    // Back in front: profile 1 at once.
    const size_t beforeBack = session.mark();
    session.gameInFront();
    EXPECT_GT(waitForFrame(host, profile1, beforeBack, 5.0), 0u);

    // Quitting gives the keyboard back and ends cleanly.
    const size_t beforeQuit = session.mark();
    EXPECT_EQ(session.quitApp(), 0);
    EXPECT_TRUE(
        host.waitFor([](const HostRecord& r) { return r.is("RestoreLighting"); }, 5.0, beforeQuit));
    EXPECT_EQ(alarmingLines(session.app().output()), std::vector<std::string>{});
}

// Wrong types, huge arrays, numbers out of range: the application starts with its defaults,
// holds the colors it can read to their range, and reads the strip where an uncalibrated
// application reads it.
TEST_F(E2eTest, SettingsFullOfGarbageStartWithDefaults) {
    std::string garbage = "[General]\n"
                          "colorAColor1=7 -3 0.5 1\n"
                          "scanWidth=banana\n"
                          "scanOffset=1e300\n"
                          "singleColorMode=maybe\n"
                          "autoToggleProfile=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1)\n"
                          "blinkTimePref=-7\n"
                          "colorBColor1=1 2 3 4 5 6 7\n"
                          "colorCColor1=nan nan nan\n"
                          "OnCooldownNumberKeyColor1=\n"
                          "useActionBarCooldowns1=17\n"
                          "key101=-5\n"
                          "key102=999999999999999999999\n"
                          "windowPosition=not a frame\n"
                          "EmberAppName=" +
                          std::string(20000, 'x') + "\n" + "savedKeyToColorMap1=";
    for (int i = 0; i < 200000; ++i)
        garbage += (i % 3 == 0 ? "99999999 " : i % 3 == 1 ? "-4 " : "x ");
    garbage += "\n\x01\x02\xff\xfe=\xff\n[Other]\nscanWidth=88\n"
               "[General]\ncombatChatWarning=\"\n";

    // What a healthy application makes of it: every unreadable value at its default, the
    // out-of-range color held to 0–1.
    SettingsFile readable;
    readable.setColor("colorAColor1", {1.0, 0.0, 0.5, 1.0});
    ProfileOracle oracle(readable);

    AppSession& session = prepare(SettingsFile{}, 80.0 / 11.0);
    ASSERT_TRUE(session.ok());
    session.desktop().writeSettings(garbage);
    ASSERT_TRUE(session.startApp()) << "no Init from ember-talon";
    EXPECT_TRUE(session.app().waitForOutput("Calibration settings not found!", 10.0));

    const size_t beforeGame = session.mark();
    session.gameInFront();
    EXPECT_GT(waitForFrame(session.host(), oracle.shown(1), beforeGame, 10.0), 0u)
        << "profile 1 is not the default one";

    // The default strip (offset 2, width 80) decodes: "2" selects profile 2.
    const size_t beforeMessage = session.mark();
    ASSERT_TRUE(session.send("2"));
    EXPECT_GT(waitForFrame(session.host(), oracle.selected(2), beforeMessage, 10.0), 0u)
        << "a message on the default strip did not arrive";
    EXPECT_TRUE(session.app().running());
    EXPECT_EQ(session.quitApp(), 0);
}

} // namespace
} // namespace et::e2e
