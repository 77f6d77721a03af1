#include "KeyLedger.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace et {

KeyLedger::KeyLedger(Lighting& lighting, RunLoop& runLoop)
    : lighting_(lighting), clock_(runLoop), timers_(runLoop) {}

void KeyLedger::setColor(int32_t key, const Color& color) {
    lighting_.setLightingForKey(key, color.redPercent(), color.greenPercent(), color.bluePercent());
}

void KeyLedger::pulse(int32_t key, const Pulse& p) {
    if (key == held_) return;
    keys_[key].pulse = p;
    lighting_.pulseSingleKey(key, p.red, p.green, p.blue, p.finishRed, p.finishGreen, p.finishBlue,
                             p.periodMs, true);
}

void KeyLedger::flash(int32_t key, int red, int green, int blue, int durationMs, int intervalMs) {
    lighting_.flashSingleKey(key, red, green, blue, durationMs, intervalMs);
    const int interval = std::max(intervalMs, 1);
    // Ticks come every interval from now; the first one with no time left restores.
    const int64_t ticks = (int64_t{std::max(durationMs, 0)} + interval - 1) / interval;
    const double end = durationMs == 0 ? std::numeric_limits<double>::infinity()
                                       : clock_.now() + double(ticks) * interval / 1000.0;
    keys_[key].flash = Flash{end, interval / 1000.0, false};
}

bool KeyLedger::stopFlashRecord(Key& key) const {
    if (!key.flash || key.flash->stopped || clock_.now() >= key.flash->end) return false;
    key.flash->stopped = true;
    key.flash->end = std::min(key.flash->end, clock_.now() + key.flash->interval);
    return true;
}

void KeyLedger::recordStop(Key& key) {
    if (!stopFlashRecord(key)) key.pulse.reset();
}

void KeyLedger::stop(int32_t key) {
    lighting_.stopEffectsOnKey(key);
    recordStop(keys_[key]);
}

double KeyLedger::stopPulse(int32_t key) {
    if (!flashRunning(key)) {
        stop(key);
        // A flash told to stop before still restores what it saved, after the pulse.
        return std::max(kTickSlack, restoreDueIn(key));
    }
    const double wait = keys_[key].flash->interval + kTickSlack;
    stop(key);
    timers_.after(wait, [this, key] {
        if (!pulseDue(key)) stopPulse(key);
    });
    return wait + kTickSlack;
}

void KeyLedger::stopFlash(int32_t key) {
    stop(key);
    if (const auto p = pulseOn(key); p && pulseDue(key)) pulse(key, *p);
}

void KeyLedger::flashesStopped() {
    for (auto& entry : keys_)
        stopFlashRecord(entry.second);
}

void KeyLedger::afterRestore(int32_t key, std::function<void()> fn) {
    if (const double due = restoreDueIn(key); due > 0.0) timers_.after(due, std::move(fn));
}

void KeyLedger::hold(int32_t key, int red, int green, int blue, int intervalMs) {
    const bool pulsing = pulseDue(key);
    held_ = key;
    if (pulsing) stop(key);
    lighting_.flashSingleKey(key, red, green, blue, 0, intervalMs);
}

int32_t KeyLedger::release() {
    const int32_t key = std::exchange(held_, 0);
    if (key != 0) lighting_.stopEffectsOnKey(key);
    return key;
}

bool KeyLedger::flashRunning(int32_t key) const {
    const auto it = keys_.find(key);
    if (it == keys_.end() || !it->second.flash) return false;
    const Flash& flash = *it->second.flash;
    return !flash.stopped && clock_.now() < flash.end;
}

double KeyLedger::restoreDueIn(int32_t key) const {
    const auto it = keys_.find(key);
    if (it == keys_.end() || !it->second.flash || clock_.now() >= it->second.flash->end) return 0.0;
    return it->second.flash->end - clock_.now() + kTickSlack;
}

std::optional<KeyLedger::Pulse> KeyLedger::pulseOn(int32_t key) const {
    const auto it = keys_.find(key);
    return it == keys_.end() ? std::nullopt : it->second.pulse;
}

} // namespace et
