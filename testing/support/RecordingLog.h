#pragma once
// A log view that keeps its lines for inspection. Safe to read from any thread.
#include "Log.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

namespace et::test {

class RecordingLog : public Log {
  public:
    void appendLine(const std::string& line) override {
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
    }
    std::vector<std::string> lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    // Lines equal to `line`.
    int count(const std::string& line) const {
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count(lines_.begin(), lines_.end(), line));
    }
    // Lines that start with `prefix`.
    int countStartingWith(const std::string& prefix) const {
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count_if(lines_.begin(), lines_.end(), [&](auto& l) {
            return l.compare(0, prefix.size(), prefix) == 0;
        }));
    }
    void clear() {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

} // namespace et::test
