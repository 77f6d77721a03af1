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

    // Connects to <user data folder>/Corvane/CHS_LED_SDK. Prints "Connect Error: …" when
    // nobody listens. False also for a path that does not fit a socket address.
    bool initialize();
    // Same, on an explicit path (the host simulator's tests use their own folder).
    bool initializeAt(const std::string& socketPath);
    // Writes all bytes; false on any error, on a closed peer, or when the socket takes none.
    bool write(const void* data, unsigned long length);
    void shutdownAndCleanUp();

    bool isOpen() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// The socket path the library uses: <user data folder>/Corvane/CHS_LED_SDK.
std::string corvaneSocketPath();
