#pragma once
// A child process for tests: its standard input and output are pipes, and it is stopped
// and reaped when the object goes (and killed by the kernel should the test die first).
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace et::test {

class ChildProcess {
  public:
    // `quiet` sends its standard error to /dev/null.
    explicit ChildProcess(const std::vector<std::string>& argv, bool quiet = false);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    bool write(const std::string& text);
    void closeInput();
    // The next line of its output, without the newline; empty at end or after `timeout`.
    std::optional<std::string> readLine(double timeout);
    // Sends SIGTERM (once) and waits up to `timeout` for it to end, then SIGKILL.
    void stop(double timeout = 5.0);
    // Exit status once it has ended; empty while it runs (waits up to `timeout`).
    std::optional<int> wait(double timeout);

  private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string buffered_;
    std::optional<int> status_;
};

} // namespace et::test
