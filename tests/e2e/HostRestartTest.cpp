// The host software going away while the application runs, and coming back.
#include "E2eTest.h"

#include <thread>

namespace et::e2e {
namespace {

TEST_F(E2eTest, HostCrashLeavesTheApplicationRunningAndItsReturnLightsAgain) {
    SettingsFile settings;
    settings.calibratedForCellWidth(8);
    ProfileOracle oracle(settings);
    AppSession& session = start(settings);
    ASSERT_TRUE(session.ok());
    session.gameInFront();
    ASSERT_GT(waitForFrame(session.host(), oracle.shown(1), 0, 10.0), 0u);

    // The host dies mid-run; combat starts pulses that now write to nobody.
    session.host().kill();
    ASSERT_TRUE(session.send("C"));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_TRUE(session.app().running()) << "the application died with the host";

    // The host comes back: the application finds it by itself and the running pulses are
    // back within 3 s; the end of combat then shows the profile again. No restart.
    const size_t before = session.mark();
    ASSERT_TRUE(session.host().start());
    EXPECT_TRUE(session.host().waitUntil(
        [&](const auto& records) { return allKeysLit(records, before, kCombatKeys); }, 3.0))
        << "the combat pulse did not come back";
    ASSERT_TRUE(session.send("O"));
    EXPECT_GT(waitForFrame(session.host(), oracle.shown(1), before, 5.0), 0u);
    EXPECT_EQ(alarmingLines(session.app().output()), std::vector<std::string>{});
}

} // namespace
} // namespace et::e2e
