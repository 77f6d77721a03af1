#pragma once
// Brings another application to the front by its name, starting it when it does not run.
// The caller never waits; it hears back only when the launch could not be done.
#include <functional>
#include <string>

namespace et {

class Launcher {
  public:
    // Why the application could not be raised or started, in a few words for the log.
    using Failed = std::function<void(const std::string& reason)>;

    virtual ~Launcher() = default;
    // Returns at once. `onFailure` runs later on the main thread, at most once, when the
    // application could be neither raised nor started; never while the launcher is being
    // destroyed.
    virtual void activate(const std::string& applicationName, Failed onFailure) = 0;
};

} // namespace et
