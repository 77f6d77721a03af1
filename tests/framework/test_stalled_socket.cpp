// A socket that accepts zero bytes must end the write with false, not spin. Real sockets
// do not do that on demand, so this binary wraps send() at link time.
#include "HostFixture.h"

#include <atomic>
#include <sys/socket.h>

extern "C" ssize_t __real_send(int fd, const void* buf, size_t n, int flags);

namespace {
std::atomic<int> g_zeroSends{-1}; // -1: pass through; otherwise count the zero returns
} // namespace

extern "C" ssize_t __wrap_send(int fd, const void* buf, size_t n, int flags) {
    if (g_zeroSends.load() >= 0) {
        g_zeroSends++;
        return 0;
    }
    return __real_send(fd, buf, n, flags);
}

namespace {

using StalledSocket = HostFixture;

TEST_F(StalledSocket, WriteThatAcceptsNothingFailsAtOnce) {
    initAndClear();
    g_zeroSends = 0;
    EXPECT_FALSE(CorvLedSetLighting(1, 2, 3));
    EXPECT_EQ(g_zeroSends.load(), 1);
    g_zeroSends = -1;
    EXPECT_TRUE(CorvLedSetLighting(1, 2, 3)); // the stream is still usable afterwards
    EXPECT_TRUE(host_->waitForMessages(1, 5));
}

} // namespace
