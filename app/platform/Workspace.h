#pragma once
// Which application the user is working in: the game-foreground check asks this on every
// drain tick.
#include <optional>
#include <string>

namespace et {

struct FrontmostApplication {
    // Empty when the application does not identify itself.
    std::optional<std::string> bundleIdentifier;
};

class Workspace {
  public:
    virtual ~Workspace() = default;
    // Empty when no application is in front (or the display cannot be asked).
    virtual std::optional<FrontmostApplication> frontmostApplication() = 0;
};

} // namespace et
