#pragma once
// Lighting through the CorvaneLED library: every call goes straight to its C entry point.
#include "Lighting.h"

namespace et {

class CorvaneLighting : public Lighting {
  public:
    bool init() override;
    bool getSdkVersion(int& major, int& minor, int& build) override;
    bool setTargetDevice(int device) override;
    bool setLighting(int red, int green, int blue) override;
    bool stopEffects() override;
    bool setLightingFromBitmap(const unsigned char* bitmap) override;
    bool setLightingForKey(int32_t keyName, int red, int green, int blue) override;
    bool flashSingleKey(int32_t keyName, int red, int green, int blue, int durationMs,
                        int intervalMs) override;
    bool pulseSingleKey(int32_t keyName, int startRed, int startGreen, int startBlue, int finishRed,
                        int finishGreen, int finishBlue, int durationMs, bool infinite) override;
    bool stopEffectsOnKey(int32_t keyName) override;
    void shutdown() override;
};

} // namespace et
