#pragma once
// The virtual keyboard the host simulator keeps: what a real host would show after each
// message. Colors are kept in the units they arrived in (the application sends 0–100).
#include "HostMessage.h"
#include "KeyColor.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace hostsim {

using Rgb = et::PercentRgb;

struct Lighting {
    std::optional<Rgb> whole;                         // last whole-keyboard color
    std::optional<std::array<uint8_t, 504>> bitmap;   // last bitmap, as applied
    std::map<int32_t, Rgb> keys;                      // per-key colors set after those
    bool operator==(const Lighting&) const = default;
};

class KeyboardState {
public:
    void apply(const Message& message);

    // The color a key shows now in command units: its own color, else its bitmap cell
    // (bytes scaled to 0–100) when `cellOffset` >= 0, else the whole-keyboard color.
    std::optional<Rgb> keyColor(int32_t key, int cellOffset = -1) const;

    const Lighting& current() const { return current_; }
    const std::optional<Lighting>& saved() const { return saved_; }
    const std::map<int32_t, std::optional<Rgb>>& savedKeys() const { return savedKeys_; }
    int targetDevice() const { return targetDevice_; }
    bool initialized() const { return initialized_; }
    const std::vector<int32_t>& excludedKeys() const { return excluded_; }

private:
    Lighting current_;
    std::optional<Lighting> saved_;
    std::map<int32_t, std::optional<Rgb>> savedKeys_;
    std::vector<int32_t> excluded_;
    int targetDevice_ = -1;
    bool initialized_ = false;
};

} // namespace hostsim
