#pragma once
// The single-key flashes the director started and when each ends by itself. A stop on a
// key ends its flash before anything else running there, and the flash's last tick puts
// back the lighting saved when it began, so whoever stops a key or paints it needs to know
// whether a flash is still in the way. Main thread only.
#include "RunLoop.h"

#include <cstdint>
#include <limits>
#include <map>

namespace et {

class KeyFlashes {
  public:
    explicit KeyFlashes(const RunLoop& clock) : clock_(clock) {}

    // A flash of `durationMs` (0: until stopped) ticking every `intervalMs` began on `key`.
    void started(int32_t key, int durationMs, int intervalMs) {
        const double interval = intervalMs / 1000.0;
        const double end = durationMs == 0 ? std::numeric_limits<double>::infinity()
                                           : clock_.now() + durationMs / 1000.0 + interval;
        flashes_[key] = {end, interval};
    }
    // The key was told to stop; its flash restores the key on its next tick.
    void stopped(int32_t key) { flashes_.erase(key); }
    bool running(int32_t key) const {
        const auto it = flashes_.find(key);
        return it != flashes_.end() && clock_.now() < it->second.end;
    }
    // Seconds after a stop by which the key's flash has surely had its last tick.
    double settleSeconds(int32_t key) const {
        const auto it = flashes_.find(key);
        return (it == flashes_.end() ? 0.0 : it->second.interval) + kTickSlack;
    }
    void clear() { flashes_.clear(); }

    // Room for a timer tick that comes a little late.
    static constexpr double kTickSlack = 0.02;

  private:
    struct Flash {
        double end;
        double interval;
    };
    const RunLoop& clock_;
    std::map<int32_t, Flash> flashes_;
};

} // namespace et
