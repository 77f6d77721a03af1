#include "HostSocketProbe.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace et {

namespace {
// The "Flags" column marks a listening socket with __SO_ACCEPTCON.
constexpr unsigned long kAcceptConnections = 0x10000;
} // namespace

std::string hostSocketPath() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/Corvane/CHS_LED_SDK";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/share/Corvane/CHS_LED_SDK";
    return {};
}

bool listensIn(const std::string& table, const std::string& path) {
    if (path.empty()) return false;
    std::istringstream lines(table);
    std::string line;
    std::getline(lines, line); // the column names
    while (std::getline(lines, line)) {
        // Num RefCount Protocol Flags Type St Inode Path
        std::istringstream fields(line);
        std::string num, refs, protocol, flags, type, state, inode, bound;
        if (!(fields >> num >> refs >> protocol >> flags >> type >> state >> inode)) continue;
        std::getline(fields >> std::ws, bound);
        if (bound != path) continue;
        if (std::strtoul(flags.c_str(), nullptr, 16) & kAcceptConnections) return true;
    }
    return false;
}

bool hostSocketListening() {
    std::ifstream file("/proc/net/unix");
    if (!file) return true; // no table to read: let the library try
    std::ostringstream text;
    text << file.rdbuf();
    return listensIn(text.str(), hostSocketPath());
}

} // namespace et
