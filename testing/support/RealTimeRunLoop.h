#pragma once
// A main loop on the steady clock, for tests that meet real threads and processes:
// runFor sleeps until its end, running timers and posted work as they fall due.
#include "MainThread.h"
#include "RunLoop.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace et::test {

class RealTimeRunLoop : public RunLoop, public MainThread {
  public:
    RealTimeRunLoop();
    double now() const override;
    void runFor(double seconds) override;
    void after(double seconds, std::function<void()> fn) override;
    void post(std::function<void()> fn) override;

    // Runs the loop until `done` holds or `timeout` seconds pass; returns `done()`.
    bool runUntil(const std::function<bool()>& done, double timeout);

  private:
    void runOnce(std::chrono::steady_clock::time_point until);

    std::chrono::steady_clock::time_point start_;
    uint64_t sequence_ = 0;
    std::map<std::pair<double, uint64_t>, std::function<void()>> timers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::function<void()>> posted_;
};

} // namespace et::test
