#pragma once
// corvane-host --status: asks the running host over its status channel and tells a person
// what it serves and where the lighting goes.
#include <chrono>
#include <optional>
#include <ostream>
#include <string>

namespace hoststatus {

// Exit statuses of --status besides 0 (answered) and 2 (bad arguments).
inline constexpr int kNoHost = 1;     // nothing listens: no socket, or a crashed host's
inline constexpr int kHostSilent = 3; // a host that does not answer (stalled, too old)

// The status document as lines for a person; nullopt when the text is no status document.
// Control characters in names are shown as '?', so a name cannot drive the terminal.
std::optional<std::string> describeStatus(const std::string& json);

// Asks the host listening at `socketPath`; the report goes to `out`, or one line saying why
// there is none to `err`. Returns the exit status.
int printStatus(const std::string& socketPath, std::ostream& out, std::ostream& err,
                std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));

} // namespace hoststatus
