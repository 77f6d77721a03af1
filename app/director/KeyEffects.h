#pragma once
// The long-running per-key effects the director starts in the framework: the combat pulse,
// the dead effect and the shadow effect. Once started they run inside the framework until
// stopped here. This side remembers which effects are on, so that an effect another one
// took keys from can take them back; the keys themselves are lit through the ledger, which
// asks here which pulses are due.
#include "KeyLedger.h"
#include "KeyboardFrames.h"
#include "Lighting.h"
#include "RandomSource.h"

#include <array>
#include <optional>

namespace et {

class KeyEffects : private KeyLedger::PulsePolicy {
  public:
    // `lighting` takes the commands for the whole keyboard; single keys go through `ledger`.
    KeyEffects(Lighting& lighting, KeyboardFrames& frames, RandomSource& random,
               KeyLedger& ledger);
    ~KeyEffects();
    KeyEffects(const KeyEffects&) = delete;
    KeyEffects& operator=(const KeyEffects&) = delete;

    // Combat: the 18 combat keys pulse red from full to a quarter, `periodMs` per pulse.
    void startCombatPulse(int periodMs);
    // The chat warning during combat: the same keys pulse white at a fixed 200 ms.
    void startCombatWarning();
    // A key that still runs a flash gets its pulse stopped once the flash has ended, or the
    // stop would end the flash and leave the pulse running. Returns the seconds after which
    // every stopped key has restored its lighting.
    double stopCombatPulse();

    // Death: the keyboard turns a dull purple while two sets of keys pulse, each key at
    // its own period between 650 and 899 ms so that they drift out of step.
    void startDeadEffect();
    void stopDeadEffect();
    bool deadEffectRunning() const { return dead_; }

    // Shadow form: the keyboard takes the color given as hue, saturation and brightness,
    // and each of the six rows pulses between a darker and a lighter shade of it, the row
    // at its own period between 800 and 1599 ms.
    void startShadowEffect(double hue, double saturation, double brightness);
    // The shadow effect again, with the color and periods it started with, on the keys
    // combat or death took from it.
    void resumeShadowEffect();
    // Stops the shadow pulses on the 104 keyboard keys (also every other effect on them);
    // in single-color mode also the whole-keyboard effects.
    void stopShadowEffects(bool singleColor);
    // Run after stopShadowEffects, ends whatever per-key effect the director may still have
    // running: the combat pulse on the logo and the badge, the dead pulses on P1, P4 and
    // P7, and a pulse left behind by a stop that ended the key's flash instead (each stop
    // ends one effect, the flash first). Every key of the combat, dead and shadow sets gets
    // one more stop; the keys outside the keyboard rows, which stopShadowEffects does not
    // reach, get two.
    void stopRemainingKeyEffects();

    // The key gets the pulse due on it again (the fight's or shadow form's), if any: after
    // the whisper let go of it.
    void renewPulse(int32_t key);

  private:
    using Pulse = KeyLedger::Pulse;
    struct Shadow {
        Color base, dark, light;
        std::array<int, 6> periodMs;
    };
    void pulseCombatKeys(const Pulse& pulse);
    void pulseShadowRows();
    Pulse shadowPulse(size_t row) const;
    // Whether an effect that is on wants the key to pulse now.
    bool pulseDue(int32_t key) const override;

    Lighting& lighting_;
    KeyboardFrames& frames_;
    RandomSource& random_;
    KeyLedger& ledger_;
    std::optional<Pulse> combat_;
    std::optional<Shadow> shadow_;
    bool dead_ = false;
};

} // namespace et
