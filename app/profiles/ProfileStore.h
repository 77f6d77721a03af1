#pragma once
// The nine color profiles as they live in the user's defaults: 13 colors, a key map and a
// cooldown flag each, under the key stem followed by the profile number ("colorAColor3").
// Loading never fails: whatever is missing or malformed reads as its default.
#include "ColorTable.h"
#include "Defaults.h"

#include <string>
#include <string_view>
#include <vector>

namespace et {

inline constexpr std::string_view kKeyMapStem = "savedKeyToColorMap";
inline constexpr std::string_view kCooldownFlagStem = "useActionBarCooldowns";

class ProfileStore {
  public:
    explicit ProfileStore(Defaults& defaults) : defaults_(defaults) {}

    Defaults& defaults() const { return defaults_; }

    // stem + the profile number in decimal.
    static std::string keyFor(std::string_view stem, int profile);
    // The 15 settings keys of a profile.
    static std::vector<std::string> profileKeys(int profile);

    // The stored color (components held to 0–1), or `fallback` when absent or unreadable.
    Color loadNamedColor(std::string_view stem, int profile, const Color& fallback) const;
    void loadProfileColors(ColorSet& colorSet, int profile) const;
    void saveProfileColors(const ColorSet& colorSet, int profile);

    // Replaces `keyMap` by the stored map, or, when none is stored, sets the keyboard's keys
    // to the default map and leaves the other elements as they were. Either way the result
    // has an element for every key identifier: a map shorter than 512 grows to 529 elements,
    // one of 512–527 elements to 528, the new elements 4 (color A). A stored element that is
    // not a color index takes the default map's value.
    void loadKeyToColorMap(KeyMap& keyMap, int profile) const;
    void saveKeyToColorMap(const KeyMap& keyMap, int profile);

    // False when absent or unreadable.
    bool loadCooldownFlag(int profile) const;
    void saveCooldownFlag(int profile, bool on);

    // Applies the default color of every key of the keyboard to the present elements.
    static void applyDefaultKeyMap(KeyMap& keyMap);
    // The default map of a profile that was never saved: 529 elements.
    static KeyMap defaultKeyToColorMap();

  private:
    Defaults& defaults_;
};

} // namespace et
