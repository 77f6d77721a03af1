#include "SessionWorkspace.h"

#include "Game.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace et {

bool SessionWorkspace::isGameAppId(const std::string& appId) {
    const std::string_view game = kGameWindowClass;
    return appId.size() == game.size() &&
           std::equal(appId.begin(), appId.end(), game.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

std::optional<FrontmostApplication> SessionWorkspace::frontmostApplication() {
    auto x11 = x11_.frontmostApplication();
    if (x11 && x11->bundleIdentifier == kGameWindowClass) return x11;
    if (toplevels_ && toplevels_->offered()) {
        const auto focused = toplevels_->activated();
        if (!focused) return std::nullopt;
        return FrontmostApplication{isGameAppId(*focused) ? std::string(kGameWindowClass)
                                                          : *focused};
    }
    if (strip_.inFront()) return FrontmostApplication{std::string(kGameWindowClass)};
    return x11;
}

} // namespace et
