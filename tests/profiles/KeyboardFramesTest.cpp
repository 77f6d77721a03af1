// Frame composition: the bytes that reach each cell, cooldown dimming, what goes to the
// keyboard for a profile, and how loading a profile fills the working state.
#include "KeyboardFrames.h"
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

TEST_F(KeyboardFramesTest, StartState) {
    for (const Color& c : frames.keyboardColorSet)
        EXPECT_EQ(c, Color::cyan());
    EXPECT_EQ(frames.keyToColorMap, KeyMap(528, kColorA));
    for (const auto& b : frames.keyboardColorBitmap)
        EXPECT_EQ(b, blankBitmap());
    for (bool f : frames.useSpellCooldowns)
        EXPECT_FALSE(f);
    EXPECT_TRUE(frames.dimmedKeys.empty());
    EXPECT_TRUE(lighting.calls.empty());
}

TEST_F(KeyboardFramesTest, ComposedCellsCarryTheMappedColorAndOthersStayWhite) {
    ColorSet set = defaultColorSet();
    set[kColorD] = {1.0, 0.5, 0.0, 1.0};
    KeyMap map(528, kColorG);
    map[CLK_Escape] = kColorD;
    const LightingBitmap b = KeyboardFrames::composeBitmap(set, map);
    EXPECT_THAT(cellBytes(b, CLK_Escape), ElementsAre(0, 127, 255, 255));
    EXPECT_THAT(cellBytes(b, CLK_KeypadPlus), ElementsAre(0, 0, 0, 255));

    std::vector<bool> isKeyCell(kBitmapBytes, false);
    for (const KeyCell& c : keyCells())
        for (int i = 0; i < 4; ++i)
            isKeyCell[c.offset() + i] = true;
    int untouched = 0;
    for (int i = 0; i < kBitmapBytes; ++i) {
        if (isKeyCell[i]) continue;
        EXPECT_EQ(b[i], 0xFF) << "byte " << i;
        ++untouched;
    }
    EXPECT_EQ(untouched, (126 - 104) * 4);
}

TEST_F(KeyboardFramesTest, DamagedMapsStillComposeFromTheThirteenColors) {
    ColorSet set = defaultColorSet();
    // The canvas starts with a one-element map; elements outside 0–12 may come from anywhere.
    const LightingBitmap tiny = KeyboardFrames::composeBitmap(set, KeyMap{kColorD});
    EXPECT_THAT(cellBytes(tiny, CLK_Z), ElementsAre(255, 255, 0, 255)); // color A
    KeyMap map(528, 99);
    map[CLK_A] = -4;
    const LightingBitmap b = KeyboardFrames::composeBitmap(set, map);
    EXPECT_EQ(cellBytes(b, CLK_A), cellBytes(tiny, CLK_Z));
    EXPECT_EQ(cellBytes(b, CLK_Escape), cellBytes(tiny, CLK_Z));
}

TEST_F(KeyboardFramesTest, CooldownDimmingOnlyWhenShown) {
    ColorSet set = defaultColorSet();
    set[kCooldownColor] = {0.2, 0.4, 0.6, 1.0};
    const KeyMap map = ProfileStore::defaultKeyToColorMap();
    const std::set<int32_t> dimmed{CLK_1, CLK_P3, 514};
    const LightingBitmap shown = KeyboardFrames::composeProfileBitmap(set, map, true, dimmed);
    const LightingBitmap hidden = KeyboardFrames::composeProfileBitmap(set, map, false, dimmed);
    const LightingBitmap plain = KeyboardFrames::composeBitmap(set, map);
    EXPECT_THAT(cellBytes(shown, CLK_1), ElementsAre(153, 102, 51, 255));
    EXPECT_EQ(hidden, plain);
    LightingBitmap expected = plain;
    paintKey(expected, CLK_1, set[kCooldownColor]);
    EXPECT_EQ(shown, expected) << "only the dimmed key with a cell changes";
}

TEST_F(KeyboardFramesTest, SetAllKeysTargetsBySingleColorMode) {
    frames.setAllKeys({1.0, 0.5, 0.0, 1.0});
    frames.useSingleColorMode = true;
    frames.setAllKeys({0.3, 0.999, 0.0, 1.0});
    EXPECT_EQ(lighting.calls, (std::vector<LightingCall>{
                                  {"setTargetDevice", {4}, {}},
                                  {"setLighting", {100, 50, 0}, {}},
                                  {"setTargetDevice", {7}, {}},
                                  {"setLighting", {30, 99, 0}, {}},
                              }));
}

