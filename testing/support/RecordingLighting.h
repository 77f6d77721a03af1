#pragma once
// A Lighting that records every call instead of reaching a keyboard. Each call becomes one
// LightingCall: the method name, its integer arguments in order, and for bitmaps a copy of
// the 504 bytes. Every call reports success unless `result` is changed; setTargetDevice
// answers as the library does, false when the command was sent.
#include "Lighting.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace et::test {

struct LightingCall {
    std::string name;
    std::vector<int64_t> args;
    std::vector<unsigned char> bitmap; // setLightingFromBitmap only

    bool operator==(const LightingCall&) const = default;
};

class RecordingLighting : public Lighting {
  public:
    static constexpr int kBitmapBytes = 504;

    std::vector<LightingCall> calls;
    bool result = true;

    bool init() override { return record("init", {}); }
    bool getSdkVersion(int& major, int& minor, int& build) override {
        major = 1, minor = 2, build = 0;
        return record("getSdkVersion", {});
    }
    bool setTargetDevice(int device) override { return !record("setTargetDevice", {device}); }
    bool setLighting(int red, int green, int blue) override {
        return record("setLighting", {red, green, blue});
    }
    bool stopEffects() override { return record("stopEffects", {}); }
    bool setLightingFromBitmap(const unsigned char* bitmap) override {
        calls.push_back({"setLightingFromBitmap", {}, {bitmap, bitmap + kBitmapBytes}});
        return result;
    }
    bool setLightingForKey(int32_t keyName, int red, int green, int blue) override {
        return record("setLightingForKey", {keyName, red, green, blue});
    }
    bool flashSingleKey(int32_t keyName, int red, int green, int blue, int durationMs,
                        int intervalMs) override {
        return record("flashSingleKey", {keyName, red, green, blue, durationMs, intervalMs});
    }
    bool pulseSingleKey(int32_t keyName, int startRed, int startGreen, int startBlue, int finishRed,
                        int finishGreen, int finishBlue, int durationMs, bool infinite) override {
        return record("pulseSingleKey", {keyName, startRed, startGreen, startBlue, finishRed,
                                         finishGreen, finishBlue, durationMs, infinite ? 1 : 0});
    }
    bool stopEffectsOnKey(int32_t keyName) override {
        return record("stopEffectsOnKey", {keyName});
    }
    void shutdown() override { record("shutdown", {}); }

    // The recorded calls of one method, in order.
    std::vector<LightingCall> named(const std::string& name) const {
        std::vector<LightingCall> out;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                     [&](const LightingCall& c) { return c.name == name; });
        return out;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& c : calls)
            out.push_back(c.name);
        return out;
    }
    void clear() { calls.clear(); }

  private:
    bool record(const char* name, std::vector<int64_t> args) {
        calls.push_back({name, std::move(args), {}});
        return result;
    }
};

} // namespace et::test
