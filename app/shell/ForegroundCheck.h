#pragma once
// The game-foreground check that follows every drain tick: is the frontmost application
// the game?
#include "Game.h"
#include "Workspace.h"

#include <functional>

namespace et {

// The game's identifier: the class Wine gives the window of the game's executable.
inline constexpr const char* kGameBundleIdentifier = kGameWindowClass;

class ForegroundCheck {
  public:
    // `gameInFront` runs the refresh countdown, `gameNotInFront` the leave-game switch.
    ForegroundCheck(Workspace& workspace, std::function<void()> gameInFront,
                    std::function<void()> gameNotInFront);

    // checkGameInFront: no frontmost application, no call; an exact, case-sensitive match
    // of the identifier is the game; anything else (or no identifier) is not.
    void checkGameInFront();

  private:
    Workspace& workspace_;
    std::function<void()> gameInFront_;
    std::function<void()> gameNotInFront_;
};

} // namespace et
