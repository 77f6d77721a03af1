#pragma once
// A private X server for tests: Xvfb on a display number it picks itself, stopped with the
// object. It can be stopped and started again on the same number, as a crashed and
// restarted server would be.
#include "ChildProcess.h"

#include <memory>
#include <string>
#include <vector>

namespace et::test {

class XvfbServer {
  public:
    // `args` go to Xvfb after the display options, e.g. {"-screen", "0", "320x40x24"}.
    explicit XvfbServer(std::vector<std::string> args = {"-screen", "0", "320x40x24"});
    ~XvfbServer() { stop(); }

    bool running() const { return process_ && !display_.empty(); }
    // ":N"; empty when the server did not start.
    const std::string& display() const { return display_; }
    pid_t pid() const { return process_ ? process_->pid() : -1; }
    void stop();
    // Starts again on the same display number; false when it does not come up.
    bool restart();

  private:
    bool launch(const std::string& display);

    std::vector<std::string> args_;
    std::unique_ptr<ChildProcess> process_;
    std::string display_;
    std::string lastDisplay_;
};

} // namespace et::test
