#pragma once
// The state of the timed effects: one whole-keyboard flash or pulse at a time, and per key
// at most one flash and one pulse. Process-wide; touched only under g_effectsLock.
#include <glib.h>

#include <map>
#include <mutex>

// Durations and intervals in milliseconds; colors in the caller's units (0–255 accepted).

struct flashingInfo {
    bool isOn = false; // the flash color is showing
    int remainingDuration = 0;
    int red = 0, green = 0, blue = 0;
    int interval = 0;
    bool infinite = false;
    GSource* timer = nullptr; // null when no flash runs
};

struct pulsingInfo {
    int level = 0; // brightness in percent, 0–100
    int remainingDuration = 0;
    int red = 0, green = 0, blue = 0;
    bool rising = true;
    int decrement = 100; // per tick, whatever the interval
    int step = 5;
    bool infinite = false;
    GSource* timer = nullptr; // null when no pulse runs
};

struct singleKeyFlashingInfo {
    int red = 0, green = 0, blue = 0;
    int interval = 0;
    int remainingDuration = 0;
    bool infinite = false;
    bool isOn = false;
    GSource* timer = nullptr;
};

struct singleKeyPulsingInfo {
    int startRed = 0, startGreen = 0, startBlue = 0;
    int finishRed = 0, finishGreen = 0, finishBlue = 0;
    int duration = 0; // one sweep
    int remaining = 0;
    int step = 10;
    bool infinite = false;
    bool forward = true; // sweeping from the start color to the finish color
    GSource* timer = nullptr;
};

// Keyed by the KeyName's value as a signed int, so a tick walks keys in ascending order and
// any 32-bit value a C caller passes is a valid key.
using singleKeyFlashingMap = std::map<int, singleKeyFlashingInfo>;
using singleKeyPulsingMap = std::map<int, singleKeyPulsingInfo>;

extern flashingInfo g_flashingInfo;
extern pulsingInfo g_pulsingInfo;
extern singleKeyFlashingMap g_singleKeyFlashingMap;
extern singleKeyPulsingMap g_singleKeyPulsingMap;

// Effects belong to one thread, but a misplaced call (a shutdown from another thread) must
// not tear the maps under a running tick. Held by every entry point and every tick; never
// held while calling back into an entry point.
extern std::mutex g_effectsLock;

// The timer callbacks.
void EffectFlash(GSource* timer);
void EffectPulse(GSource* timer);
void EffectSingleKey(GSource* timer);
