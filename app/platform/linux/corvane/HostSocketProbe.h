#pragma once
// Whether the Corvane host software listens on its socket now, found without connecting
// (a connection would reach the host as a client): the kernel's table of Unix sockets
// lists every listening socket with its path. A stale socket file left by a crash is not
// in it.
#include <string>

namespace et {

// The socket the library connects to: $XDG_DATA_HOME (absolute), else ~/.local/share,
// then "/Corvane/CHS_LED_SDK"; empty when neither is known.
std::string hostSocketPath();

// True when a socket bound to `path` is listening; `table` is the text of /proc/net/unix.
bool listensIn(const std::string& table, const std::string& path);

// Reads /proc/net/unix; true when the host's socket is listening.
bool hostSocketListening();

} // namespace et
