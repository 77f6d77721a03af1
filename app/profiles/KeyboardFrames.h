#pragma once
// Turns the color profile in use into what the keyboard shows. Holds the working copy of
// one profile (colors, key map, cooldown flag) and a pre-built lighting bitmap for each of
// the nine profiles, and sends whole-keyboard colors, bitmaps and the eleven keys that have
// no bitmap cell through Lighting. The lighting director, the cooldown display and the
// color programmer all compose and send their frames through this class.
//
// Main thread only. Results of Lighting calls are not looked at: a keyboard that is not
// listening simply stays as it was.
#include "CanvasModel.h"
#include "ColorTable.h"
#include "KeyGrid.h"
#include "Lighting.h"
#include "ProfileStore.h"

#include <array>
#include <cstdint>
#include <set>

namespace et {

// Target devices: 7 is every device, 4 the per-key devices only.
inline constexpr int kAllDevices = 7;
inline constexpr int kPerKeyDevices = 4;

class KeyboardFrames {
  public:
    // `canvas` receives the cooldown flag of every profile that is loaded, as the color
    // programmer shows the profile loaded last.
    KeyboardFrames(Lighting& lighting, ProfileStore& store, CanvasModel& canvas);

    // The working color set: the profile loaded last. Index 1 is the cooldown color,
    // index 4 color A.
    ColorSet keyboardColorSet;
    // Color index by key identifier for the profile loaded last.
    KeyMap keyToColorMap;
    // Lighting bitmap of profile n at index n (index 0 unused here).
    std::array<LightingBitmap, kProfileCount + 1> keyboardColorBitmap;
    // Entry 0: the working profile shows action-bar cooldowns; entry n: profile n's flag as
    // last loaded, i.e. whether its bitmap carries cooldown colors.
    std::array<bool, kProfileCount + 1> useSpellCooldowns{};
    // Key identifiers now shown as on cooldown.
    std::set<int32_t> dimmedKeys;
    // The single-color mode setting; read at every setAllKeys.
    bool useSingleColorMode = false;

    // The color `keyMap` gives `keyId`. A key beyond the map or an element that is not a
    // color index wears color A, so a damaged map can never index outside the set.
    static const Color& mappedColor(const ColorSet& colorSet, const KeyMap& keyMap, int32_t keyId);

    // A bitmap with every byte 0xFF and each grid key's cell in its mapped color.
    static LightingBitmap composeBitmap(const ColorSet& colorSet, const KeyMap& keyMap);
    // As composeBitmap, but with `showCooldowns` the keys in `dimmed` wear color 1.
    static LightingBitmap composeProfileBitmap(const ColorSet& colorSet, const KeyMap& keyMap,
                                               bool showCooldowns, const std::set<int32_t>& dimmed);

    // The whole keyboard in one color: target device 7 in single-color mode, else 4, then
    // the color in percent.
    void setAllKeys(const Color& color);

    // Lights one of the eleven extra keys (id 512–522, sent as `keyName`) from the working
    // set and map, in the cooldown color while it is dimmed and cooldowns are shown.
    void setExtraKeyColor(int32_t keyId, int32_t keyName);

    // Sends profile `profile`'s bitmap (0–9), then lights the eleven extra keys from the
    // working profile, whichever profile's bitmap was sent. Other indices send nothing.
    void showColorProfile(int profile);

    // Makes profile `profile` (1–9) the working one and rebuilds its bitmap with the dimmed
    // keys in the cooldown color when the profile shows cooldowns. Sends nothing: the
    // caller follows with showColorProfile. Other numbers are ignored.
    void selectColorProfile(int profile);

    // As selectColorProfile, but the bitmap is built without cooldown colors.
    void loadColorProfile(int profile);

    // Loads profiles 9 down to 1: every bitmap is built and profile 1 is the working one.
    void loadAllColorProfiles();

  private:
    // Steps shared by both loads: working set, map and flag from the store.
    bool loadWorkingProfile(int profile);

    Lighting& lighting_;
    ProfileStore& store_;
    CanvasModel& canvas_;
};

} // namespace et
