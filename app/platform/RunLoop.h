#pragma once
// Time as the main thread sees it. runFor keeps timers, effects and the interface alive
// while logic waits (animations, calibration); after schedules a one-shot callback.
// Production is Qt's event loop, tests a virtual clock.
#include <functional>

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

} // namespace et
