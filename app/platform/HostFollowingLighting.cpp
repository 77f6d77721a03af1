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
    target_ = device;
    const bool result = inner_.setTargetDevice(device);
    forward(!result);
    return result;
}

bool HostFollowingLighting::setLighting(int red, int green, int blue) {
    whole_ = Rgb{red, green, blue};
    bitmap_.reset();
    keys_.clear();
    return forward(inner_.setLighting(red, green, blue));
}

bool HostFollowingLighting::setLightingFromBitmap(const unsigned char* bitmap) {
    if (bitmap) {
        bitmap_.emplace();
        std::memcpy(bitmap_->data(), bitmap, bitmap_->size());
        std::erase_if(keys_, [](const auto& entry) { return isGridKey(entry.first); });
    }
    return forward(inner_.setLightingFromBitmap(bitmap));
}

bool HostFollowingLighting::setLightingForKey(int32_t keyName, int red, int green, int blue) {
    keys_[keyName] = Rgb{red, green, blue};
    return forward(inner_.setLightingForKey(keyName, red, green, blue));
}

bool HostFollowingLighting::pulseSingleKey(int32_t keyName, int startRed, int startGreen,
                                           int startBlue, int finishRed, int finishGreen,
                                           int finishBlue, int durationMs, bool infinite) {
    // A finite pulse ends by itself; only endless ones must come back after a reconnection.
    if (infinite)
        pulses_[keyName] = Pulse{
            {startRed, startGreen, startBlue}, {finishRed, finishGreen, finishBlue}, durationMs};
    else
        pulses_.erase(keyName);
    return forward(inner_.pulseSingleKey(keyName, startRed, startGreen, startBlue, finishRed,
                                         finishGreen, finishBlue, durationMs, infinite));
}

bool HostFollowingLighting::stopEffectsOnKey(int32_t keyName) {
    pulses_.erase(keyName);
    return forward(inner_.stopEffectsOnKey(keyName));
}

void HostFollowingLighting::shutdown() {
    following_ = false;
    up_ = false;
    target_.reset();
    whole_.reset();
    bitmap_.reset();
    keys_.clear();
    pulses_.clear();
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
    if (up_ && !pulses_.empty()) up_ = !inner_.setTargetDevice(target_.value_or(4));
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
    bool ok = true;
    if (target_) ok = !inner_.setTargetDevice(*target_) && ok;
    if (whole_) ok = inner_.setLighting(whole_->red, whole_->green, whole_->blue) && ok;
    if (bitmap_) ok = inner_.setLightingFromBitmap(bitmap_->data()) && ok;
    for (const auto& [key, c] : keys_)
        ok = inner_.setLightingForKey(key, c.red, c.green, c.blue) && ok;
    for (const auto& [key, p] : pulses_)
        ok = inner_.pulseSingleKey(key, p.start.red, p.start.green, p.start.blue, p.finish.red,
                                   p.finish.green, p.finish.blue, p.durationMs, true) &&
             ok;
    up_ = ok;
}

} // namespace et
