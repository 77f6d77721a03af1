#include "KeyEffects.h"

#include "KeyGroups.h"

#include <algorithm>
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

} // namespace

KeyEffects::KeyEffects(Lighting& lighting, KeyboardFrames& frames, RandomSource& random)
    : lighting_(lighting), frames_(frames), random_(random) {}

void KeyEffects::pulseCombatKeys(int red, int green, int blue, int finishRed, int finishGreen,
                                 int finishBlue, int periodMs) {
    lighting_.setTargetDevice(kPerKeyDevices);
    for (int32_t key : combatKeys())
        lighting_.pulseSingleKey(key, red, green, blue, finishRed, finishGreen, finishBlue,
                                 periodMs, true);
}

void KeyEffects::startCombatPulse(int periodMs) {
    pulseCombatKeys(100, 0, 0, 25, 0, 0, periodMs);
}

void KeyEffects::startCombatWarning() {
    pulseCombatKeys(100, 100, 100, 25, 25, 25, kWarningPeriodMs);
}

void KeyEffects::stopCombatPulse() {
    lighting_.setTargetDevice(kPerKeyDevices);
    for (int32_t key : combatKeys())
        lighting_.stopEffectsOnKey(key);
}

void KeyEffects::startDeadEffect() {
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
    lighting_.setTargetDevice(kPerKeyDevices);
    for (int32_t key : deadBrightKeys())
        lighting_.stopEffectsOnKey(key);
    for (int32_t key : deadDimKeys())
        lighting_.stopEffectsOnKey(key);
    lighting_.setTargetDevice(kAllDevices);
}

void KeyEffects::startShadowEffect(double hue, double saturation, double brightness) {
    const Color base = Color::fromHSB(hue, saturation, brightness);
    const Color dark = Color::fromHSB(hue, saturation, std::max(0.0, brightness - kShadowShade));
    const Color light = Color::fromHSB(hue, saturation, std::min(1.0, brightness + kShadowShade));
    lighting_.setTargetDevice(kAllDevices);
    frames_.setAllKeys(base);
    lighting_.setTargetDevice(kPerKeyDevices);
    for (auto row : shadowRows()) {
        const int period = kShadowPeriodMs + random_.uniform(0, kShadowPeriodSpreadMs);
        for (int32_t key : row)
            lighting_.pulseSingleKey(key, dark.redPercent(), dark.greenPercent(),
                                     dark.bluePercent(), light.redPercent(), light.greenPercent(),
                                     light.bluePercent(), period, true);
    }
    lighting_.setTargetDevice(kAllDevices);
}

void KeyEffects::stopShadowEffects(bool singleColor) {
    lighting_.setTargetDevice(kAllDevices);
    if (singleColor) lighting_.stopEffects();
    for (auto row : shadowRows()) {
        for (int32_t key : row)
            lighting_.stopEffectsOnKey(key);
    }
}

void KeyEffects::stopRemainingKeyEffects() {
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
