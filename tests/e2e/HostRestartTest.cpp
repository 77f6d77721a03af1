// The host software going away while the application runs, and coming back.
#include "E2eTest.h"

#include <thread>

namespace et::e2e {
namespace {

TEST_F(E2eTest, HostCrashLeavesTheApplicationRunningAndARestartLightsAgain) {
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
    ASSERT_TRUE(session.send("O"));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(session.app().running()) << "the application died with the host";
    EXPECT_EQ(alarmingLines(session.app().output()), std::vector<std::string>{});

    // The host comes back; once the application is restarted the lighting flows again.
    ASSERT_TRUE(session.host().start());
    EXPECT_EQ(session.quitApp(), 0);
    const size_t before = session.mark();
    ASSERT_TRUE(session.startApp()) << "no Init after the restart";
    EXPECT_GT(waitForFrame(session.host(), oracle.shown(1), before, 10.0), 0u);
    EXPECT_EQ(alarmingLines(session.app().output()), std::vector<std::string>{});
}

} // namespace
} // namespace et::e2e
