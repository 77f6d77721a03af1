#include "ForegroundCheck.h"

namespace et {

ForegroundCheck::ForegroundCheck(Workspace& workspace, std::function<void()> gameInFront,
                                 std::function<void()> gameNotInFront)
    : workspace_(workspace), gameInFront_(std::move(gameInFront)),
      gameNotInFront_(std::move(gameNotInFront)) {}

void ForegroundCheck::checkGameInFront() {
    const auto front = workspace_.frontmostApplication();
    if (!front) return;
    if (front->bundleIdentifier && *front->bundleIdentifier == kGameBundleIdentifier) {
        if (gameInFront_) gameInFront_();
    } else if (gameNotInFront_) {
        gameNotInFront_();
    }
}

} // namespace et
