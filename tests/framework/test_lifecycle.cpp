// Init and shutdown: what is sent, what is refused, a host that is missing or goes away,
// and commands from many threads.
#include "HostFixture.h"
#include "Version.h"

#include <atomic>
#include <csignal>
#include <dlfcn.h>
#include <sys/socket.h>
#include <thread>

// A socket that accepts zero bytes must end the write with false, not spin. Real sockets do
// not do that on demand, so this program defines send() itself: the shared library's calls
// bind to it first, and it hands them on to the C library's unless told otherwise.
namespace {
std::atomic<int> g_zeroSends{-1}; // -1: pass through; otherwise count the zero returns
std::atomic<int> g_sends{0};
} // namespace
extern "C" ssize_t send(int fd, const void* buf, size_t n, int flags) {
    using Send = ssize_t (*)(int, const void*, size_t, int);
    static const auto real = reinterpret_cast<Send>(::dlsym(RTLD_NEXT, "send"));
    g_sends++;
    if (g_zeroSends.load() < 0) return real(fd, buf, n, flags);
    g_zeroSends++;
    return 0;
}

namespace {

using Lifecycle = HostFixture;

TEST_F(Lifecycle, OneConnectionPerSessionAndNothingSentOutsideOne) {
    unsigned char bitmap[CORVLED_BITMAP_SIZE] = {};
    EXPECT_FALSE(CorvLedSetLighting(1, 2, 3));
    EXPECT_FALSE(CorvLedSaveCurrentLighting());
    EXPECT_FALSE(CorvLedSetLightingFromBitmap(bitmap));
    EXPECT_FALSE(CorvLedSetLightingForKeyWithKeyName(CLK_A, 1, 2, 3));
    EXPECT_TRUE(CorvLedSetTargetDevice(3)); // inverted: refused
    expectNothingSent();
    EXPECT_EQ(host_->connectionsServed(), 0);

    initAndClear();
    EXPECT_FALSE(CorvLedInit()); // a second Init fails and keeps the connection
    EXPECT_TRUE(CorvLedSetLighting(0, 0, 0));
    CorvLedShutdown();
    ASSERT_TRUE(host_->waitForMessages(2, 5));
    EXPECT_EQ(received(), (std::vector<std::string>{"Set 0 0 0", "Restore"})); // the saved one
    EXPECT_EQ(host_->connectionsServed(), 1);
    host_->clear();
    EXPECT_FALSE(CorvLedSetLighting(1, 2, 3));
    EXPECT_FALSE(CorvLedRestoreLightingForKey(CLK_A));
    expectNothingSent();

    ASSERT_TRUE(CorvLedInit()); // a new session builds a new connection
    ASSERT_TRUE(host_->waitForMessages(2, 5));
    EXPECT_EQ(received(), (std::vector<std::string>{"Init", "Save"}));
    EXPECT_EQ(host_->connectionsServed(), 2);
}

TEST_F(Lifecycle, AMissingOrVanishedHostFailsCommandsUntilTheNextInitReachesIt) {
    host_->stop();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CorvLedInit());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("Connect Error: ", 0), 0u) << err;
    EXPECT_FALSE(CorvLedSetLighting(1, 1, 1));
    ASSERT_TRUE(host_->start());
    initAndClear();

    host_->stop(); // closes the accepted connection too
    // Writes into a closed socket raise SIGPIPE unless the library suppresses it; with the
    // default action this test process would die here.
    ASSERT_EQ(std::signal(SIGPIPE, SIG_DFL), SIG_DFL);
    bool anyFailed = false;
    for (int i = 0; i < 200 && !anyFailed; ++i)
        anyFailed = (g_sends = 0, !CorvLedSetLighting(1, 2, 3));
    EXPECT_TRUE(anyFailed);
    EXPECT_EQ(g_sends.load(), 1) << "a closed peer fails the write at once, not after retries";
    EXPECT_FALSE(CorvLedSetLighting(1, 2, 3)); // no reconnection
    CorvLedShutdown();
    ASSERT_TRUE(host_->start());
    ASSERT_TRUE(CorvLedInit()); // a new Init reaches the restarted host
    EXPECT_TRUE(host_->waitForMessages(2, 5));
    CorvLedShutdown();

    // A socket path that does not fit the address (> 103 bytes) fails without connecting.
    ::setenv("XDG_DATA_HOME", ("/tmp/" + std::string(90, 'x')).c_str(), 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CorvLedInit());
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(CorvLedSetLighting(1, 1, 1));
}

TEST_F(Lifecycle, MessagesFromManyThreadsArriveWholeAndInOrder) {
    initAndClear();
    constexpr int kThreads = 4, kEach = 400;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            unsigned char bitmap[CORVLED_BITMAP_SIZE];
            std::fill(std::begin(bitmap), std::end(bitmap), static_cast<unsigned char>(t));
            for (int i = 0; i < kEach; ++i)
                i % 4 ? CorvLedSetLightingForKeyWithKeyName(static_cast<KeyName>(t), i % 256, 0, 0)
                      : CorvLedSetLightingFromBitmap(bitmap);
        });
    for (auto& th : threads)
        th.join();
    const auto m = expectMessages(kThreads * kEach);
    EXPECT_EQ(host_->connectionsDropped(), 0); // every message parsed whole
    int next[kThreads] = {};
    for (const auto& msg : m) {
        const bool isBitmap = msg.command == 0x810;
        const int t = isBitmap ? msg.bytes[8] : msg.field(8);
        ASSERT_TRUE(t >= 0 && t < kThreads);
        const int i = next[t]++;
        if (isBitmap)
            ASSERT_TRUE(i % 4 == 0 && std::all_of(msg.bytes.begin() + 8, msg.bytes.end(),
                                                  [&](uint8_t b) { return b == t; }));
        else
            ASSERT_EQ(msg.field(12), i % 256) << "thread " << t << " out of order";
    }
}

TEST_F(Lifecycle, AWriteThatAcceptsNothingFailsAtOnce) {
    initAndClear();
    g_zeroSends = 0;
    EXPECT_FALSE(CorvLedSetLighting(1, 2, 3));
    EXPECT_EQ(g_zeroSends.load(), 1);
    g_zeroSends = -1;
    EXPECT_TRUE(CorvLedSetLighting(1, 2, 3)); // the stream is still usable afterwards
    EXPECT_TRUE(host_->waitForMessages(1, 5));
}

TEST_F(Lifecycle, CommandsRacingShutdownNeverTouchAFreedConnection) {
    // Under the sanitizers this catches a command that passed its initialised check while
    // another thread tore the connection down.
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

TEST(Version, ReportedAndParsedFromText) {
    int a = -1, b = -1, d = -1;
    EXPECT_TRUE(CorvLedGetSdkVersion(&a, &b, &d));
    EXPECT_EQ(std::vector<int>({a, b, d}), std::vector<int>({1, 2, 0}));
    EXPECT_FALSE(CorvLedGetSdkVersion(nullptr, &b, &d));
    // Split at dots, each part read for its leading digits.
    struct Case {
        const char* text;
        int major, minor, build;
    } cases[] = {{"10.4b.7rc", 10, 4, 7}, {"..3", 0, 0, 3}, {"99999999999", 2147483647, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_TRUE(corvled::parseVersion(c.text, &a, &b, &d)) << c.text;
        EXPECT_EQ(std::vector<int>({a, b, d}), std::vector<int>({c.major, c.minor, c.build}))
            << c.text;
    }
    a = b = d = 5;
    EXPECT_FALSE(corvled::parseVersion(nullptr, &a, &b, &d));
    EXPECT_EQ(a + b + d, 0);
}

} // namespace
