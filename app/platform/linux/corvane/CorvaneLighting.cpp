#include "CorvaneLighting.h"

#include "CorvaneLED.h"

#include <array>
#include <cstring>

namespace et {

namespace {
KeyName asKeyName(int32_t key) {
    return static_cast<KeyName>(key);
}
} // namespace

bool CorvaneLighting::init() {
    return CorvLedInit();
}

bool CorvaneLighting::getSdkVersion(int& major, int& minor, int& build) {
    return CorvLedGetSdkVersion(&major, &minor, &build);
}

bool CorvaneLighting::setTargetDevice(int device) {
    return CorvLedSetTargetDevice(device);
}

bool CorvaneLighting::setLighting(int red, int green, int blue) {
    return CorvLedSetLighting(red, green, blue);
}

bool CorvaneLighting::stopEffects() {
    return CorvLedStopEffects();
}

bool CorvaneLighting::setLightingFromBitmap(const unsigned char* bitmap) {
    if (!bitmap) return false;
    // The C entry point takes a mutable pointer but only reads; a copy keeps the caller's
    // buffer const-correct.
    std::array<unsigned char, CORVLED_BITMAP_SIZE> copy;
    std::memcpy(copy.data(), bitmap, copy.size());
    return CorvLedSetLightingFromBitmap(copy.data());
}

bool CorvaneLighting::setLightingForKey(int32_t keyName, int red, int green, int blue) {
    return CorvLedSetLightingForKeyWithKeyName(asKeyName(keyName), red, green, blue);
}

bool CorvaneLighting::flashSingleKey(int32_t keyName, int red, int green, int blue, int durationMs,
                                     int intervalMs) {
    return CorvLedFlashSingleKey(asKeyName(keyName), red, green, blue, durationMs, intervalMs);
}

bool CorvaneLighting::pulseSingleKey(int32_t keyName, int startRed, int startGreen, int startBlue,
                                     int finishRed, int finishGreen, int finishBlue, int durationMs,
                                     bool infinite) {
    return CorvLedPulseSingleKey(asKeyName(keyName), startRed, startGreen, startBlue, finishRed,
                                 finishGreen, finishBlue, durationMs, infinite);
}

bool CorvaneLighting::stopEffectsOnKey(int32_t keyName) {
    return CorvLedStopEffectsOnKey(asKeyName(keyName));
}

void CorvaneLighting::shutdown() {
    CorvLedShutdown();
}

} // namespace et
