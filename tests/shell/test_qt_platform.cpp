// The Qt run loop and the signal bridge.
#include "QtRunLoop.h"
#include "SignalBridge.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <thread>
#include <unistd.h>
#include <vector>

namespace et::test {
namespace {

TEST(QtRunLoopTest, WaitsKeepTimersAliveAndNest) {
    QtRunLoop loop;
    std::vector<std::string> events;
    loop.after(0.02, [&] {
        events.push_back(loop.waiting() ? "outer timer inside a wait" : "outer timer");
        // An animation that waits inside a timer: a nested wait.
        loop.runFor(0.02);
        events.push_back("nested wait over");
    });
    loop.after(0.03, [&] { events.push_back("second timer"); });
    const double start = loop.now();
    loop.runFor(0.1);
    EXPECT_FALSE(loop.waiting());
    EXPECT_GE(loop.now() - start, 0.1);
    EXPECT_EQ(events, (std::vector<std::string>{"outer timer inside a wait", "second timer",
                                                "nested wait over"}));
}

TEST(SignalBridgeTest, TermAndIntBecomeQuitRequestsOnTheMainThread) {
    QtRunLoop loop;
    std::vector<int> received;
    {
        SignalBridge bridge;
        ASSERT_TRUE(bridge.installed());
        QObject::connect(&bridge, &SignalBridge::quitRequested,
                         [&](int number) { received.push_back(number); });
        std::thread([] { ::kill(::getpid(), SIGTERM); }).join();
        ::raise(SIGINT);
        loop.runFor(0.05);
    }
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT}));
    // Gone with the bridge: the default action is back.
    struct sigaction current {};
    ::sigaction(SIGTERM, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}

} // namespace
} // namespace et::test
