#pragma once
// A listening host: serves every connected client on a Unix socket path, each with its own
// decoder, applies their messages to the keyboard state in arrival order, and drops a
// malformed peer after one error line while the others go on. The socket is private to
// the user (folder 0700, socket 0600), and a host refuses to start where another one is
// listening. Runs on its own thread; all accessors are thread-safe.
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
    // Fails, with `alreadyServed()` true, while another host answers on the path.
    bool start(std::string* error = nullptr);
    bool alreadyServed() const { return alreadyServed_; }
    // Stops serving and removes the socket file. Safe to call twice or without start.
    void stop();

    // Called on the server thread for each message / each dropped connection.
    void setOnMessage(std::function<void(const Message&)> fn) { onMessage_ = std::move(fn); }
    void setOnError(std::function<void(const std::string&)> fn) { onError_ = std::move(fn); }
    // Called on the server thread after each batch changed the state, and when the number
    // of connected clients changes. Set before start().
    void setOnChange(std::function<void()> fn) { onChange_ = std::move(fn); }
    void setOnClients(std::function<void(int)> fn) { onClients_ = std::move(fn); }
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
    // Reads what one client sent; false when the client is to be dropped.
    bool serve(int client, StreamDecoder& decoder);

    std::string path_;
    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::thread thread_;
    std::atomic<int> connections_{0};
    std::atomic<int> dropped_{0};
    bool keepMessages_ = true;
    std::function<void(const Message&)> onMessage_;
    std::function<void(const std::string&)> onError_;
    std::function<void()> onChange_;
    std::function<void(int)> onClients_;
    bool alreadyServed_ = false;

    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<Message> messages_;
    KeyboardState state_;
    double startTime_ = 0.0;
    bool bound_ = false;
};

} // namespace hostsim
