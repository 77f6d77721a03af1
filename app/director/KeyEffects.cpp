#include "KeyEffects.h"

#include "KeyGroups.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace et {

namespace {

constexpr int kDeadPeriodMs = 650;
constexpr int kDeadPeriodSpreadMs = 249;
constexpr int kShadowPeriodMs = 800;
constexpr int kShadowPeriodSpreadMs = 799;
constexpr int kWarningPeriodMs = 200;
constexpr double kShadowShade = 0.3;

bool inKeyboardRows(int32_t keyName) {
    for (auto row : shadowRows()) {
        if (std::find(row.begin(), row.end(), keyName) != row.end()) return true;
    }
    return false;
}

bool contains(std::span<const int32_t> keys, int32_t key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

} // namespace

KeyEffects::KeyEffects(Lighting& lighting, KeyboardFrames& frames, RandomSource& random,
                       RunLoop& runLoop, KeyFlashes& flashes)
    : lighting_(lighting), frames_(frames), random_(random), flashes_(flashes), timers_(runLoop) {}

void KeyEffects::pulseKey(int32_t key, const Pulse& p) {
    if (key == heldKey_) return;
    lighting_.pulseSingleKey(key, p.red, p.green, p.blue, p.finishRed, p.finishGreen, p.finishBlue,
                             p.periodMs, true);
}

void KeyEffects::pulseCombatKeys(const Pulse& pulse) {
    combat_ = pulse;
    lighting_.setTargetDevice(kPerKeyDevices);
    for (int32_t key : combatKeys())
        pulseKey(key, pulse);
}

void KeyEffects::startCombatPulse(int periodMs) {
    pulseCombatKeys({100, 0, 0, 25, 0, 0, periodMs});
}

void KeyEffects::startCombatWarning() {
    pulseCombatKeys({100, 100, 100, 25, 25, 25, kWarningPeriodMs});
}

bool KeyEffects::pulseDue(int32_t key) const {
    if (key == heldKey_) return false;
    if (dead_ && (contains(deadBrightKeys(), key) || contains(deadDimKeys(), key))) return true;
    if (combat_ && contains(combatKeys(), key)) return true;
    return shadow_ && inKeyboardRows(key);
}

void KeyEffects::stopPulseOnKey(int32_t key, double& settle) {
    if (!flashes_.running(key)) {
        lighting_.stopEffectsOnKey(key);
        // A flash told to stop before still restores what it saved, after the pulse.
        settle = std::max({settle, KeyFlashes::kTickSlack, flashes_.restoreDueIn(key)});
        return;
    }
    // This stop ends the flash; the pulse gets its own once the flash has restored the key.
    const double wait = flashes_.settleSeconds(key);
    lighting_.stopEffectsOnKey(key);
    flashes_.stopped(key);
    settle = std::max(settle, wait + KeyFlashes::kTickSlack);
    timers_.after(wait, [this, key] {
        if (pulseDue(key)) return;
        double ignored = 0.0;
        stopPulseOnKey(key, ignored);
    });
}

double KeyEffects::stopCombatPulse() {
    combat_.reset();
    double settle = 0.0;
    lighting_.setTargetDevice(kPerKeyDevices);
    for (int32_t key : combatKeys())
        if (key != heldKey_) stopPulseOnKey(key, settle);
    return settle;
}

void KeyEffects::startDeadEffect() {
    dead_ = true;
    lighting_.setTargetDevice(kAllDevices);
    frames_.setAllKeys({0.5, 0.4, 0.5, 1.0});
    for (int32_t key : deadBrightKeys())
        lighting_.pulseSingleKey(key, 50, 40, 50, 100, 85, 100,
                                 kDeadPeriodMs + random_.uniform(0, kDeadPeriodSpreadMs), true);
    for (int32_t key : deadDimKeys())
        lighting_.pulseSingleKey(key, 50, 40, 50, 20, 10, 20,
                                 kDeadPeriodMs + random_.uniform(0, kDeadPeriodSpreadMs), true);
}

void KeyEffects::stopDeadEffect() {
    dead_ = false;
    lighting_.setTargetDevice(kPerKeyDevices);
    for (int32_t key : deadBrightKeys())
        lighting_.stopEffectsOnKey(key);
    for (int32_t key : deadDimKeys())
        lighting_.stopEffectsOnKey(key);
    lighting_.setTargetDevice(kAllDevices);
}

void KeyEffects::startShadowEffect(double hue, double saturation, double brightness) {
    Shadow shadow{Color::fromHSB(hue, saturation, brightness),
                  Color::fromHSB(hue, saturation, std::max(0.0, brightness - kShadowShade)),
                  Color::fromHSB(hue, saturation, std::min(1.0, brightness + kShadowShade)),
                  {}};
    for (int& period : shadow.periodMs)
        period = kShadowPeriodMs + random_.uniform(0, kShadowPeriodSpreadMs);
    shadow_ = shadow;
    pulseShadowRows();
}

void KeyEffects::resumeShadowEffect() {
    if (shadow_) pulseShadowRows();
}

void KeyEffects::pulseShadowRows() {
    const Color& dark = shadow_->dark;
    const Color& light = shadow_->light;
    lighting_.setTargetDevice(kAllDevices);
    frames_.setAllKeys(shadow_->base);
    lighting_.setTargetDevice(kPerKeyDevices);
    for (size_t row = 0; row < shadowRows().size(); ++row) {
        const Pulse pulse{dark.redPercent(),     dark.greenPercent(),  dark.bluePercent(),
                          light.redPercent(),    light.greenPercent(), light.bluePercent(),
                          shadow_->periodMs[row]};
        for (int32_t key : shadowRows()[row])
            pulseKey(key, pulse);
    }
    lighting_.setTargetDevice(kAllDevices);
}

void KeyEffects::stopShadowEffects(bool singleColor) {
    shadow_.reset();
    lighting_.setTargetDevice(kAllDevices);
    if (singleColor) lighting_.stopEffects();
    for (auto row : shadowRows()) {
        for (int32_t key : row)
            lighting_.stopEffectsOnKey(key);
    }
}

void KeyEffects::holdKey(int32_t key) {
    const bool pulsing = pulseDue(key);
    heldKey_ = key;
    if (pulsing) lighting_.stopEffectsOnKey(key);
}

void KeyEffects::releaseKey() {
    renewPulse(std::exchange(heldKey_, 0));
}

void KeyEffects::renewPulse(int32_t key) {
    if (key == 0 || !pulseDue(key)) return;
    // The latest effect to take the key is the one it shows: combat over shadow form.
    if (combat_ && contains(combatKeys(), key)) {
        pulseKey(key, *combat_);
        return;
    }
    for (size_t row = 0; row < shadowRows().size(); ++row) {
        if (!contains(shadowRows()[row], key)) continue;
        const Color& dark = shadow_->dark;
        const Color& light = shadow_->light;
        pulseKey(key,
                 {dark.redPercent(), dark.greenPercent(), dark.bluePercent(), light.redPercent(),
                  light.greenPercent(), light.bluePercent(), shadow_->periodMs[row]});
    }
}

void KeyEffects::stopRemainingKeyEffects() {
    combat_.reset();
    shadow_.reset();
    dead_ = false;
    heldKey_ = 0;
    std::vector<int32_t> stopped;
    auto stop = [&](std::span<const int32_t> keys) {
        for (int32_t key : keys) {
            if (std::find(stopped.begin(), stopped.end(), key) != stopped.end()) continue;
            stopped.push_back(key);
            lighting_.stopEffectsOnKey(key);
            if (!inKeyboardRows(key)) lighting_.stopEffectsOnKey(key);
        }
    };
    stop(combatKeys());
    stop(deadBrightKeys());
    stop(deadDimKeys());
    for (auto row : shadowRows())
        stop(row);
}

} // namespace et
