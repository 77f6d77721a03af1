#pragma once
// Asking a running host for its status over its own status channel: one request line,
// one JSON reply, every wait bounded by one deadline. Plain POSIX, so that corvane-host
// --status and the application ask alike.
#include <chrono>
#include <cstddef>
#include <string>

namespace hoststatus {

// The channel sits beside the library's socket: "<socket>.status".
std::string statusPathFor(const std::string& socketPath);

inline constexpr const char* kRequest = "status\n";
// Longer requests are dropped unanswered; longer replies are not believed.
inline constexpr std::size_t kMaxRequestBytes = 64;
inline constexpr std::size_t kMaxReplyBytes = 1 << 20;

enum class Reached {
    Answered, // `text` holds the reply, without its newline
    NoSocket, // nothing at the path
    Refused,  // a socket nobody listens on (a host that crashed)
    TimedOut, // connected, but no whole reply in time
    Failed,   // anything else; `error` says what
};

struct Answer {
    Reached reached = Reached::Failed;
    std::string text;
    std::string error;
};

// Connects to `path`, sends the request and reads the reply to the end.
Answer askStatus(const std::string& path, std::chrono::milliseconds timeout);

// True when something accepts connections at `path` (connects and hangs up at once).
bool answersAt(const std::string& path);

} // namespace hoststatus
