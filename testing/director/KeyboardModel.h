#pragma once
// What the keyboard shows, on the virtual clock: the host's state (a whole color, a bitmap,
// per-key colors and one saved slot per key) driven by the framework's single-key effects as
// the library runs them (a start saves the key unless an effect of that kind already runs
// there, a stop ends the key's flash before its pulse, the effect's next tick restores the
// saved slot). Flashes tick at their interval; a pulse is not stepped every 10 ms, it reads
// as a pulse for as long as it runs, which is what it looks like.
#include "KeyColor.h"
#include "KeyGrid.h"
#include "Lighting.h"
#include "VirtualRunLoop.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>

namespace et::test {

class KeyboardModel : public Lighting {
  public:
    explicit KeyboardModel(VirtualRunLoop& clock) : clock_(clock) {}

    // The key's color now; a running pulse shows its start color.
    PercentRgb keyColor(int32_t key) const {
        if (const auto p = pulses_.find(key); p != pulses_.end() && !p->second.stopping)
            return p->second.start;
        if (const auto k = keys_.find(key); k != keys_.end()) return k->second;
        if (const auto cell = keyCellOffset(key); cell && bitmap_) {
            const auto& b = *bitmap_;
            return {b[*cell + 2] * 100 / 255, b[*cell + 1] * 100 / 255, b[*cell] * 100 / 255};
        }
        return whole_;
    }
    // The start color of the pulse running on the key, if one runs and is not stopping.
    std::optional<PercentRgb> pulse(int32_t key) const {
        const auto p = pulses_.find(key);
        if (p == pulses_.end() || p->second.stopping) return std::nullopt;
        return p->second.start;
    }
    bool flashing(int32_t key) const { return flashes_.count(key) != 0; }

    bool init() override { return true; }
    bool getSdkVersion(int& major, int& minor, int& build) override {
        major = 1, minor = 2, build = 0;
        return true;
    }
    bool setTargetDevice(int) override { return true; }
    bool setLighting(int r, int g, int b) override {
        whole_ = {r, g, b};
        bitmap_.reset();
        keys_.clear();
        return true;
    }
    bool stopEffects() override { return true; }
    bool setLightingFromBitmap(const unsigned char* bitmap) override {
        bitmap_.emplace();
        std::copy(bitmap, bitmap + bitmap_->size(), bitmap_->begin());
        std::erase_if(keys_, [](const auto& k) { return k.first >= 0 && k.first < 0x200; });
        return true;
    }
    bool setLightingForKey(int32_t key, int r, int g, int b) override {
        keys_[key] = {r, g, b};
        return true;
    }
    bool flashSingleKey(int32_t key, int r, int g, int b, int duration, int interval) override {
        if (!flashes_.count(key)) save(key);
        flashes_[key] = {{r, g, b},     interval, duration == 0 ? 1 : duration,
                         duration == 0, false,    ++serial_};
        tickFlash(key, serial_, 0.0);
        return true;
    }
    bool pulseSingleKey(int32_t key, int sr, int sg, int sb, int, int, int, int duration,
                        bool infinite) override {
        if (duration < 1) return false;
        if (!pulses_.count(key)) save(key);
        pulses_[key] = {{sr, sg, sb}, false, ++serial_};
        // A pulse that is not infinite ends by itself after two sweeps.
        if (!infinite) endPulse(key, serial_, 2.0 * duration / 1000.0);
        return true;
    }
    bool stopEffectsOnKey(int32_t key) override {
        // As the library does it: a flash already told to end lets a second stop reach
        // the pulse.
        if (auto f = flashes_.find(key);
            f != flashes_.end() && (f->second.infinite || f->second.remaining > 0)) {
            f->second.remaining = 0;
            f->second.infinite = false;
        } else if (auto p = pulses_.find(key); p != pulses_.end() && !p->second.stopping) {
            p->second.stopping = true;
            endPulse(key, p->second.serial, 0.01);
        }
        return true;
    }
    void shutdown() override {}

  private:
    struct Flash {
        PercentRgb color;
        int interval, remaining;
        bool infinite, on;
        uint64_t serial;
    };
    struct Pulse {
        PercentRgb start;
        bool stopping;
        uint64_t serial;
    };

    // The host saves what the key was last set to; a running pulse sets it every tick.
    void save(int32_t key) {
        const auto k = keys_.find(key);
        saved_[key] = pulse(key)         ? pulse(key)
                      : k == keys_.end() ? std::nullopt
                                         : std::optional(k->second);
    }
    void restore(int32_t key) {
        if (const auto s = saved_.find(key); s != saved_.end() && s->second)
            keys_[key] = *s->second;
        else if (s != saved_.end())
            keys_.erase(key);
    }
    void tickFlash(int32_t key, uint64_t serial, double delay) {
        clock_.after(delay, [this, key, serial] {
            auto f = flashes_.find(key);
            if (f == flashes_.end() || f->second.serial != serial) return;
            Flash& flash = f->second;
            if (flash.remaining <= 0) {
                restore(key);
                flashes_.erase(f);
                return;
            }
            keys_[key] = flash.on ? PercentRgb{} : flash.color;
            if (!flash.infinite) flash.remaining -= flash.interval;
            flash.on = !flash.on;
            tickFlash(key, serial, std::max(flash.interval, 1) / 1000.0);
        });
    }
    void endPulse(int32_t key, uint64_t serial, double delay) {
        clock_.after(delay, [this, key, serial] {
            auto p = pulses_.find(key);
            if (p == pulses_.end() || p->second.serial != serial) return;
            pulses_.erase(p);
            restore(key);
        });
    }

    VirtualRunLoop& clock_;
    PercentRgb whole_;
    std::optional<std::array<unsigned char, 504>> bitmap_;
    std::map<int32_t, PercentRgb> keys_;
    std::map<int32_t, std::optional<PercentRgb>> saved_;
    std::map<int32_t, Flash> flashes_;
    std::map<int32_t, Pulse> pulses_;
    uint64_t serial_ = 0;
};

} // namespace et::test
