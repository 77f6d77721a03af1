// Sleep, wake and the idle inhibitor through a private dbus-daemon standing in for the
// system bus, with this test playing logind.
#include "ChildProcess.h"
#include "IdleInhibitor.h"
#include "LogindSleepWatcher.h"
#include "ShellHarness.h"
#include "SystemBus.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QThread>
#include <gtest/gtest.h>

#include <cstdlib>
#include <poll.h>
#include <unistd.h>

namespace et::test {
namespace {

// logind's Inhibit, on a thread of its own so that it can answer while the main thread
// waits for the reply.
class FakeLogind : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
  public:
    QStringList lastCall;
    int readEnd = -1;

  public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode) {
        lastCall = {what, who, why, mode};
        int fds[2];
        if (::pipe(fds) != 0) return {};
        readEnd = fds[0];
        QDBusUnixFileDescriptor handed(fds[1]);
        ::close(fds[1]);
        return handed;
    }
};

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
    // Only debug mode reports it.
    app.screenAboutToSleep();
    app.screenWakesUpFromSleep();
    EXPECT_EQ(h.logText().find("sleep"), std::string::npos);
    app.debugMode = true;

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

TEST_F(PrivateSystemBus, IdleInhibitorHoldsLogindsDescriptorUntilEndedAndNeedsBusAndLogind) {
    EXPECT_FALSE(IdleInhibitor(systemBus()).begin("Reading the screen")) << "no logind";
    QThread thread;
    FakeLogind logind;
    logind.moveToThread(&thread);
    thread.start();
    QDBusConnection service =
        QDBusConnection::connectToBus(QString::fromStdString(address), "fake-logind");
    ASSERT_TRUE(service.registerService("org.freedesktop.login1"));
    ASSERT_TRUE(service.registerObject("/org/freedesktop/login1", &logind,
                                       QDBusConnection::ExportAllSlots));
    {
        IdleInhibitor inhibitor(systemBus());
        ASSERT_TRUE(inhibitor.begin("Reading the screen"));
        EXPECT_TRUE(inhibitor.active());
        EXPECT_EQ(logind.lastCall,
                  (QStringList{"idle", "Ember Talon", "Reading the screen", "block"}));
        pollfd fd{logind.readEnd, POLLIN, 0};
        EXPECT_EQ(::poll(&fd, 1, 0), 0) << "the inhibitor is held";
        inhibitor.end();
        EXPECT_FALSE(inhibitor.active());
        EXPECT_EQ(::poll(&fd, 1, 1000), 1) << "closing releases it";
        inhibitor.end(); // twice is harmless
    }
    ::close(logind.readEnd);
    service.unregisterObject("/org/freedesktop/login1");
    QDBusConnection::disconnectFromBus("fake-logind");
    thread.quit();
    thread.wait();

    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    EXPECT_FALSE(IdleInhibitor(systemBus()).begin("Reading the screen")) << "no bus";
    EXPECT_FALSE(LogindSleepWatcher(systemBus()).watching());
    ShellHarness h;
    h.start();
    EXPECT_TRUE(h.app->mainWindow.isVisible()) << "the whole start-up goes through";
}

} // namespace
} // namespace et::test

#include "test_dbus.moc"
