#pragma once
// The single-key flashes the director started and when each ends by itself. A stop on a
// key ends its flash before anything else running there, and the flash's last tick puts
// back the lighting saved when it began, so whoever stops a key or paints it needs to know
// whether a flash is still in the way. Main thread only.
#include "RunLoop.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>

namespace et {

class KeyFlashes {
  public:
    explicit KeyFlashes(const RunLoop& clock) : clock_(clock) {}

    // A flash of `durationMs` (0: until stopped) ticking every `intervalMs` began on `key`.
    void started(int32_t key, int durationMs, int intervalMs) {
        const int interval = std::max(intervalMs, 1);
        // Ticks come every interval from now; the first one with no time left restores.
        const int64_t ticks = (int64_t{std::max(durationMs, 0)} + interval - 1) / interval;
        const double end = durationMs == 0 ? std::numeric_limits<double>::infinity()
                                           : clock_.now() + double(ticks) * interval / 1000.0;
        flashes_[key] = {end, interval / 1000.0, false};
    }
    // The key was told to stop; its flash restores the key on its next tick.
    void stopped(int32_t key) {
        const auto it = flashes_.find(key);
        if (it == flashes_.end() || it->second.stopped) return;
        it->second.stopped = true;
        it->second.end = std::min(it->second.end, clock_.now() + it->second.interval);
    }
    void stoppedAll() {
        for (auto& [key, flash] : flashes_)
            stopped(key);
    }
    // Not yet told to stop, and not over by itself.
    bool running(int32_t key) const {
        const auto it = flashes_.find(key);
        return it != flashes_.end() && !it->second.stopped && clock_.now() < it->second.end;
    }
    // Seconds until the flash's last tick puts back the lighting saved at its start, with
    // room for a late tick; 0 when no such tick is to come.
    double restoreDueIn(int32_t key) const {
        const auto it = flashes_.find(key);
        if (it == flashes_.end() || clock_.now() >= it->second.end) return 0.0;
        return it->second.end - clock_.now() + kTickSlack;
    }
    // Seconds after a stop now by which the key's flash has surely had its last tick.
    double settleSeconds(int32_t key) const {
        const auto it = flashes_.find(key);
        return (it == flashes_.end() ? 0.0 : it->second.interval) + kTickSlack;
    }

    // Room for a timer tick that comes a little late.
    static constexpr double kTickSlack = 0.02;

  private:
    struct Flash {
        double end; // when the last tick comes
        double interval;
        bool stopped = false;
    };
    const RunLoop& clock_;
    std::map<int32_t, Flash> flashes_;
};

} // namespace et
