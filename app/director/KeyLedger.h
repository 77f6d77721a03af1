#pragma once
// What the lighting library runs on each key the director lights one at a time, and what is
// due there when a flash ends. Every single-key command of the director, the cooldown
// display and the whisper goes through here, so that one place knows what a stop or a
// paint will meet on the key.
//
// The library's rules this models:
// - a key shows a static color, over it at most one pulse, over that at most one flash;
// - a stop ends one effect on the key: the flash if one runs, else the pulse; a flash told
//   to stop goes on until its next tick;
// - a flash's last tick puts back the lighting saved when it began, so whatever was painted
//   or stopped under it meanwhile is lost then and must be done again afterwards;
// - the key held for the whisper takes no pulse until it is released.
// Main thread only.
#include "Color.h"
#include "Lighting.h"
#include "RunLoop.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

namespace et {

class KeyLedger {
  public:
    struct Pulse {
        int red, green, blue, finishRed, finishGreen, finishBlue, periodMs;
        bool operator==(const Pulse&) const = default;
    };

    // Which keys the running effects want a pulse on (the fight's, death's, shadow form's).
    class PulsePolicy {
      public:
        virtual bool pulseDue(int32_t key) const = 0;

      protected:
        ~PulsePolicy() = default;
    };

    KeyLedger(Lighting& lighting, RunLoop& runLoop);
    // The effects that decide which pulses are due; none until set.
    void setPulsePolicy(const PulsePolicy* policy) { policy_ = policy; }
    KeyLedger(const KeyLedger&) = delete;
    KeyLedger& operator=(const KeyLedger&) = delete;

    // A static color: shows at once where no effect runs, else once the effects end.
    void setColor(int32_t key, const Color& color);
    // An endless pulse; not sent to the held key.
    void pulse(int32_t key, const Pulse& pulse);
    // A flash of `durationMs` (0: until stopped) ticking every `intervalMs`.
    void flash(int32_t key, int red, int green, int blue, int durationMs, int intervalMs);
    // One stop on the key: it ends the running flash, or else the pulse.
    void stop(int32_t key);
    // Stops the pulse on the key. Should a flash still run there, this stop ends the flash
    // instead and the pulse gets its own once the flash is over, unless a pulse is due there
    // by then. Returns the seconds after which the key shows its own lighting.
    double stopPulse(int32_t key);
    // Stops the flash running on the key. Should it have ended just before the stop reached
    // the library, the stop ended the pulse instead: a due pulse is sent again.
    void stopFlash(int32_t key);
    // `fn` runs once the key's flash, running or told to stop, has put back what the key
    // showed when it began; nothing is scheduled when no flash is to restore the key.
    void afterRestore(int32_t key, std::function<void()> fn);
    // Every key was just stopped once: each flash restores its key on its next tick.
    void flashesStopped();

    // The whisper holds `key`: its pulse stops, the endless flash shows there until release
    // and no pulse starts. The whisper's flash is not one a stop elsewhere should end, so it
    // is not counted among the running flashes.
    void hold(int32_t key, int red, int green, int blue, int intervalMs);
    // Ends the whisper's flash; returns the key it held (0: none). The key's due pulse is
    // for the effects to send again.
    int32_t release();
    // Forgets the hold without a stop (a reset stops every key itself).
    void forgetHold() { held_ = 0; }
    int32_t heldKey() const { return held_; }

    // Not yet told to stop, and not over by itself.
    bool flashRunning(int32_t key) const;
    // Seconds until the running or stopped flash's last tick, with room for a late tick; 0
    // when no such tick is to come.
    double restoreDueIn(int32_t key) const;
    // The pulse the library runs on the key, if any.
    std::optional<Pulse> pulseOn(int32_t key) const;

    // Room for a timer tick that comes a little late.
    static constexpr double kTickSlack = 0.02;

  private:
    struct Flash {
        double end; // when the last tick comes
        double interval;
        bool stopped = false;
    };
    // A key's static color is not kept: no decision here depends on it.
    struct Key {
        std::optional<Pulse> pulse;
        std::optional<Flash> flash;
    };
    // A stop as the library takes it, on this side only. The first marks a running flash
    // as stopping and answers whether there was one.
    bool stopFlashRecord(Key& key) const;
    void recordStop(Key& key);
    bool pulseDue(int32_t key) const { return policy_ && policy_->pulseDue(key); }

    Lighting& lighting_;
    const RunLoop& clock_;
    std::map<int32_t, Key> keys_;
    int32_t held_ = 0;
    const PulsePolicy* policy_ = nullptr;
    ScopedTimers timers_;
};

} // namespace et
