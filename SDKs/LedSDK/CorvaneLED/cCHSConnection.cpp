#include "cCHSConnection.h"

#include "Helper.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// The address holds 103 path bytes plus the terminator, as the host software expects;
// a longer path would be silently truncated into someone else's socket name.
constexpr size_t kMaxPathBytes = 103;
} // namespace

std::string corvaneSocketPath() {
    const std::string base = getUserDirectory();
    if (base.empty()) return {};
    return base + "/Corvane/CHS_LED_SDK";
}

cCHSConnection::~cCHSConnection() { shutdownAndCleanUp(); }

bool cCHSConnection::initialize() { return initializeAt(corvaneSocketPath()); }

bool cCHSConnection::initializeAt(const std::string& socketPath) {
    if (fd_ >= 0) return true;
    if (socketPath.empty() || socketPath.size() > kMaxPathBytes ||
        socketPath.find('\0') != std::string::npos)
        return false;

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        std::perror("Connect Error");
        return false;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == -1) {
        std::perror("Connect Error");
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

bool cCHSConnection::write(const void* data, unsigned long length) {
    if (fd_ < 0) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    unsigned long done = 0;
    while (done < length) {
        // MSG_NOSIGNAL: a host that went away must fail the command, not kill the player's
        // application with SIGPIPE.
        const ssize_t n = ::send(fd_, bytes + done, length - done, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false; // the stream takes nothing: give up instead of spinning
        done += static_cast<unsigned long>(n);
    }
    return true;
}

void cCHSConnection::shutdownAndCleanUp() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}
