#include "HostServer.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
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
    const auto parent = std::filesystem::path(path_).parent_path();
    if (!parent.empty()) {
        std::error_code ec;
        const bool created = std::filesystem::create_directories(parent, ec);
        struct stat folder {};
        // Only this user may reach the socket; a shared folder such as /tmp is left alone.
        if (::stat(parent.c_str(), &folder) == 0 && folder.st_uid == ::geteuid() &&
            (created || parent.filename() == "Corvane"))
            ::chmod(parent.c_str(), 0700);
    }
    if (struct stat existing{}; ::lstat(path_.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) return fail(path_ + " exists and is not a socket");
        const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un there{};
        there.sun_family = AF_UNIX;
        std::memcpy(there.sun_path, path_.data(), path_.size());
        const bool live =
            probe >= 0 && ::connect(probe, reinterpret_cast<sockaddr*>(&there), sizeof there) == 0;
        if (probe >= 0) ::close(probe);
        if (live) {
            alreadyServed_ = true;
            return fail("another host is already listening on " + path_);
        }
        ::unlink(path_.c_str()); // left behind by a host that did not stop cleanly
    }

    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) return fail(std::string("socket: ") + std::strerror(errno));
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path_.data(), path_.size());
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return fail("bind " + path_ + ": " + std::strerror(errno));
    bound_ = true;
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
    // Only a socket this server bound is removed: never the one of a host that refused us.
    if (bound_) ::unlink(path_.c_str());
    bound_ = false;
    startTime_ = 0.0;
}

void HostServer::run() {
    struct Client {
        int fd;
        StreamDecoder decoder;
    };
    std::vector<Client> clients;
    std::vector<pollfd> fds;
    for (;;) {
        fds.assign({{listenFd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}});
        for (const Client& c : clients)
            fds.push_back({c.fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents) break;
        const size_t before = clients.size();
        // Each ready client is read once a round, so one busy client cannot starve the rest.
        for (size_t i = clients.size(); i-- > 0;) {
            if (!fds[i + 2].revents) continue;
            if (serve(clients[i].fd, clients[i].decoder)) continue;
            ::close(clients[i].fd);
            clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
        }
        if (fds[0].revents & POLLIN) {
            const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                connections_++;
                clients.push_back({client, StreamDecoder{}});
            }
        }
        if (clients.size() != before && onClients_) onClients_(static_cast<int>(clients.size()));
    }
    for (const Client& c : clients)
        ::close(c.fd);
}

bool HostServer::serve(int client, StreamDecoder& decoder) {
    std::vector<Message> batch;
    uint8_t buffer[16384];
    const ssize_t n = ::recv(client, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
    if (n <= 0) {
        // A client that vanishes in the middle of a message is dropped like a malformed one.
        if (decoder.pendingBytes() > 0) {
            dropped_++;
            if (onError_) onError_("connection closed in the middle of a message");
        }
        return false;
    }
    const bool ok =
        decoder.feed(buffer, static_cast<size_t>(n), monotonicSeconds() - startTime_, batch);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& m : batch) {
            state_.apply(m);
            if (keepMessages_) messages_.push_back(m);
        }
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
        if (onError_) onError_(decoder.error());
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

KeyboardState HostServer::state() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

} // namespace hostsim
