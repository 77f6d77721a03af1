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

// Which code a per-key command named its key by, other than a KeyName.
enum class KeyCode { scan, hid, quartz };

struct Lighting {
    std::optional<Rgb> whole;                       // last whole-keyboard color
    std::optional<std::array<uint8_t, 504>> bitmap; // last bitmap, as applied
    std::map<int32_t, Rgb> keys;                    // per-key colors set after those
    // Colors set by scan, HID or Quartz code, by KeyCode. A code names another key than the
    // KeyName of the same number, so these never light a KeyName's key.
    std::array<std::map<int32_t, Rgb>, 3> coded;
    bool operator==(const Lighting&) const = default;
};

// Only keys the host can show are kept, so no client grows the state past a few hundred
// entries: the KeyNames of the bitmap grid, P1-P9, the crest logo and the Talon Badge.
bool isShownKey(int32_t keyName);
// The codes of each kind a keyboard has: scan codes 0x000-0x1FF (0x100 + the E0-prefixed
// byte), HID keyboard usages below 0x100, Quartz virtual key codes below 0x80.
bool isKnownCode(KeyCode kind, int32_t code);

class KeyboardState {
  public:
    // False when the message named a key the host cannot show; nothing changed then.
    bool apply(const Message& message);

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
