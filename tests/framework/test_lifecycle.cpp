// Init and shutdown: what is sent, what is refused, and a host that goes away.
#include "HostFixture.h"
#include "Version.h"

#include <atomic>
#include <csignal>
#include <thread>

namespace {

using Lifecycle = HostFixture;

TEST_F(Lifecycle, CommandsBeforeInitAndAfterShutdownFailAndSendNothing) {
    unsigned char bitmap[CORVLED_BITMAP_SIZE] = {};
    EXPECT_FALSE(CorvLedSetLighting(1, 2, 3));
    EXPECT_FALSE(CorvLedSaveCurrentLighting());
    EXPECT_FALSE(CorvLedSetLightingFromBitmap(bitmap));
    EXPECT_TRUE(CorvLedSetTargetDevice(3)); // inverted: refused
    expectNothingSent();
    EXPECT_EQ(host_->connectionsServed(), 0);

    initAndClear();
    CorvLedShutdown();
    auto m = expectMessages(1);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].command, 0x805u); // the saved lighting comes back
    host_->clear();
    EXPECT_FALSE(CorvLedSetLighting(1, 2, 3));
    EXPECT_FALSE(CorvLedRestoreLightingForKey(CLK_A));
    expectNothingSent();
}

TEST_F(Lifecycle, SecondInitFailsAndKeepsTheConnection) {
    initAndClear();
    EXPECT_FALSE(CorvLedInit());
    EXPECT_TRUE(CorvLedSetLighting(0, 0, 0));
    auto m = expectMessages(1);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].command, 0x802u);
    EXPECT_EQ(host_->connectionsServed(), 1);
}

TEST_F(Lifecycle, InitAfterShutdownBuildsANewConnection) {
    initAndClear();
    CorvLedShutdown();
    ASSERT_TRUE(host_->waitForMessages(1, 5));
    host_->clear();
    ASSERT_TRUE(CorvLedInit());
    auto m = expectMessages(2);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].command, 0x801u);
    EXPECT_EQ(m[1].command, 0x804u);
    EXPECT_EQ(host_->connectionsServed(), 2);
}

TEST_F(Lifecycle, NoHostMeansNoInitAndAConnectError) {
    host_->stop();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CorvLedInit());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("Connect Error: ", 0), 0u) << err;
    EXPECT_FALSE(CorvLedSetLighting(1, 1, 1));
    // A host that appears later is reached by the next Init.
    ASSERT_TRUE(host_->start());
    EXPECT_TRUE(CorvLedInit());
}

TEST_F(Lifecycle, SocketPathThatDoesNotFitTheAddressFailsWithoutConnecting) {
    const std::string longBase = "/tmp/" + std::string(90, 'x');
    ::setenv("XDG_DATA_HOME", longBase.c_str(), 1); // + "/Corvane/CHS_LED_SDK" > 103 bytes
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CorvLedInit());
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(CorvLedSetLighting(1, 1, 1));
}

TEST_F(Lifecycle, HostGoingAwayFailsCommandsWithoutKillingTheProcess) {
    initAndClear();
    host_->stop(); // closes the accepted connection too
    // Writes into a closed socket raise SIGPIPE unless the library suppresses it; with the
    // default action this test process would die here.
    ASSERT_EQ(std::signal(SIGPIPE, SIG_DFL), SIG_DFL);
    bool anyFailed = false;
    for (int i = 0; i < 200 && !anyFailed; ++i)
        anyFailed = !CorvLedSetLighting(1, 2, 3);
    EXPECT_TRUE(anyFailed);
    EXPECT_FALSE(CorvLedSetLighting(1, 2, 3)); // no reconnection
    CorvLedShutdown();
    ASSERT_TRUE(host_->start());
    ASSERT_TRUE(CorvLedInit()); // a new Init reaches the restarted host
    EXPECT_TRUE(host_->waitForMessages(2, 5));
}

TEST_F(Lifecycle, MessagesFromManyThreadsArriveWholeAndInOrder) {
    initAndClear();
    constexpr int kThreads = 4;
    constexpr int kEach = 400;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            unsigned char bitmap[CORVLED_BITMAP_SIZE];
            for (int i = 0; i < kEach; ++i) {
                if (i % 4 == 0) {
                    std::fill(std::begin(bitmap), std::end(bitmap), static_cast<unsigned char>(t));
                    CorvLedSetLightingFromBitmap(bitmap);
                } else {
                    CorvLedSetLightingForKeyWithKeyName(static_cast<KeyName>(t), i % 256, 0, 0);
                }
            }
        });
    for (auto& th : threads)
        th.join();
    auto m = expectMessages(kThreads * kEach);
    ASSERT_EQ(m.size(), static_cast<size_t>(kThreads * kEach));
    EXPECT_EQ(host_->connectionsDropped(), 0); // every message parsed whole
    int next[kThreads] = {};
    for (const auto& msg : m) {
        int t;
        int i;
        if (msg.command == 0x810) {
            t = msg.bytes[8];
            ASSERT_TRUE(std::all_of(msg.bytes.begin() + 8, msg.bytes.end(),
                                    [&](uint8_t b) { return b == t; }));
            i = next[t];
            ASSERT_EQ(i % 4, 0);
        } else {
            ASSERT_EQ(msg.command, 0x809u);
            t = msg.field(8);
            i = next[t];
            ASSERT_EQ(msg.field(12), i % 256) << "thread " << t << " out of order";
        }
        next[t] = i + 1;
    }
}

TEST_F(Lifecycle, CommandsRacingShutdownNeverTouchAFreedConnection) {
    // Under ThreadSanitizer / AddressSanitizer this catches a command that passed its
    // initialised check while another thread tore the connection down.
    std::atomic<bool> stop{false};
    std::vector<std::thread> senders;
    for (int t = 0; t < 3; ++t)
        senders.emplace_back([&] {
            while (!stop)
                CorvLedSetLightingForKeyWithKeyName(CLK_A, 1, 2, 3);
        });
    for (int round = 0; round < 30; ++round) {
        CorvLedInit();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        CorvLedShutdown();
    }
    stop = true;
    for (auto& th : senders)
        th.join();
    EXPECT_FALSE(CorvLedSetLighting(0, 0, 0));
}

TEST(VersionText, SplitsAtDotsAndReadsLeadingDigits) {
    struct Case {
        const char* text;
        int major, minor, build;
    } cases[] = {{"8.57", 8, 57, 0},   {"9", 9, 0, 0},
                 {"1.2.3.4", 1, 2, 3}, {"2.x.5", 2, 0, 5},
                 {"", 0, 0, 0},        {"10.4b.7rc", 10, 4, 7},
                 {"..3", 0, 0, 3},     {"99999999999", 2147483647, 0, 0}};
    for (const auto& c : cases) {
        int a = -1, b = -1, d = -1;
        EXPECT_TRUE(corvled::parseVersion(c.text, &a, &b, &d)) << c.text;
        EXPECT_EQ(a, c.major) << c.text;
        EXPECT_EQ(b, c.minor) << c.text;
        EXPECT_EQ(d, c.build) << c.text;
    }
    int a = 5, b = 5, d = 5;
    EXPECT_FALSE(corvled::parseVersion(nullptr, &a, &b, &d));
    EXPECT_EQ(a + b + d, 0);
}

} // namespace
