// Frame composition and the profile operations on top of it: the bytes each cell gets,
// cooldown colors, what reaches the keyboard, and what saving leaves in the store and the
// working state (switching, copying and reloading are driven through the windows' tests).
#include "ColorCells.h"
#include "KeyboardFrames.h"
#include "ColorProfiles.h"
#include "KeyList.h"
#include "MemoryDefaults.h"
#include "RecordingLighting.h"

#include <CorvaneLED.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace et;
using et::test::LightingCall;
using et::test::RecordingLighting;
using ::testing::ElementsAre;

namespace {

std::vector<int> cellBytes(const LightingBitmap& b, int32_t keyName) {
    const int o = *keyCellOffset(keyName);
    return {b[o], b[o + 1], b[o + 2], b[o + 3]};
}

struct KeyboardFramesTest : ::testing::Test {
    MemoryDefaults defaults;
    ProfileStore store{defaults};
    CanvasModel canvas;
    RecordingLighting lighting;
    KeyboardFrames frames{lighting, store, canvas};
    int activeProfile = 1;
    ColorProfiles profiles{frames, store, canvas, activeProfile};

    // A profile whose every color is distinct and whose map is the default one.
    void storeProfile(int n, double shade, bool cooldowns) {
        ColorSet set;
        for (int i = 0; i < kColorCount; ++i)
            set[i] = {shade, i / 12.0, 1.0 - shade, 1.0};
        store.saveProfileColors(set, n);
        store.saveKeyToColorMap(ProfileStore::defaultKeyToColorMap(), n);
        store.saveCooldownFlag(n, cooldowns);
    }
};

} // namespace

TEST_F(KeyboardFramesTest, ComposedCellsAndCooldownColors) {
    ColorSet set = defaultColorSet();
    set[kColorD] = {1.0, 0.5, 0.0, 1.0};
    set[kCooldownColor] = {0.2, 0.4, 0.6, 1.0};
    KeyMap map(528, kColorG);
    map[CLK_Escape] = kColorD;
    map[CLK_A] = -4; // elements outside 0–12 wear color A
    map[CLK_W] = 99;
    const LightingBitmap b = KeyboardFrames::composeBitmap(set, map);
    EXPECT_THAT(cellBytes(b, CLK_Escape), ElementsAre(0, 127, 255, 255));
    EXPECT_THAT(cellBytes(b, CLK_KeypadPlus), ElementsAre(0, 0, 0, 255));
    EXPECT_THAT(cellBytes(b, CLK_A), ElementsAre(255, 255, 0, 255));
    EXPECT_EQ(cellBytes(b, CLK_W), cellBytes(b, CLK_A));
    EXPECT_EQ(cellBytes(KeyboardFrames::composeBitmap(set, KeyMap{kColorD}), CLK_Z),
              cellBytes(b, CLK_A))
        << "a map too short for the key";
    LightingBitmap keysBlanked = b;
    for (const KeyCell& c : keyCells())
        std::fill_n(keysBlanked.begin() + c.offset(), 4, 0xFF);
    EXPECT_EQ(keysBlanked, blankBitmap()) << "bytes outside the key cells stay 0xFF";

    // Only the dimmed key with a cell changes, and only while cooldowns are shown.
    const std::set<int32_t> dimmed{CLK_1, CLK_P3, 514};
    LightingBitmap expected = b;
    paintKey(expected, CLK_1, set[kCooldownColor]);
    EXPECT_EQ(KeyboardFrames::composeProfileBitmap(set, map, true, dimmed), expected);
    EXPECT_THAT(cellBytes(expected, CLK_1), ElementsAre(153, 102, 51, 255));
    EXPECT_EQ(KeyboardFrames::composeProfileBitmap(set, map, false, dimmed), b);
}

