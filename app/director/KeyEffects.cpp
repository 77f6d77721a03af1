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
                       KeyLedger& ledger)
    : lighting_(lighting), frames_(frames), random_(random), ledger_(ledger) {
    ledger_.setPulsePolicy(this);
}

KeyEffects::~KeyEffects() {
    ledger_.setPulsePolicy(nullptr);
}

void KeyEffects::pulseCombatKeys(const Pulse& pulse) {
    combat_ = pulse;
    lighting_.setTargetDevice(kPerKeyDevices);
    for (int32_t key : combatKeys())
        ledger_.pulse(key, pulse);
}

void KeyEffects::startCombatPulse(int periodMs) {
    pulseCombatKeys({100, 0, 0, 25, 0, 0, periodMs});
}

void KeyEffects::startCombatWarning() {
    pulseCombatKeys({100, 100, 100, 25, 25, 25, kWarningPeriodMs});
}

bool KeyEffects::pulseDue(int32_t key) const {
    if (key == ledger_.heldKey()) return false;
    if (dead_ && (contains(deadBrightKeys(), key) || contains(deadDimKeys(), key))) return true;
    if (combat_ && contains(combatKeys(), key)) return true;
    return shadow_ && inKeyboardRows(key);
}

double KeyEffects::stopCombatPulse() {
    combat_.reset();
    double settle = 0.0;
    lighting_.setTargetDevice(kPerKeyDevices);
    for (int32_t key : combatKeys())
        if (key != ledger_.heldKey()) settle = std::max(settle, ledger_.stopPulse(key));
    return settle;
}

void KeyEffects::startDeadEffect() {
    dead_ = true;
    lighting_.setTargetDevice(kAllDevices);
    frames_.setAllKeys({0.5, 0.4, 0.5, 1.0});
    for (int32_t key : deadBrightKeys())
        ledger_.pulse(key, {50, 40, 50, 100, 85, 100,
                            kDeadPeriodMs + random_.uniform(0, kDeadPeriodSpreadMs)});
    for (int32_t key : deadDimKeys())
        ledger_.pulse(key,
                      {50, 40, 50, 20, 10, 20, kDeadPeriodMs + random_.uniform(0, kDeadPeriodSpreadMs)});
}

void KeyEffects::stopDeadEffect() {
    dead_ = false;
    lighting_.setTargetDevice(kPerKeyDevices);
    for (int32_t key : deadBrightKeys())
        ledger_.stop(key);
    for (int32_t key : deadDimKeys())
        ledger_.stop(key);
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

KeyLedger::Pulse KeyEffects::shadowPulse(size_t row) const {
    const Color& dark = shadow_->dark;
    const Color& light = shadow_->light;
    return {dark.redPercent(),  dark.greenPercent(),  dark.bluePercent(), light.redPercent(),
            light.greenPercent(), light.bluePercent(), shadow_->periodMs[row]};
}

void KeyEffects::pulseShadowRows() {
    lighting_.setTargetDevice(kAllDevices);
    frames_.setAllKeys(shadow_->base);
    lighting_.setTargetDevice(kPerKeyDevices);
    for (size_t row = 0; row < shadowRows().size(); ++row) {
        const Pulse pulse = shadowPulse(row);
        for (int32_t key : shadowRows()[row])
            ledger_.pulse(key, pulse);
    }
    lighting_.setTargetDevice(kAllDevices);
}

void KeyEffects::stopShadowEffects(bool singleColor) {
    shadow_.reset();
    lighting_.setTargetDevice(kAllDevices);
    if (singleColor) lighting_.stopEffects();
    for (auto row : shadowRows()) {
        for (int32_t key : row)
            ledger_.stop(key);
    }
}

void KeyEffects::renewPulse(int32_t key) {
    if (key == 0 || !pulseDue(key)) return;
    // The latest effect to take the key is the one it shows: combat over shadow form.
    if (combat_ && contains(combatKeys(), key)) {
        ledger_.pulse(key, *combat_);
        return;
    }
    for (size_t row = 0; row < shadowRows().size(); ++row)
        if (contains(shadowRows()[row], key)) ledger_.pulse(key, shadowPulse(row));
}

void KeyEffects::stopRemainingKeyEffects() {
    combat_.reset();
    shadow_.reset();
    dead_ = false;
    ledger_.forgetHold();
    std::vector<int32_t> stopped;
    auto stop = [&](std::span<const int32_t> keys) {
        for (int32_t key : keys) {
            if (std::find(stopped.begin(), stopped.end(), key) != stopped.end()) continue;
            stopped.push_back(key);
            ledger_.stop(key);
            if (!inKeyboardRows(key)) ledger_.stop(key);
        }
    };
    stop(combatKeys());
    stop(deadBrightKeys());
    stop(deadDimKeys());
    for (auto row : shadowRows())
        stop(row);
}

} // namespace et
