// Profile operations: what saving, switching and copying leave in the store and in the
// working state, and the exact settings keys the nine profiles occupy.
#include "ColorProfiles.h"
#include "MemoryDefaults.h"
#include "RecordingLighting.h"

#include <CorvaneLED.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace et;
using et::test::LightingCall;
using et::test::RecordingLighting;

namespace {

struct ColorProfilesTest : ::testing::Test {
    MemoryDefaults defaults;
    ProfileStore store{defaults};
    CanvasModel canvas;
    RecordingLighting lighting;
    KeyboardFrames frames{lighting, store, canvas};
    ColorProfiles profiles{frames, store, canvas};

    void editCanvas(double shade, int escColor) {
        canvas.keyColorSet = defaultColorSet();
        canvas.keyColorSet[kColorA] = {shade, 0.25, 0.75, 1.0};
        canvas.keysToColors = ProfileStore::defaultKeyToColorMap();
        canvas.keysToColors[CLK_Escape] = escColor;
    }

    // Everything stored under a profile's 15 keys, for comparing two profiles.
    std::vector<MemoryDefaults::Value> record(int n) const {
        std::vector<MemoryDefaults::Value> out;
        for (const auto& key : ProfileStore::profileKeys(n)) {
            auto it = defaults.values().find(key);
            if (it != defaults.values().end()) out.push_back(it->second);
        }
        return out;
    }
};

} // namespace

TEST_F(ColorProfilesTest, SavingStoresTheCanvasButKeepsTheWorkingSet) {
    frames.loadColorProfile(3);
    const ColorSet working = frames.keyboardColorSet;
    editCanvas(0.5, kColorL);
    frames.useSpellCooldowns[0] = true;
    profiles.saveColorProfile(3);

    EXPECT_EQ(frames.keyboardColorSet, working);
    EXPECT_TRUE(canvas.usingActionbarCooldowns);
    EXPECT_EQ(frames.keyboardColorBitmap[3],
              KeyboardFrames::composeBitmap(canvas.keyColorSet, canvas.keysToColors));
    EXPECT_TRUE(lighting.calls.empty());

    frames.loadColorProfile(3);
    EXPECT_EQ(frames.keyboardColorSet[kColorA], (Color{0.5, 0.25, 0.75, 1.0}));
    EXPECT_EQ(frames.keyToColorMap[CLK_Escape], kColorL);
    EXPECT_TRUE(frames.useSpellCooldowns[3]);
}

TEST_F(ColorProfilesTest, NineSavedProfilesOccupyExactlyTheir135Keys) {
    editCanvas(0.1, kColorB);
    for (int n = 1; n <= 9; ++n)
        profiles.saveColorProfile(n);
    std::set<std::string> expected;
    for (int n = 1; n <= 9; ++n) {
        const std::string d = std::to_string(n);
        for (const char* stem :
             {"colorIColor", "OnCooldownNumberKeyColor", "colorJColor", "colorKColor",
              "colorAColor", "colorBColor", "colorCColor", "colorDColor", "colorEColor",
              "colorFColor", "colorGColor", "colorHColor", "colorLColor", "savedKeyToColorMap",
              "useActionBarCooldowns"})
            expected.insert(stem + d);
    }
    ASSERT_EQ(expected.size(), 135u);
    std::set<std::string> stored;
    for (const auto& [key, value] : defaults.values())
        stored.insert(key);
    EXPECT_EQ(stored, expected);
    profiles.saveColorProfile(0);
    profiles.saveColorProfile(10);
    EXPECT_EQ(defaults.values().size(), 135u);
}

TEST_F(ColorProfilesTest, CopyMakesTheTargetActiveAndEqualToTheSource) {
    editCanvas(0.3, kColorJ);
    frames.useSpellCooldowns[0] = true;
    profiles.saveColorProfile(2);
    editCanvas(0.9, kColorD);
    frames.useSpellCooldowns[0] = false;
    profiles.saveColorProfile(5);
    profiles.activeColorProfile = 2;
    profiles.profileTouched = true;

    ASSERT_TRUE(profiles.copyColorProfile(2, 5));
    EXPECT_EQ(profiles.activeColorProfile, 5);
    EXPECT_EQ(record(5), record(2));
    EXPECT_EQ(record(5).size(), 15u);
    EXPECT_TRUE(frames.useSpellCooldowns[0]);
    EXPECT_TRUE(frames.useSpellCooldowns[5]);
    EXPECT_EQ(frames.keyToColorMap[CLK_Escape], kColorJ);
    EXPECT_EQ(canvas.keyColorSet, frames.keyboardColorSet);
    EXPECT_FALSE(profiles.profileTouched);

    EXPECT_FALSE(profiles.copyColorProfile(0, 5));
    EXPECT_FALSE(profiles.copyColorProfile(5, 10));
    EXPECT_EQ(profiles.activeColorProfile, 5);
}

TEST_F(ColorProfilesTest, CopyProposesTheNextProfile) {
    EXPECT_EQ(ColorProfiles::proposedCopyTarget(1), 2);
    EXPECT_EQ(ColorProfiles::proposedCopyTarget(8), 9);
    EXPECT_EQ(ColorProfiles::proposedCopyTarget(9), 1);
}

TEST_F(ColorProfilesTest, SwitchingLoadsIntoIndependentCanvasCopies) {
    editCanvas(0.6, kColorK);
    profiles.saveColorProfile(4);
    profiles.profileTouched = true;
    EXPECT_FALSE(profiles.switchToProfile(1)) << "already active";
    EXPECT_TRUE(profiles.profileTouched);

    ASSERT_TRUE(profiles.switchToProfile(4));
    EXPECT_EQ(profiles.activeColorProfile, 4);
    EXPECT_FALSE(profiles.profileTouched);
    EXPECT_EQ(canvas.keysToColors[CLK_Escape], kColorK);
    canvas.keysToColors[CLK_Escape] = kColorG;
    canvas.keyColorSet[kColorA] = Color::white();
    EXPECT_EQ(frames.keyToColorMap[CLK_Escape], kColorK) << "edits stay on the canvas";
    EXPECT_EQ(frames.keyboardColorSet[kColorA].red, 0.6);
    EXPECT_TRUE(lighting.calls.empty()) << "nothing sent outside single-color mode";
    EXPECT_FALSE(profiles.switchToProfile(10));
}

TEST_F(ColorProfilesTest, SingleColorModeShowsColorAWhenTheCanvasTakesAProfile) {
    editCanvas(0.5, kColorA);
    profiles.saveColorProfile(6);
    frames.useSingleColorMode = true;
    profiles.switchToProfile(6);
    EXPECT_EQ(lighting.calls, (std::vector<LightingCall>{{"setTargetDevice", {7}, {}},
                                                         {"setLighting", {50, 25, 75}, {}}}));
}

TEST_F(ColorProfilesTest, ReloadAfterImportLoadsEveryProfileAndTheActiveOneLast) {
    for (int n = 1; n <= 9; ++n) {
        editCanvas(n / 10.0, kColorA);
        profiles.saveColorProfile(n);
    }
    frames.keyboardColorBitmap.fill(blankBitmap());
    profiles.activeColorProfile = 7;
    profiles.profileTouched = true;
    profiles.reloadAfterImport();
    EXPECT_EQ(frames.keyboardColorSet[kColorA].red, 0.7);
    EXPECT_EQ(canvas.keyColorSet[kColorA].red, 0.7);
    EXPECT_FALSE(profiles.profileTouched);
    for (int n = 1; n <= 9; ++n)
        EXPECT_NE(frames.keyboardColorBitmap[n], blankBitmap()) << n;
}
