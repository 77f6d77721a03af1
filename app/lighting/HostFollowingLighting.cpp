#include "HostFollowingLighting.h"

#include <algorithm>
#include <cstring>

namespace et {

namespace {
// Keys with a bitmap cell; the macro keys, logo and badge keep their colors under a bitmap.
bool isGridKey(int32_t key) {
    return key >= 0 && key < 0x200;
}
} // namespace

bool HostFollowingLighting::init() {
    following_ = true;
    lastAttempt_ = loop_.now();
    up_ = inner_.init();
    scheduleCheck();
    return up_;
}

// The library's target call answers true when it could NOT send; kept as it is for callers.
bool HostFollowingLighting::setTargetDevice(int device) {
    shown_.target = device;
    const bool result = inner_.setTargetDevice(device);
    forward(!result);
    return result;
}

bool HostFollowingLighting::setLighting(int red, int green, int blue) {
    shown_.whole = Rgb{red, green, blue};
    shown_.bitmap.reset();
    shown_.keys.clear();
    return forward(inner_.setLighting(red, green, blue));
}

bool HostFollowingLighting::setLightingFromBitmap(const unsigned char* bitmap) {
    if (bitmap) {
        shown_.bitmap.emplace();
        std::memcpy(shown_.bitmap->data(), bitmap, shown_.bitmap->size());
        std::erase_if(shown_.keys, [](const auto& entry) { return isGridKey(entry.first); });
    }
    return forward(inner_.setLightingFromBitmap(bitmap));
}

bool HostFollowingLighting::setLightingForKey(int32_t keyName, int red, int green, int blue) {
    shown_.keys[keyName] = Rgb{red, green, blue};
    return forward(inner_.setLightingForKey(keyName, red, green, blue));
}

bool HostFollowingLighting::pulseSingleKey(int32_t keyName, int startRed, int startGreen,
                                           int startBlue, int finishRed, int finishGreen,
                                           int finishBlue, int durationMs, bool infinite) {
    // A finite pulse ends by itself; only endless ones must come back after a reconnection.
    if (infinite)
        shown_.pulses[keyName] = Pulse{
            {startRed, startGreen, startBlue}, {finishRed, finishGreen, finishBlue}, durationMs};
    else
        shown_.pulses.erase(keyName);
    return forward(inner_.pulseSingleKey(keyName, startRed, startGreen, startBlue, finishRed,
                                         finishGreen, finishBlue, durationMs, infinite));
}

bool HostFollowingLighting::stopEffectsOnKey(int32_t keyName) {
    shown_.pulses.erase(keyName);
    return forward(inner_.stopEffectsOnKey(keyName));
}

void HostFollowingLighting::shutdown() {
    following_ = false;
    up_ = false;
    shown_ = {};
    inner_.shutdown();
}

bool HostFollowingLighting::forward(bool ok) {
    up_ = ok;
    if (!ok && following_) return reconnect();
    return ok;
}

void HostFollowingLighting::scheduleCheck() {
    if (checkPending_ || !following_) return;
    checkPending_ = true;
    loop_.after(kCheckSeconds, [this] {
        checkPending_ = false;
        check();
        scheduleCheck();
    });
}

void HostFollowingLighting::check() {
    if (!following_) return;
    // Running pulses write from the library's own timers, out of our sight: a cheap command
    // tells whether the host is still there. Otherwise the next command of the application
    // finds out, and only a host missing since start needs looking for.
    if (up_ && !shown_.pulses.empty()) up_ = !inner_.setTargetDevice(shown_.target.value_or(4));
    if (!up_) reconnect();
}

bool HostFollowingLighting::reconnect() {
    const double now = loop_.now();
    if (now - lastAttempt_ < kRetrySeconds || !hostListening_()) return false;
    lastAttempt_ = now;
    inner_.shutdown();
    if (!inner_.init()) return false;
    up_ = true;
    if (log_)
        log_->appendLine("Corvane host software (corvane-host) found again: lighting restored.");
    replay();
    return up_;
}

void HostFollowingLighting::replay() {
    const Shown& s = shown_;
    bool ok = true;
    if (s.target) ok = !inner_.setTargetDevice(*s.target) && ok;
    if (s.whole) ok = inner_.setLighting(s.whole->red, s.whole->green, s.whole->blue) && ok;
    if (s.bitmap) ok = inner_.setLightingFromBitmap(s.bitmap->data()) && ok;
    for (const auto& [key, c] : s.keys)
        ok = inner_.setLightingForKey(key, c.red, c.green, c.blue) && ok;
    for (const auto& [key, p] : s.pulses)
        ok = inner_.pulseSingleKey(key, p.start.red, p.start.green, p.start.blue, p.finish.red,
                                   p.finish.green, p.finish.blue, p.durationMs, true) &&
             ok;
    up_ = ok;
}

} // namespace et
