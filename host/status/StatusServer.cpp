#include "StatusServer.h"

#include "StatusClient.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace hoststatus {

namespace {
using Clock = std::chrono::steady_clock;

struct Peer {
    int fd;
    Clock::time_point deadline;
    std::string in, out;
    size_t sent = 0;
    bool replying = false;
};

// Only this user's programs (and root's, as the library allows) may read the status.
bool trusted(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           (peer.uid == ::geteuid() || peer.uid == 0);
}

// Reads what the peer sent; once a line is whole, the reply is ready. False: drop it.
bool readRequest(Peer& p, const std::function<std::string()>& report) {
    char chunk[kMaxRequestBytes + 1];
    const ssize_t n = ::recv(p.fd, chunk, kMaxRequestBytes + 1 - p.in.size(), MSG_DONTWAIT);
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    if (n == 0) return false;
    p.in.append(chunk, size_t(n));
    const size_t newline = p.in.find('\n');
    if (newline == std::string::npos) return p.in.size() <= kMaxRequestBytes;
    std::string line = p.in.substr(0, newline);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    p.out = line + "\n" == kRequest ? report()
                                    : R"({"error":"unknown request; the only one is \"status\""})";
    if (p.out.size() > kMaxReplyBytes) p.out = R"({"error":"the status is too long to send"})";
    p.out += '\n';
    p.replying = true;
    return true;
}

// Sends what the peer can take now. False once the reply is out, or the peer gone.
bool writeReply(Peer& p) {
    const ssize_t n =
        ::send(p.fd, p.out.data() + p.sent, p.out.size() - p.sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    p.sent += size_t(n);
    return p.sent < p.out.size();
}
} // namespace

StatusServer::StatusServer(std::string path, std::function<std::string()> report)
    : path_(std::move(path)), report_(std::move(report)) {}

StatusServer::~StatusServer() {
    stop();
}

bool StatusServer::start(std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = "no status channel: " + why;
        stop();
        return false;
    };
    if (listenFd_ >= 0) return true;
    sockaddr_un address{};
    if (path_.empty() || path_.size() >= sizeof address.sun_path)
        return fail("the path " + path_ + " does not fit a socket address");
    if (struct stat existing{}; ::lstat(path_.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) return fail(path_ + " exists and is not a socket");
        if (existing.st_uid != ::geteuid())
            return fail(path_ + " is a socket of uid " + std::to_string(existing.st_uid));
        ::unlink(path_.c_str()); // a crashed host's: this host holds the lock now
    }
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd_ < 0) return fail(std::string("socket: ") + std::strerror(errno));
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path_.data(), path_.size());
    struct stat bound {};
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::lstat(path_.c_str(), &bound) != 0)
        return fail("bind " + path_ + ": " + std::strerror(errno));
    bound_ = true;
    boundDevice_ = bound.st_dev;
    boundInode_ = bound.st_ino;
    // Private before anyone can connect.
    if (::chmod(path_.c_str(), 0600) != 0 || ::listen(listenFd_, 16) != 0 ||
        ::pipe2(wakePipe_, O_CLOEXEC) != 0)
        return fail(path_ + ": " + std::strerror(errno));
    thread_ = std::thread([this] { run(); });
    return true;
}

void StatusServer::stop() {
    if (wakePipe_[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(wakePipe_[1], &byte, 1);
    }
    if (thread_.joinable()) thread_.join();
    for (int* fd : {&listenFd_, &wakePipe_[0], &wakePipe_[1]}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    struct stat now {};
    if (bound_ && ::lstat(path_.c_str(), &now) == 0 && now.st_dev == boundDevice_ &&
        now.st_ino == boundInode_)
        ::unlink(path_.c_str());
    bound_ = false;
}

void StatusServer::run() {
    std::vector<Peer> peers;
    std::vector<pollfd> fds;
    for (;;) {
        const auto now = Clock::now();
        int timeout = -1;
        for (const Peer& p : peers) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(p.deadline - now);
            const int ms = std::max(0, int(left.count()));
            timeout = timeout < 0 ? ms : std::min(timeout, ms);
        }
        const bool listening = peers.size() < kMaxPeers;
        fds.assign({{wakePipe_[0], POLLIN, 0}, {listening ? listenFd_ : -1, POLLIN, 0}});
        for (const Peer& p : peers)
            fds.push_back({p.fd, short(p.replying ? POLLOUT : POLLIN), 0});
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) break;
        if (fds[0].revents) break;
        for (size_t i = peers.size(); i-- > 0;) {
            Peer& p = peers[i];
            const short ready = fds[i + 2].revents;
            bool keep = Clock::now() < p.deadline;
            if (keep && ready && !p.replying) keep = readRequest(p, report_);
            if (keep && p.replying && (ready || p.sent == 0)) {
                keep = writeReply(p);
                if (!keep && p.sent == p.out.size()) answered_++;
            }
            if (keep) continue;
            if (p.sent < p.out.size() || p.out.empty()) dropped_++;
            ::close(p.fd);
            peers.erase(peers.begin() + std::ptrdiff_t(i));
        }
        if (!(fds[1].revents & POLLIN)) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            // Out of descriptors: a waiting connection would wake poll at once, forever.
            if (errno == EMFILE || errno == ENFILE || errno == ENOMEM) ::poll(nullptr, 0, 100);
            continue;
        }
        if (!trusted(fd)) {
            dropped_++;
            ::close(fd);
            continue;
        }
        peers.push_back({fd, Clock::now() + kDeadline, {}, {}});
    }
    for (const Peer& p : peers)
        ::close(p.fd);
}

} // namespace hoststatus
