#include "HostServer.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace hostsim {

namespace {
double monotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

HostServer::HostServer(std::string socketPath) : path_(std::move(socketPath)) {}

HostServer::~HostServer() {
    stop();
}

bool HostServer::prepareFolder(std::string& why) const {
    std::string folder = std::filesystem::path(path_).parent_path().string();
    if (folder.empty()) folder = ".";
    // Each missing folder is made 0700 as it is created: there is no moment at which another
    // user could enter it or put a file in it.
    int made = 0;
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        made = ::mkdir(folder.substr(0, slash).c_str(), 0700) == 0 ? 0 : errno;
        if (slash == std::string::npos) break;
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        why = "cannot create the folder " + folder + ": " + std::strerror(made ? made : errno);
        return false;
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    if (!S_ISDIR(st.st_mode))
        why = folder + " is not a folder (a link or a file): refusing to listen there";
    else if (st.st_uid != ::geteuid())
        why = folder + " belongs to uid " + std::to_string(st.st_uid) +
              ", not to this user: refusing to listen there";
    else if (st.st_mode & 022)
        why = folder + " is writable by others (mode " + mode + "): refusing to listen there";
    else
        return true;
    return false;
}

bool HostServer::takeLock(std::string& why) {
    const std::string lockPath = path_ + ".lock";
    lockFd_ =
        ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (lockFd_ < 0) {
        why = "cannot open the lock file " + lockPath + ": " + std::strerror(errno);
        return false;
    }
    // Held until stop(), and by the kernel until the process ends however it ends: of hosts
    // starting together exactly one gets it, and only a crashed host leaves a socket behind.
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EWOULDBLOCK) {
        alreadyServed_ = true;
        why = "another host is already listening on " + path_;
    } else {
        why = "cannot lock " + lockPath + ": " + std::strerror(errno);
    }
    return false;
}

namespace {
// 0 when a host accepted or queued the connection, else connect's errno.
int probe(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return errno;
    sockaddr_un there{};
    there.sun_family = AF_UNIX;
    std::memcpy(there.sun_path, path.data(), path.size());
    const int result =
        ::connect(fd, reinterpret_cast<sockaddr*>(&there), sizeof there) == 0 ? 0 : errno;
    ::close(fd);
    return result == EAGAIN ? 0 : result; // a full backlog: a host too busy to accept at once
}
} // namespace

bool HostServer::start(std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        stop();
        return false;
    };
    if (listenFd_ >= 0) return true;
    sockaddr_un address{};
    if (path_.empty() || path_.size() >= sizeof(address.sun_path))
        return fail("socket path is empty or too long: " + path_);
    alreadyServed_ = false;
    if (std::string why; !prepareFolder(why) || !takeLock(why)) return fail(why);
    if (struct stat existing{}; ::lstat(path_.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) return fail(path_ + " exists and is not a socket");
        if (existing.st_uid != ::geteuid())
            return fail(path_ + " is a socket of uid " + std::to_string(existing.st_uid) +
                        ", not of this user: left alone");
        // With the lock held, a socket of this user is a crashed host's, or one of a host
        // that takes no lock: only a refused connection proves nobody listens.
        const int refused = probe(path_);
        const bool live = refused == 0;
        if (live) {
            alreadyServed_ = true;
            return fail("another host is already listening on " + path_);
        }
        if (refused != ECONNREFUSED && refused != ENOENT)
            return fail("cannot tell whether " + path_ + " is in use (" + std::strerror(refused) +
                        "): left alone");
        ::unlink(path_.c_str()); // left behind by a host that did not stop cleanly
    }

    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) return fail(std::string("socket: ") + std::strerror(errno));
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path_.data(), path_.size());
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return fail("bind " + path_ + ": " + std::strerror(errno));
    struct stat bound {};
    if (::lstat(path_.c_str(), &bound) != 0)
        return fail("bind " + path_ + ": " + std::strerror(errno));
    bound_ = true;
    boundDevice_ = bound.st_dev;
    boundInode_ = bound.st_ino;
    // Nobody can connect before listen(), so the mode is right before the first client.
    if (::chmod(path_.c_str(), 0600) != 0)
        return fail("chmod " + path_ + ": " + std::strerror(errno));
    if (::listen(listenFd_, 16) != 0) return fail(std::string("listen: ") + std::strerror(errno));
    if (::pipe2(wakePipe_, O_CLOEXEC) != 0)
        return fail(std::string("pipe: ") + std::strerror(errno));
    startTime_ = monotonicSeconds();
    thread_ = std::thread([this] { run(); });
    return true;
}

