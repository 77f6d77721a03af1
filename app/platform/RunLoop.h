#pragma once
// Time as the main thread sees it. runFor keeps timers, effects and the interface alive
// while logic waits (animations, calibration); after schedules a one-shot callback.
// Production is Qt's event loop, tests a virtual clock.
#include <functional>
#include <memory>

namespace et {

class RunLoop {
public:
    virtual ~RunLoop() = default;
    // Seconds since an arbitrary start; monotonic.
    virtual double now() const = 0;
    // Runs the loop (timers, events) for `seconds`, then returns.
    virtual void runFor(double seconds) = 0;
    // Calls `fn` once on the main thread after `seconds`.
    virtual void after(double seconds, std::function<void()> fn) = 0;
};

// One-shot callbacks that belong to their owner: what is still pending when this member is
// destroyed never runs, so a deferred call cannot reach an object that is gone. Main thread
// only.
class ScopedTimers {
public:
    explicit ScopedTimers(RunLoop& loop) : loop_(loop) {}
    ~ScopedTimers() { *alive_ = false; }
    ScopedTimers(const ScopedTimers&) = delete;
    ScopedTimers& operator=(const ScopedTimers&) = delete;

    void after(double seconds, std::function<void()> fn) {
        loop_.after(seconds, [alive = alive_, fn = std::move(fn)] {
            if (*alive) fn();
        });
    }

private:
    RunLoop& loop_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace et
