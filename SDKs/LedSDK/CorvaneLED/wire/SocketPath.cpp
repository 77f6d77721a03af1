#include "SocketPath.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace corvwire {

namespace {
bool isAbsolute(const char* path) { return path && path[0] == '/'; }

// The home folder the password database gives this user; empty when it has none.
std::string passwordHome() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !isAbsolute(found->pw_dir))
        return {};
    return found->pw_dir;
}
} // namespace

std::string corvaneSocketPath() {
    // The XDG rule: a relative XDG_DATA_HOME is invalid and must be ignored; so is a relative
    // HOME, which would name a different socket from every working folder.
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (isAbsolute(xdg)) return std::string(xdg) + "/Corvane/CHS_LED_SDK";
    const char* home = std::getenv("HOME");
    std::string base = isAbsolute(home) ? std::string(home) : passwordHome();
    if (base.empty()) return {};
    return base + "/.local/share/Corvane/CHS_LED_SDK";
}

bool fitsSocketAddress(const std::string& path) {
    return !path.empty() && path.size() <= kMaxSocketPathBytes;
}

} // namespace corvwire
