// Whole-keyboard flash and pulse, and the effect state shared with the single-key effects.
#include "CorvaneLED.h"
#include "EffectState.h"
#include "EffectTimer.h"
#include "Effects.h"
#include "cSDKServer.h"
#include "cSingleton.h"

std::mutex g_effectsLock;
flashingInfo g_flashingInfo;
pulsingInfo g_pulsingInfo;
singleKeyFlashingMap g_singleKeyFlashingMap;
singleKeyPulsingMap g_singleKeyPulsingMap;

namespace {

cSDKServer& server() {
    return cSingleton<cSDKServer>::GetInstance();
}

bool wholeKeyboardEffectRuns() {
    return g_flashingInfo.timer || g_pulsingInfo.timer;
}

// Colors are not checked here: SetLighting refuses out-of-range ones on every tick. The
// product is taken wide so that no int argument can overflow; level ≤ 100 keeps the
// quotient within int.
int atLevel(int component, int level) {
    return static_cast<int>(static_cast<long long>(component) * level / 100);
}

void endAllSingleKeyEffectsLocked() {
    for (auto& [key, info] : g_singleKeyFlashingMap)
        corvled::destroyEffectTimer(info.timer);
    for (auto& [key, info] : g_singleKeyPulsingMap)
        corvled::destroyEffectTimer(info.timer);
    g_singleKeyFlashingMap.clear();
    g_singleKeyPulsingMap.clear();
}

// Detaches every remaining source when the library goes away (process exit or unload), so
// that a loop still running cannot call into unloaded code. Defined after the state, so it
// is destroyed before it.
struct EffectsTeardown {
    ~EffectsTeardown() {
        std::lock_guard<std::mutex> lock(g_effectsLock);
        corvled::destroyEffectTimer(g_flashingInfo.timer);
        corvled::destroyEffectTimer(g_pulsingInfo.timer);
        endAllSingleKeyEffectsLocked();
    }
} effectsTeardown;

} // namespace

void EffectFlash(GSource* timer) {
    std::lock_guard<std::mutex> lock(g_effectsLock);
    flashingInfo& flash = g_flashingInfo;
    if (!flash.timer || flash.timer != timer) return;
    if (flash.remainingDuration < 1 && !flash.infinite) {
        server().RestoreLighting();
        corvled::destroyEffectTimer(flash.timer);
        return;
    }
    if (!flash.infinite) flash.remainingDuration -= flash.interval;
    if (flash.isOn) {
        server().RestoreLighting();
        flash.isOn = false;
    } else {
        server().SetLighting(flash.red, flash.green, flash.blue);
        flash.isOn = true;
    }
}

void EffectPulse(GSource* timer) {
    std::lock_guard<std::mutex> lock(g_effectsLock);
    pulsingInfo& pulse = g_pulsingInfo;
    if (!pulse.timer || pulse.timer != timer) return;
    if (pulse.remainingDuration < 1 && !pulse.infinite) {
        server().RestoreLighting();
        corvled::destroyEffectTimer(pulse.timer);
        return;
    }
    if (!pulse.infinite) pulse.remainingDuration -= pulse.decrement;
    const int level = pulse.level;
    server().SetLighting(atLevel(pulse.red, level), atLevel(pulse.green, level),
                         atLevel(pulse.blue, level));
    // 0, 5, …, 95, 100, 95, …, 5, 0, 5, …: turns at the top after showing 100, at the
    // bottom after showing 0.
    const int next = (pulse.rising && level <= 99) ? level + pulse.step : level - pulse.step;
    pulse.rising = next <= 0 || (pulse.rising && level <= 99);
    pulse.level = next;
}

extern "C" {

bool CorvLedFlashLighting(int red, int green, int blue, int duration, int interval) {
    if (interval < 1) return false;
    std::lock_guard<std::mutex> lock(g_effectsLock);
    if (wholeKeyboardEffectRuns()) return false;
    // Runs even before CorvLedInit: its commands then fail and it simply runs its course.
    server().SaveCurrentLighting();
    flashingInfo& flash = g_flashingInfo;
    flash.infinite = duration == 0;
    flash.remainingDuration = duration == 0 ? 1 : duration;
    flash.red = red;
    flash.green = green;
    flash.blue = blue;
    flash.interval = interval;
    flash.isOn = false;
    flash.timer = corvled::createEffectTimer(interval, EffectFlash);
    return true;
}

bool CorvLedPulseLighting(int red, int green, int blue, int duration, int interval) {
    if (interval < 1) return false;
    std::lock_guard<std::mutex> lock(g_effectsLock);
    if (wholeKeyboardEffectRuns()) return false;
    server().SaveCurrentLighting();
    pulsingInfo& pulse = g_pulsingInfo;
    pulse.level = 0;
    pulse.rising = true;
    pulse.infinite = duration == 0;
    pulse.remainingDuration = duration == 0 ? 1 : duration;
    pulse.red = red;
    pulse.green = green;
    pulse.blue = blue;
    pulse.step = 5;
    pulse.decrement = 100;
    pulse.timer = corvled::createEffectTimer(interval, EffectPulse);
    return true;
}

bool CorvLedStopEffects(void) {
    std::lock_guard<std::mutex> lock(g_effectsLock);
    if (g_flashingInfo.timer) {
        server().RestoreLighting();
        corvled::destroyEffectTimer(g_flashingInfo.timer);
    }
    if (g_pulsingInfo.timer) {
        server().RestoreLighting();
        corvled::destroyEffectTimer(g_pulsingInfo.timer);
    }
    return true;
}

} // extern "C"

namespace corvled {
void stopAllSingleKeyEffects() {
    std::lock_guard<std::mutex> lock(g_effectsLock);
    endAllSingleKeyEffectsLocked();
}
} // namespace corvled
