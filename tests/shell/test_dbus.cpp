// Sleep and wake through a private dbus-daemon standing in for the system bus, with this
// test playing logind.
#include "ChildProcess.h"
#include "IdleInhibitor.h"
#include "LogindSleepWatcher.h"
#include "ShellHarness.h"

#include <gtest/gtest.h>
#include "SystemBus.h"


#include <cstdlib>

namespace et::test {
namespace {

struct PrivateSystemBus : ::testing::Test {
    std::unique_ptr<ChildProcess> daemon;
    std::string address;

    void SetUp() override {
        daemon = std::make_unique<ChildProcess>(
            std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--print-address=1"},
            /*quiet=*/true);
        auto line = daemon->readLine(10);
        ASSERT_TRUE(line && !line->empty()) << "dbus-daemon did not start";
        address = *line;
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
    }
    void TearDown() override { ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS"); }

    void emitPrepareForSleep(bool start) {
        ChildProcess send({"dbus-send", "--bus=" + address, "--type=signal",
                           "/org/freedesktop/login1",
                           "org.freedesktop.login1.Manager.PrepareForSleep",
                           start ? "boolean:true" : "boolean:false"},
                          true);
        EXPECT_EQ(send.wait(10), 0);
    }
};

TEST_F(PrivateSystemBus, PrepareForSleepSuspendsAndResumesTheCapture) {
    ShellHarness h;
    AppDelegate& app = h.start();
    LogindSleepWatcher watcher(systemBus());
    ASSERT_TRUE(watcher.watching());
    app.watchSleep(watcher);
    app.debugMode = true; // only debug mode reports it

    emitPrepareForSleep(true);
    ASSERT_TRUE(h.waitFor([&] { return app.activeScreenReader->suspendScreenReads.load(); }));
    EXPECT_EQ(h.logLines().back(), "Going to sleep; suspending screen reads.");
    h.spin(0.1); // a pass in progress may still finish
    const int frozen = h.captureSource.captures();
    h.spin(0.25);
    EXPECT_EQ(h.captureSource.captures(), frozen);

    emitPrepareForSleep(false);
    ASSERT_TRUE(h.waitFor([&] { return !app.activeScreenReader->suspendScreenReads; }));
    EXPECT_EQ(h.logLines().back(), "Waking from sleep; resuming screen reads.");
    EXPECT_TRUE(h.waitFor([&] { return h.captureSource.captures() > frozen; }));
}

// Without a system bus there is no sleep watch, and start-up goes through all the same.
TEST(NoSystemBus, StartUpGoesThrough) {
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    EXPECT_FALSE(IdleInhibitor(systemBus()).begin("Reading the screen"));
    EXPECT_FALSE(LogindSleepWatcher(systemBus()).watching());
    ShellHarness h;
    h.start();
    EXPECT_TRUE(h.app->mainWindow.isVisible());
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

} // namespace
} // namespace et::test
