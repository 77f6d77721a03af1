#pragma once
// The host's own status channel: a Unix socket beside the library's, private to the user
// like it (socket 0600, peers of another uid refused), which answers the request line
// "status" with one JSON line and hangs up. The library's wire protocol is not touched.
// A thread of its own serves every peer without blocking, and the report only reads
// snapshots, so the library's server never waits on a status peer; a peer that sends
// too much, anything else, or stalls is dropped by its deadline.
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <thread>

namespace hoststatus {

class StatusServer {
  public:
    // Peers served at once; more wait in the backlog.
    static constexpr size_t kMaxPeers = 8;
    // From connection to the last byte of the reply.
    static constexpr std::chrono::milliseconds kDeadline{2000};

    // `report` gives the reply, one JSON document; it runs on the channel's thread.
    StatusServer(std::string path, std::function<std::string()> report);
    ~StatusServer();
    StatusServer(const StatusServer&) = delete;
    StatusServer& operator=(const StatusServer&) = delete;

    // Replaces a socket file of this user left at the path (the host's lock is held by
    // then), binds, listens. False, with the reason, when the path is another user's, not a
    // socket, or cannot be bound.
    bool start(std::string* error = nullptr);
    // Safe to repeat; removes the socket file if it is still the one bound here.
    void stop();
    const std::string& path() const { return path_; }
    // Replies sent whole, and peers dropped (stalled, oversized, another user).
    int answered() const { return answered_.load(); }
    int dropped() const { return dropped_.load(); }

  private:
    void run();

    std::string path_;
    std::function<std::string()> report_;
    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::thread thread_;
    std::atomic<int> answered_{0}, dropped_{0};
    dev_t boundDevice_ = 0;
    ino_t boundInode_ = 0;
    bool bound_ = false;
};

} // namespace hoststatus
