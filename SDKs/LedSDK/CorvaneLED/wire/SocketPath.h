#pragma once
// Where the host software listens, as both the library and the host compute it, so that a
// client and a host started with the same environment always meet.
#include <cstddef>
#include <string>

namespace corvwire {

// A Unix socket address holds 103 path bytes plus the terminator; a longer path would be
// cut short into some other socket's name.
inline constexpr std::size_t kMaxSocketPathBytes = 103;

// $XDG_DATA_HOME, else $HOME/.local/share, else <home in the password database>/.local/share,
// taking the first that is an absolute path, + "/Corvane/CHS_LED_SDK". Empty when none is.
// The result may be longer than kMaxSocketPathBytes: callers refuse such a path.
std::string corvaneSocketPath();

// True for a path that fits a socket address whole: not empty, at most 103 bytes. (Neither
// the environment nor a command line can carry a NUL byte.)
bool fitsSocketAddress(const std::string& path);

} // namespace corvwire
