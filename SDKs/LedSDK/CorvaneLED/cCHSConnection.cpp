#include "cCHSConnection.h"

#include "SocketPath.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// How long one message or one connection attempt may hold its caller (the application's main
// thread, an effect timer holding the effects lock) when the host is stopped or stalled.
constexpr std::chrono::milliseconds kDeadline{250};

using Clock = std::chrono::steady_clock;

// Waits until the socket takes more bytes; false once `deadline` has passed.
bool waitWritable(int fd, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd entry{fd, POLLOUT, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

// Only this user's or root's program may hear the lighting commands: a socket another user
// bound where ours belongs would otherwise receive them.
bool trustedPeer(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) return false;
    if (peer.uid == ::geteuid() || peer.uid == 0) return true;
    errno = EACCES;
    return false;
}

} // namespace

cCHSConnection::~cCHSConnection() { shutdownAndCleanUp(); }

bool cCHSConnection::initialize() { return initializeAt(corvwire::corvaneSocketPath()); }

bool cCHSConnection::initializeAt(const std::string& socketPath) {
    if (fd_ >= 0) return true;
    if (!corvwire::fitsSocketAddress(socketPath)) return false;

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        std::perror("Connect Error");
        return false;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    // A Unix stream connect waits for room in the listener's backlog for as long as the send
    // timeout allows; without one, a host that stopped accepting would hold Init for good.
    const timeval timeout{0, static_cast<suseconds_t>(kDeadline.count() * 1000)};
    if (::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout) != 0 ||
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == -1 ||
        !trustedPeer(fd)) {
        std::perror("Connect Error");
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

bool cCHSConnection::write(const void* data, unsigned long length) {
    if (fd_ < 0) return false;
    const auto deadline = Clock::now() + kDeadline;
    const auto* bytes = static_cast<const unsigned char*>(data);
    unsigned long done = 0;
    while (done < length) {
        // MSG_NOSIGNAL: a host that went away must fail the command, not kill the player's
        // application with SIGPIPE. MSG_DONTWAIT: the deadline, not the host, ends the wait.
        const ssize_t n = ::send(fd_, bytes + done, length - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<unsigned long>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        const bool full = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        if (full && waitWritable(fd_, deadline)) continue;
        // A host that stopped reading, or a message cut short, leaves a stream that can never
        // be read in step again: it is closed, and the next Init opens a new one. A zero
        // return took nothing and ends the write without spinning; the stream stays usable.
        if (full || done > 0) shutdownAndCleanUp();
        return false;
    }
    return true;
}

void cCHSConnection::shutdownAndCleanUp() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}
