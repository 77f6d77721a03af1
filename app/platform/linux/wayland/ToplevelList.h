#pragma once
// The compositor's list of windows, as far as the game-in-front check needs it.
#include <optional>
#include <string>

namespace et {

class ToplevelList {
  public:
    virtual ~ToplevelList() = default;
    // Whether the compositor offers the list at all (it is looked for again now and then).
    virtual bool offered() = 0;
    // The app id of the window that has the focus (its title when it has no app id); empty
    // when no window has it.
    virtual std::optional<std::string> activated() = 0;
};

} // namespace et
