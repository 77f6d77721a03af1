#pragma once
// A child process whose output lines are gathered by a thread of their own, each with the
// moment it arrived, so a test can wait for a line while the program keeps talking.
#include "ChildProcess.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace et::e2e {

// Seconds on the steady clock, shared by everything the harness timestamps.
double now();

struct TimedLine {
    double at = 0.0;
    std::string text;
};

class LineCollector {
  public:
    // `mergeErrors` sends the program's standard error into the same lines.
    LineCollector(const std::vector<std::string>& argv, bool mergeErrors);
    ~LineCollector();
    LineCollector(const LineCollector&) = delete;
    LineCollector& operator=(const LineCollector&) = delete;

    bool started() const { return process_->started(); }
    pid_t pid() const { return process_->pid(); }
    bool write(const std::string& text) { return process_->write(text); }

    std::vector<TimedLine> lines() const;
    // The lines from index `from` on.
    std::vector<TimedLine> linesFrom(size_t from) const;
    size_t count() const;
    // Blocks until `done(lines)` holds or `timeout` seconds pass; returns its last value.
    bool waitUntil(const std::function<bool(const std::vector<TimedLine>&)>& done,
                   double timeout) const;
    // Waits for a line that holds `text`, among the lines from `from` on.
    bool waitForText(const std::string& text, double timeout, size_t from = 0) const;

    // SIGTERM, then SIGKILL after `timeout`; the exit status (128 + signal when killed).
    std::optional<int> stop(double timeout = 10.0);
    // Ends it at once, as a crash would.
    void kill();
    // The exit status once it has ended on its own.
    std::optional<int> exitStatus(double timeout);

  private:
    void collect();
    // Waits for the reader to see the end of the program, then joins it.
    bool waitEnded(double timeout);

    std::unique_ptr<test::ChildProcess> process_;
    std::thread reader_;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<TimedLine> lines_;
    bool ended_ = false;
};

} // namespace et::e2e
