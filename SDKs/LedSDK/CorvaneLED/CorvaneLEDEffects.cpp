// Timed effects: not built yet; every effect is refused.
#include "CorvaneLED.h"
#include "Effects.h"

namespace corvled {
void stopAllSingleKeyEffects() {}
} // namespace corvled

extern "C" {
bool CorvLedFlashLighting(int, int, int, int, int) { return false; }
bool CorvLedPulseLighting(int, int, int, int, int) { return false; }
bool CorvLedStopEffects(void) { return true; }
bool CorvLedFlashSingleKey(KeyName, int, int, int, int, int) { return false; }
bool CorvLedPulseSingleKey(KeyName, int, int, int, int, int, int, int, bool) { return false; }
bool CorvLedStopEffectsOnKey(KeyName) { return true; }
}
