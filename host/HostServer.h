#pragma once
// A listening host: accepts one connection after another on a Unix socket path, splits
// each stream into messages, keeps them with the virtual keyboard, and drops a malformed
// peer after one error line. Runs on its own thread; all accessors are thread-safe.
#include "HostMessage.h"
#include "KeyboardState.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace hostsim {

class HostServer {
public:
    explicit HostServer(std::string socketPath);
    ~HostServer();
    HostServer(const HostServer&) = delete;
    HostServer& operator=(const HostServer&) = delete;

    // Creates the parent folder if needed, replaces a stale socket file, starts serving.
    bool start(std::string* error = nullptr);
    // Stops serving and removes the socket file. Safe to call twice or without start.
    void stop();

    // Called on the server thread for each message / each dropped connection.
    void setOnMessage(std::function<void(const Message&)> fn) { onMessage_ = std::move(fn); }
    void setOnError(std::function<void(const std::string&)> fn) { onError_ = std::move(fn); }
    // A long-running host keeps only the keyboard state, not every message.
    void setKeepMessages(bool keep) { keepMessages_ = keep; }

    std::vector<Message> messages() const;
    size_t messageCount() const;
    void clear();
    // Blocks until at least `count` messages have arrived or `timeoutSeconds` pass.
    bool waitForMessages(size_t count, double timeoutSeconds) const;
    KeyboardState state() const;
    int connectionsServed() const { return connections_.load(); }
    int connectionsDropped() const { return dropped_.load(); }
    const std::string& path() const { return path_; }

private:
    void run();
    void serve(int client);

    std::string path_;
    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::thread thread_;
    std::atomic<int> connections_{0};
    std::atomic<int> dropped_{0};
    bool keepMessages_ = true;
    std::function<void(const Message&)> onMessage_;
    std::function<void(const std::string&)> onError_;

    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<Message> messages_;
    KeyboardState state_;
    double startTime_ = 0.0;
};

} // namespace hostsim
