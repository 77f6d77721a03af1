#pragma once
// Brings another application to the front by its name, starting it when it does not run.
// Fire and forget: the caller never waits and learns nothing of the outcome.
#include <string>

namespace et {

class Launcher {
  public:
    virtual ~Launcher() = default;
    virtual void activate(const std::string& applicationName) = 0;
};

} // namespace et