void HostServer::stop() {
    if (wakePipe_[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(wakePipe_[1], &byte, 1);
    }
    if (thread_.joinable()) thread_.join();
    for (int* fd : {&listenFd_, &wakePipe_[0], &wakePipe_[1]}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    // Only the socket this server bound is removed: never the one of a host that refused us,
    // nor one another host or user put at the path since.
    struct stat now {};
    if (bound_ && ::lstat(path_.c_str(), &now) == 0 && now.st_dev == boundDevice_ &&
        now.st_ino == boundInode_)
        ::unlink(path_.c_str());
    bound_ = false;
    // Released after the socket is gone, so the next host never finds this one's file.
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = -1;
    startTime_ = 0.0;
}

void HostServer::run() {
    std::vector<Client> clients;
    std::vector<pollfd> fds;
    double retryAt = 0.0; // after the system had no descriptor or memory for a client
    bool namedFull = false, namedShortage = false;
    for (;;) {
        const bool full = clients.size() >= kMaxClients;
        const double now = monotonicSeconds();
        // A connection waiting on a listener that cannot take it would wake poll at once,
        // forever: the listener sits out until a client leaves, or a while after a shortage.
        const bool listening = !full && now >= retryAt;
        const int timeout =
            full || listening ? -1 : static_cast<int>(std::ceil((retryAt - now) * 1000));
        fds.assign({{wakePipe_[0], POLLIN, 0}, {listening ? listenFd_ : -1, POLLIN, 0}});
        for (const Client& c : clients)
            fds.push_back({c.fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), timeout) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents) break;
        const size_t before = clients.size();
        // Each ready client is read once a round, so one busy client cannot starve the rest.
        for (size_t i = clients.size(); i-- > 0;) {
            if (!fds[i + 2].revents) continue;
            if (serve(clients[i])) continue;
            ::close(clients[i].fd);
            clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
        }
        const bool left = clients.size() < before;
        if (left) retryAt = 0.0; // its descriptor is free again
        bool joined = false;
        if (fds[1].revents & POLLIN) {
            const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                connections_++;
                ucred peer{};
                socklen_t size = sizeof peer;
                ::getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &size);
                clients.push_back({client, StreamDecoder{}, false, peer.pid});
                joined = true;
                if (clients.size() >= kMaxClients && !namedFull) {
                    namedFull = true;
                    log(std::to_string(kMaxClients) +
                        " clients connected: further ones wait until one leaves");
                }
            } else if (errno == EMFILE || errno == ENFILE || errno == ENOMEM || errno == ENOBUFS) {
                retryAt = monotonicSeconds() + 0.1;
                if (!namedShortage)
                    log(std::string("cannot take a client (") + std::strerror(errno) +
                        "): new clients wait until one leaves");
                namedShortage = true;
            }
        }
        if (!left && !joined) continue;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            clientPids_.clear();
            for (const Client& c : clients)
                clientPids_.push_back(c.pid);
        }
        if (clients.size() != before && onClients_) onClients_(static_cast<int>(clients.size()));
    }
    for (const Client& c : clients)
        ::close(c.fd);
}

bool HostServer::serve(Client& client) {
    std::vector<Message> batch;
    uint8_t buffer[16384];
    const ssize_t n = ::recv(client.fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
    if (n <= 0) {
        // A client that vanishes in the middle of a message is dropped like a malformed one.
        if (client.decoder.pendingBytes() > 0) {
            dropped_++;
            if (onError_) onError_("connection closed in the middle of a message");
        }
        return false;
    }
    const bool ok =
        client.decoder.feed(buffer, static_cast<size_t>(n), monotonicSeconds() - startTime_, batch);
    for (const auto& m : batch) {
        if (working_.apply(m) || client.namedIgnoredKey) continue;
        client.namedIgnoredKey = true;
        char key[16];
        std::snprintf(key, sizeof key, "0x%X", static_cast<unsigned>(m.field(8)));
        log(std::string("ignoring keys the host cannot show, first ") + key + " in " + m.name() +
            "; further ones of this client go unnamed");
    }
    if (!batch.empty()) {
        // Copied before the lock; the replaced copy is freed after it.
        std::shared_ptr<const KeyboardState> snapshot =
            std::make_shared<const KeyboardState>(working_);
        std::lock_guard<std::mutex> lock(mutex_);
        published_.swap(snapshot);
        if (keepMessages_) messages_.insert(messages_.end(), batch.begin(), batch.end());
    }
    if (!batch.empty()) {
        arrived_.notify_all();
        if (onChange_) onChange_();
    }
    if (onMessage_)
        for (const auto& m : batch)
            onMessage_(m);
    if (!ok) {
        dropped_++;
        if (onError_) onError_(client.decoder.error());
        return false;
    }
    return true;
}

std::vector<Message> HostServer::messages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
}

size_t HostServer::messageCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_.size();
}

void HostServer::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.clear();
}

bool HostServer::waitForMessages(size_t count, double timeoutSeconds) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::duration<double>(timeoutSeconds),
                             [&] { return messages_.size() >= count; });
}

std::vector<pid_t> HostServer::clientPids() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return clientPids_;
}

KeyboardState HostServer::state() const {
    std::shared_ptr<const KeyboardState> snapshot;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        snapshot = published_;
    }
    return *snapshot;
}

} // namespace hostsim