TEST_F(KeyboardFramesTest, WhatReachesTheKeyboard) {
    frames.setAllKeys({1.0, 0.5, 0.0, 1.0});
    frames.useSingleColorMode = true;
    frames.setAllKeys({0.3, 0.999, 0.0, 1.0});
    // Extra keys wear the cooldown color only while cooldowns are shown.
    frames.keyboardColorSet = defaultColorSet();
    frames.keyToColorMap = ProfileStore::defaultKeyToColorMap();
    frames.dimmedKeys = {516};
    frames.setExtraKeyColor(516, CLK_P5);
    frames.useSpellCooldowns[0] = true;
    frames.setExtraKeyColor(516, CLK_P5);
    frames.setExtraKeyColor(517, CLK_P6);
    EXPECT_EQ(lighting.calls,
              (std::vector<LightingCall>{{"setTargetDevice", {4}, {}},
                                         {"setLighting", {100, 50, 0}, {}},
                                         {"setTargetDevice", {7}, {}},
                                         {"setLighting", {30, 99, 0}, {}},
                                         {"setLightingForKey", {CLK_P5, 40, 30, 40}, {}},
                                         {"setLightingForKey", {CLK_P5, 30, 0, 0}, {}},
                                         {"setLightingForKey", {CLK_P6, 40, 30, 40}, {}}}));

    // A profile's bitmap goes out with the working profile's extra-key colors (H).
    storeProfile(2, 0.2, false);
    storeProfile(5, 0.8, false);
    frames.loadColorProfile(2);
    frames.loadColorProfile(5);
    lighting.clear();
    frames.showColorProfile(2);
    ASSERT_EQ(lighting.calls.size(), 12u);
    EXPECT_TRUE(std::equal(frames.keyboardColorBitmap[2].begin(),
                           frames.keyboardColorBitmap[2].end(), lighting.calls[0].bitmap.begin()));
    EXPECT_NE(frames.keyboardColorBitmap[2], frames.keyboardColorBitmap[5]);
    const int64_t names[] = {0xFFF1, 0xFFF2, 0xFFF3, 0xFFF4,  0xFFF5, 0xFFF6,
                             0xFFF7, 0xFFF8, 0xFFF9, 0xFFFF1, 0xFFFF2};
    const Color h = frames.keyboardColorSet[kColorH];
    for (size_t i = 0; i < std::size(names); ++i)
        EXPECT_EQ(lighting.calls[i + 1],
                  (LightingCall{"setLightingForKey",
                                {names[i], h.redPercent(), h.greenPercent(), h.bluePercent()},
                                {}}));
    EXPECT_EQ(h.redPercent(), 80);
    for (int n : {-1, 0, 9, 10}) { // bitmap 0 exists (unused); -1 and 10 do not
        lighting.clear();
        frames.showColorProfile(n);
        EXPECT_EQ(lighting.calls.size(), n == 0 || n == 9 ? 12u : 0u) << n;
    }
}

TEST_F(KeyboardFramesTest, SelectingAndLoadingProfiles) {
    storeProfile(3, 0.5, true);
    frames.dimmedKeys = {CLK_Escape};
    frames.selectColorProfile(3);
    EXPECT_TRUE(frames.useSpellCooldowns[0] && frames.useSpellCooldowns[3]);
    EXPECT_TRUE(canvas.usingActionbarCooldowns);
    const Color cool = frames.keyboardColorSet[kCooldownColor];
    EXPECT_EQ(cellBytes(frames.keyboardColorBitmap[3], CLK_Escape),
              (std::vector<int>{cool.blueByte(), cool.greenByte(), cool.redByte(), 255}));
    frames.loadColorProfile(3);
    EXPECT_EQ(frames.keyboardColorBitmap[3],
              KeyboardFrames::composeBitmap(frames.keyboardColorSet, frames.keyToColorMap))
        << "loading builds the bitmap without cooldown colors";

    for (int n = 1; n <= 9; ++n)
        storeProfile(n, n / 10.0, n % 2 == 0);
    frames.loadAllColorProfiles();
    EXPECT_EQ(frames.keyboardColorSet[kColorA].red, 0.1) << "profile 1 is loaded last";
    EXPECT_FALSE(canvas.usingActionbarCooldowns);
    for (int n = 1; n <= 9; ++n) {
        EXPECT_EQ(frames.useSpellCooldowns[n], n % 2 == 0);
        EXPECT_EQ(frames.keyboardColorBitmap[n][2], Color::toByte(n / 10.0)) << n;
    }
    const auto bitmaps = frames.keyboardColorBitmap;
    for (int n : {0, 10}) { // no such profiles
        frames.selectColorProfile(n);
        frames.loadColorProfile(n);
    }
    EXPECT_EQ(frames.keyboardColorBitmap, bitmaps);
    EXPECT_EQ(frames.keyboardColorSet[kColorA].red, 0.1);
    EXPECT_TRUE(lighting.calls.empty());
}

TEST_F(KeyboardFramesTest, SavingProfiles) {
    frames.loadColorProfile(3);
    const ColorSet working = frames.keyboardColorSet;
    canvas.keyColorSet = defaultColorSet(); // the player's edits
    canvas.keyColorSet[kColorA] = {0.3, 0.25, 0.75, 1.0};
    canvas.keysToColors = ProfileStore::defaultKeyToColorMap();
    canvas.keysToColors[CLK_Escape] = kColorJ;
    frames.useSpellCooldowns[0] = true;
    for (int n = 0; n <= 10; ++n)
        profiles.saveColorProfile(n);
    EXPECT_EQ(frames.keyboardColorSet, working) << "the working set is kept";
    EXPECT_EQ(frames.keyboardColorBitmap[3],
              KeyboardFrames::composeBitmap(canvas.keyColorSet, canvas.keysToColors));
    // Profiles 0 and 10 do not exist: only 1–9 are written, fifteen values each.
    EXPECT_EQ(defaults.values().size(), 9u * 15);
    EXPECT_FALSE(defaults.contains("colorAColor0") || defaults.contains("colorAColor10"));
}
