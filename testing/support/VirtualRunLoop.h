#pragma once
// A main loop on a virtual clock: runFor advances time at once, firing what falls due in
// order, so tests cover minutes of timers and waits in microseconds. post() may be called
// from other threads; posted work runs inside runFor or drainPosted on the test's thread.
#include "MainThread.h"
#include "RunLoop.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace et::test {

class VirtualRunLoop : public RunLoop, public MainThread {
  public:
    explicit VirtualRunLoop(double start = 1000.0) : now_(start) {}

    double now() const override { return now_; }
    void runFor(double seconds) override;
    void after(double seconds, std::function<void()> fn) override;
    void post(std::function<void()> fn) override;

    // Runs what other threads posted so far; returns how many ran.
    int drainPosted();

  private:
    double now_;
    uint64_t sequence_ = 0;
    std::map<std::pair<double, uint64_t>, std::function<void()>> timers_;
    std::mutex postedMutex_;
    std::vector<std::function<void()>> posted_;
};

} // namespace et::test
