#include "HostServer.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/socket.h>
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

HostServer::~HostServer() { stop(); }

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
    std::error_code ec;
    const auto parent = std::filesystem::path(path_).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    ::unlink(path_.c_str());

    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) return fail(std::string("socket: ") + std::strerror(errno));
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path_.data(), path_.size());
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return fail("bind " + path_ + ": " + std::strerror(errno));
    if (::listen(listenFd_, 8) != 0) return fail(std::string("listen: ") + std::strerror(errno));
    if (::pipe2(wakePipe_, O_CLOEXEC) != 0) return fail(std::string("pipe: ") + std::strerror(errno));
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
    if (!path_.empty() && startTime_ != 0.0) ::unlink(path_.c_str());
    startTime_ = 0.0;
}

void HostServer::run() {
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        if (fds[0].revents & POLLIN) {
            const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            connections_++;
            serve(client);
            ::close(client);
        }
    }
}

void HostServer::serve(int client) {
    StreamDecoder decoder;
    std::vector<Message> batch;
    uint8_t buffer[16384];
    for (;;) {
        pollfd fds[2] = {{client, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return; // peer closed or failed: wait for the next connection
        batch.clear();
        const bool ok = decoder.feed(buffer, static_cast<size_t>(n),
                                     monotonicSeconds() - startTime_, batch);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (auto& m : batch) {
                state_.apply(m);
                if (keepMessages_) messages_.push_back(m);
            }
        }
        if (!batch.empty()) arrived_.notify_all();
        if (onMessage_)
            for (const auto& m : batch) onMessage_(m);
        if (!ok) {
            dropped_++;
            if (onError_) onError_(decoder.error());
            return;
        }
    }
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
