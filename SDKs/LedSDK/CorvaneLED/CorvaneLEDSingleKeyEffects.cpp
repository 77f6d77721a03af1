// Single-key flash and pulse: each key may run one of each, side by side with other keys.
#include "CorvaneLED.h"
#include "EffectState.h"
#include "EffectTimer.h"
#include "cSDKServer.h"
#include "cSingleton.h"

#include <algorithm>

namespace {

cSDKServer& server() {
    return cSingleton<cSDKServer>::GetInstance();
}

constexpr int kPulseIntervalMs = 10;
constexpr int kPulseStep = 10;

// start × w + finish × (1 − w) in single precision, truncated toward zero. A result beyond
// int (only for colors far outside 0–255) becomes -1, which the send refuses like any other
// out-of-range color.
int blend(int start, int finish, float w) {
    const float value = static_cast<float>(start) * w + static_cast<float>(finish) * (1.0f - w);
    if (!(value >= -2147483648.0f && value < 2147483648.0f)) return -1;
    return static_cast<int>(value);
}

template <typename Map> typename Map::iterator findByTimer(Map& map, GSource* timer) {
    return std::find_if(map.begin(), map.end(),
                        [timer](const auto& entry) { return entry.second.timer == timer; });
}

void flashTick(singleKeyFlashingMap::iterator entry) {
    const int key = entry->first;
    singleKeyFlashingInfo& flash = entry->second;
    if (flash.remainingDuration <= 0) {
        server().RestoreSingleKeyLighting(key);
        corvled::destroyEffectTimer(flash.timer);
        g_singleKeyFlashingMap.erase(entry);
        return;
    }
    // Between flashes the key goes dark; its saved lighting comes back only at the end.
    if (flash.isOn)
        server().SetLightingForKeyWithKeyName(key, 0, 0, 0);
    else
        server().SetLightingForKeyWithKeyName(key, flash.red, flash.green, flash.blue);
    if (!flash.infinite) flash.remainingDuration -= flash.interval;
    flash.isOn = !flash.isOn;
}

void pulseTick(singleKeyPulsingMap::iterator entry) {
    const int key = entry->first;
    singleKeyPulsingInfo& pulse = entry->second;
    if (pulse.remaining < 1) {
        server().RestoreSingleKeyLighting(key);
        corvled::destroyEffectTimer(pulse.timer);
        g_singleKeyPulsingMap.erase(entry);
        return;
    }
    const float f = static_cast<float>(pulse.remaining) / static_cast<float>(pulse.duration);
    const float w = pulse.forward ? f : 1.0f - f;
    server().SetLightingForKeyWithKeyName(key, blend(pulse.startRed, pulse.finishRed, w),
                                          blend(pulse.startGreen, pulse.finishGreen, w),
                                          blend(pulse.startBlue, pulse.finishBlue, w));
    pulse.remaining -= pulse.step;
    if (pulse.remaining < 1 && (pulse.forward || pulse.infinite)) {
        pulse.forward = !pulse.forward;
        pulse.remaining = pulse.duration;
    }
}

} // namespace

void EffectSingleKey(GSource* timer) {
    std::lock_guard<std::mutex> lock(g_effectsLock);
    auto flash = findByTimer(g_singleKeyFlashingMap, timer);
    if (flash != g_singleKeyFlashingMap.end()) flashTick(flash);
    auto pulse = findByTimer(g_singleKeyPulsingMap, timer);
    if (pulse != g_singleKeyPulsingMap.end()) pulseTick(pulse);
}

extern "C" {

bool CorvLedFlashSingleKey(KeyName keyName, int red, int green, int blue, int duration,
                           int interval) {
    // A timer below 1 ms would never repeat, so nothing would ever end the flash.
    if (interval < 1) return false;
    const int key = static_cast<int>(keyName);
    std::lock_guard<std::mutex> lock(g_effectsLock);
    auto entry = g_singleKeyFlashingMap.find(key);
    if (entry == g_singleKeyFlashingMap.end()) {
        if (!server().SaveSingleKeyLighting(key)) return false;
        entry = g_singleKeyFlashingMap.emplace(key, singleKeyFlashingInfo{}).first;
    } else {
        // A restart keeps the lighting saved by the first flash as the one to restore.
        corvled::destroyEffectTimer(entry->second.timer);
    }
    singleKeyFlashingInfo& flash = entry->second;
    flash.red = red;
    flash.green = green;
    flash.blue = blue;
    flash.interval = interval;
    flash.remainingDuration = duration == 0 ? 1 : duration;
    flash.infinite = duration == 0;
    flash.isOn = false;
    flash.timer = corvled::createEffectTimer(interval, EffectSingleKey);
    return true;
}

bool CorvLedPulseSingleKey(KeyName keyName, int startRed, int startGreen, int startBlue,
                           int finishRed, int finishGreen, int finishBlue, int duration,
                           bool infinite) {
    if (duration < 1) return false;
    const int key = static_cast<int>(keyName);
    std::lock_guard<std::mutex> lock(g_effectsLock);
    auto entry = g_singleKeyPulsingMap.find(key);
    if (entry == g_singleKeyPulsingMap.end()) {
        if (!server().SaveSingleKeyLighting(key)) return false;
        entry = g_singleKeyPulsingMap.emplace(key, singleKeyPulsingInfo{}).first;
    } else {
        corvled::destroyEffectTimer(entry->second.timer);
    }
    singleKeyPulsingInfo& pulse = entry->second;
    pulse.startRed = startRed;
    pulse.startGreen = startGreen;
    pulse.startBlue = startBlue;
    pulse.finishRed = finishRed;
    pulse.finishGreen = finishGreen;
    pulse.finishBlue = finishBlue;
    pulse.duration = duration;
    pulse.remaining = duration;
    pulse.step = kPulseStep;
    pulse.infinite = infinite;
    pulse.forward = true;
    pulse.timer = corvled::createEffectTimer(kPulseIntervalMs, EffectSingleKey);
    return true;
}

// One call ends one effect, the flash first: the application ends a key's flash and its
// pulse with separate calls (see the header).
bool CorvLedStopEffectsOnKey(KeyName keyName) {
    const int key = static_cast<int>(keyName);
    std::lock_guard<std::mutex> lock(g_effectsLock);
    // A flash already told to end stays in its map until its next tick; a second call in
    // that window must reach the pulse, or "two calls end both" would depend on timing.
    auto flash = g_singleKeyFlashingMap.find(key);
    if (flash != g_singleKeyFlashingMap.end() &&
        (flash->second.infinite || flash->second.remainingDuration > 0)) {
        flash->second.infinite = false;
        flash->second.remainingDuration = 0;
    } else if (auto pulse = g_singleKeyPulsingMap.find(key); pulse != g_singleKeyPulsingMap.end()) {
        pulse->second.infinite = false;
        pulse->second.remaining = 0;
    }
    return true;
}

} // extern "C"
