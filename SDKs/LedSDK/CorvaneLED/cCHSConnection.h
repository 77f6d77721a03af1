#pragma once
// The stream socket to the host software. One-way: written, never read.
#include <cstddef>
#include <string>

class cCHSConnection {
public:
    cCHSConnection() = default;
    virtual ~cCHSConnection();
    cCHSConnection(const cCHSConnection&) = delete;
    cCHSConnection& operator=(const cCHSConnection&) = delete;

    // Connects to the host's socket (see corvwire::corvaneSocketPath). Prints "Connect Error: …"
    // when nobody listens, when the listener's backlog stays full past the deadline, or when
    // the listener runs as neither this user nor root. False also for a path that does not
    // fit a socket address.
    bool initialize();
    // Same, on an explicit path (the host simulator's tests use their own folder).
    bool initializeAt(const std::string& socketPath);
    // Writes all bytes within the deadline; false on any error, on a closed peer, or when the
    // socket takes none. A write that ran out of time or stopped midway closes the connection.
    bool write(const void* data, unsigned long length);
    void shutdownAndCleanUp();

    bool isOpen() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};