TEST_F(KeyboardFramesTest, ShowProfileSendsItsBitmapButWorkingExtraKeyColors) {
    storeProfile(2, 0.2, false);
    storeProfile(5, 0.8, false);
    frames.loadColorProfile(2);
    frames.loadColorProfile(5);
    lighting.clear();

    frames.showColorProfile(2);
    ASSERT_EQ(lighting.calls.size(), 12u);
    EXPECT_EQ(lighting.calls[0].name, "setLightingFromBitmap");
    const auto& sent = lighting.calls[0].bitmap;
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), frames.keyboardColorBitmap[2].begin()));
    EXPECT_NE(frames.keyboardColorBitmap[2], frames.keyboardColorBitmap[5]);

    const Color h5 = frames.keyboardColorSet[kColorH]; // P1–P9, logo, badge: color H
    ASSERT_EQ(h5.redPercent(), 80);
    const std::vector<int64_t> names{0xFFF1, 0xFFF2, 0xFFF3, 0xFFF4,  0xFFF5, 0xFFF6,
                                     0xFFF7, 0xFFF8, 0xFFF9, 0xFFFF1, 0xFFFF2};
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(lighting.calls[i + 1],
                  (LightingCall{"setLightingForKey",
                                {names[i], h5.redPercent(), h5.greenPercent(), h5.bluePercent()},
                                {}}));
    }
}

TEST_F(KeyboardFramesTest, ExtraKeysWearTheCooldownColorOnlyWhileShown) {
    frames.keyboardColorSet = defaultColorSet();
    frames.keyToColorMap = ProfileStore::defaultKeyToColorMap();
    frames.dimmedKeys = {516};
    frames.setExtraKeyColor(516, CLK_P5);
    frames.useSpellCooldowns[0] = true;
    frames.setExtraKeyColor(516, CLK_P5);
    frames.setExtraKeyColor(517, CLK_P6);
    EXPECT_EQ(lighting.calls, (std::vector<LightingCall>{
                                  {"setLightingForKey", {CLK_P5, 40, 30, 40}, {}},
                                  {"setLightingForKey", {CLK_P5, 30, 0, 0}, {}},
                                  {"setLightingForKey", {CLK_P6, 40, 30, 40}, {}},
                              }));
}

TEST_F(KeyboardFramesTest, SelectProfileDimsItsBitmapAndSendsNothing) {
    storeProfile(3, 0.5, true);
    frames.dimmedKeys = {CLK_Escape};
    canvas.usingActionbarCooldowns = false;
    frames.selectColorProfile(3);
    EXPECT_TRUE(lighting.calls.empty());
    EXPECT_TRUE(frames.useSpellCooldowns[0]);
    EXPECT_TRUE(frames.useSpellCooldowns[3]);
    EXPECT_TRUE(canvas.usingActionbarCooldowns);
    EXPECT_EQ(frames.keyboardColorSet[kColorB].red, 0.5);
    const Color cool = frames.keyboardColorSet[kCooldownColor];
    EXPECT_EQ(cellBytes(frames.keyboardColorBitmap[3], CLK_Escape),
              (std::vector<int>{cool.blueByte(), cool.greenByte(), cool.redByte(), 255}));

    frames.loadColorProfile(3);
    EXPECT_EQ(frames.keyboardColorBitmap[3],
              KeyboardFrames::composeBitmap(frames.keyboardColorSet, frames.keyToColorMap))
        << "loading builds the bitmap without cooldown colors";
}

TEST_F(KeyboardFramesTest, LoadingAllProfilesEndsOnProfileOne) {
    for (int n = 1; n <= 9; ++n)
        storeProfile(n, n / 10.0, n % 2 == 0);
    frames.loadAllColorProfiles();
    EXPECT_EQ(frames.keyboardColorSet[kColorA].red, 0.1);
    EXPECT_FALSE(frames.useSpellCooldowns[0]);
    EXPECT_FALSE(canvas.usingActionbarCooldowns);
    for (int n = 1; n <= 9; ++n) {
        EXPECT_EQ(frames.useSpellCooldowns[n], n % 2 == 0);
        EXPECT_EQ(frames.keyboardColorBitmap[n][2], Color::toByte(n / 10.0)) << n;
    }
    EXPECT_EQ(frames.keyboardColorBitmap[0], blankBitmap());
    EXPECT_TRUE(lighting.calls.empty());
}

TEST_F(KeyboardFramesTest, ProfileNumbersOutsideTheTableAreIgnored) {
    const auto setBefore = frames.keyboardColorSet;
    for (int n : {-1, 0, 10, 1000}) {
        frames.selectColorProfile(n);
        frames.loadColorProfile(n);
    }
    EXPECT_EQ(frames.keyboardColorSet, setBefore);
    frames.showColorProfile(10);
    frames.showColorProfile(-1);
    EXPECT_TRUE(lighting.calls.empty());
    frames.showColorProfile(0);
    EXPECT_EQ(lighting.calls.size(), 12u);
}
