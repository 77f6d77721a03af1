#pragma once
// A listening host: serves every connected client on a Unix socket path, each with its own
// decoder, applies their messages to the keyboard state in arrival order, and drops a
// malformed peer after one error line while the others go on. The socket is private to
// the user (a folder only the user can write, socket 0600); a lock file beside it makes one
// host serve the path however many start together, and a socket file of another user is
// never removed. At most kMaxClients clients are served at once. Runs on its own thread;
// all accessors are thread-safe.
#include "HostMessage.h"
#include "KeyboardState.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace hostsim {

class HostServer {
  public:
    static constexpr size_t kMaxClients = 32;

    explicit HostServer(std::string socketPath);
    ~HostServer();
    HostServer(const HostServer&) = delete;
    HostServer& operator=(const HostServer&) = delete;

    // Creates the parent folder (0700) if needed, takes the lock, replaces a stale socket
    // file of this user, starts serving. Fails, with `alreadyServed()` true, while another
    // host holds the lock or answers on the path; fails when the folder is not the user's
    // alone or the socket file is someone else's.
    bool start(std::string* error = nullptr);
    bool alreadyServed() const { return alreadyServed_; }
    // Stops serving and removes the socket file if it is still the one bound here. Safe to
    // call twice or without start.
    void stop();

    // Called on the server thread for each message / each dropped connection.
    void setOnMessage(std::function<void(const Message&)> fn) { onMessage_ = std::move(fn); }
    void setOnError(std::function<void(const std::string&)> fn) { onError_ = std::move(fn); }
    // Called on the server thread after each batch changed the state, and when the number
    // of connected clients changes. Set before start().
    void setOnChange(std::function<void()> fn) { onChange_ = std::move(fn); }
    void setOnClients(std::function<void(int)> fn) { onClients_ = std::move(fn); }
    // Lines a player may want to read: keys ignored, clients kept waiting. Set before start().
    void setOnLog(std::function<void(const std::string&)> fn) { onLog_ = std::move(fn); }
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
    // The process ids of the clients connected now, as the kernel told them at connection.
    std::vector<pid_t> clientPids() const;
    const std::string& path() const { return path_; }

  private:
    struct Client {
        int fd;
        StreamDecoder decoder;
        bool namedIgnoredKey = false;
        pid_t pid = 0;
    };
    bool prepareFolder(std::string& why) const;
    bool takeLock(std::string& why);
    void run();
    // Reads what one client sent; false when the client is to be dropped.
    bool serve(Client& client);
    void log(const std::string& line) const {
        if (onLog_) onLog_(line);
    }

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
    std::function<void(const std::string&)> onLog_;
    bool alreadyServed_ = false;
    int lockFd_ = -1;

    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<Message> messages_;
    std::vector<pid_t> clientPids_;
    // The server thread applies messages to `working_` unlocked and publishes a copy: readers
    // and the mutex never wait for a copy of the state.
    KeyboardState working_;
    std::shared_ptr<const KeyboardState> published_ = std::make_shared<const KeyboardState>();
    double startTime_ = 0.0;
    bool bound_ = false;
    dev_t boundDevice_ = 0;
    ino_t boundInode_ = 0;
};

} // namespace hostsim
