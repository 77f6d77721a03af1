#pragma once
// The long-running per-key effects the director starts in the framework: the combat pulse,
// the dead effect and the shadow effect. Once started they run inside the framework until
// stopped here; nothing about them is remembered on this side.
#include "KeyboardFrames.h"
#include "Lighting.h"
#include "RandomSource.h"

namespace et {

class KeyEffects {
  public:
    KeyEffects(Lighting& lighting, KeyboardFrames& frames, RandomSource& random);

    // Combat: the 18 combat keys pulse red from full to a quarter, `periodMs` per pulse.
    void startCombatPulse(int periodMs);
    // The chat warning during combat: the same keys pulse white at a fixed 200 ms.
    void startCombatWarning();
    void stopCombatPulse();

    // Death: the keyboard turns a dull purple while two sets of keys pulse, each key at
    // its own period between 650 and 899 ms so that they drift out of step.
    void startDeadEffect();
    void stopDeadEffect();

    // Shadow form: the keyboard takes the color given as hue, saturation and brightness,
    // and each of the six rows pulses between a darker and a lighter shade of it, the row
    // at its own period between 800 and 1599 ms.
    void startShadowEffect(double hue, double saturation, double brightness);
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

  private:
    void pulseCombatKeys(int red, int green, int blue, int finishRed, int finishGreen,
                         int finishBlue, int periodMs);

    Lighting& lighting_;
    KeyboardFrames& frames_;
    RandomSource& random_;
};

} // namespace et
