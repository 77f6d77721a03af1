#pragma once
// The application's only way to the keyboard: one method per CorvaneLED entry point it
// uses. Production forwards to the C library; tests record the calls.
#include <cstdint>

namespace et {

class Lighting {
public:
    virtual ~Lighting() = default;
    virtual bool init() = 0;
    virtual bool getSdkVersion(int& major, int& minor, int& build) = 0;
    virtual bool setTargetDevice(int device) = 0;
    virtual bool setLighting(int red, int green, int blue) = 0;
    virtual bool stopEffects() = 0;
    // `bitmap` points to 504 bytes, read during the call only.
    virtual bool setLightingFromBitmap(const unsigned char* bitmap) = 0;
    virtual bool setLightingForKey(int32_t keyName, int red, int green, int blue) = 0;
    virtual bool flashSingleKey(int32_t keyName, int red, int green, int blue, int durationMs,
                                int intervalMs) = 0;
    virtual bool pulseSingleKey(int32_t keyName, int startRed, int startGreen, int startBlue,
                                int finishRed, int finishGreen, int finishBlue, int durationMs,
                                bool infinite) = 0;
    virtual bool stopEffectsOnKey(int32_t keyName) = 0;
    virtual void shutdown() = 0;
};

} // namespace et
