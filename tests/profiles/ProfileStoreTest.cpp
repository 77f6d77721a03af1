// The profile store: defaults of a fresh installation, the default key map, stored maps of
// other lengths, and stored values that are damaged.
#include "ProfileStore.h"
#include "CanvasLayout.h"
#include "KeyboardFrames.h"
#include "MemoryDefaults.h"

#include <CorvaneLED.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace et;

namespace {

Color rgb(double r, double g, double b) {
    return {r, g, b, 1.0};
}

const Color& keyColor(const ColorSet& set, const KeyMap& map, int32_t id) {
    return KeyboardFrames::mappedColor(set, map, id);
}

struct ProfileStoreTest : ::testing::Test {
    MemoryDefaults defaults;
    ProfileStore store{defaults};
};

} // namespace

TEST_F(ProfileStoreTest, FreshInstallationColors) {
    for (int n = 1; n <= 9; ++n) {
        ColorSet set;
        set.fill(Color::white());
        store.loadProfileColors(set, n);
        EXPECT_EQ(set[kColorI], rgb(1.0, 0.5, 0.0));
        EXPECT_EQ(set[kCooldownColor], rgb(0.3, 0.0, 0.0));
        EXPECT_EQ(set[kColorJ], rgb(1.0, 0.0, 0.5));
        EXPECT_EQ(set[kColorK], rgb(0.0, 1.0, 0.5));
        EXPECT_EQ(set[kColorA], rgb(0.0, 1.0, 1.0));
        EXPECT_EQ(set[kColorB], rgb(1.0, 1.0, 0.0));
        EXPECT_EQ(set[kColorC], rgb(0.0, 1.0, 0.0));
        EXPECT_EQ(set[kColorD], rgb(1.0, 0.0, 0.0));
        EXPECT_EQ(set[kColorE], rgb(0.0, 0.0, 0.5));
        EXPECT_EQ(set[kColorF], rgb(1.0, 0.0, 1.0));
        EXPECT_EQ(set[kColorG], rgb(0.0, 0.0, 0.0));
        EXPECT_EQ(set[kColorH], rgb(0.4, 0.3, 0.4));
        EXPECT_EQ(set[kColorL], rgb(0.0, 0.5, 1.0));
        EXPECT_FALSE(store.loadCooldownFlag(n));
    }
    EXPECT_TRUE(defaults.values().empty()) << "loading must not write";
}

TEST_F(ProfileStoreTest, FreshInstallationKeyColors) {
    ColorSet set;
    store.loadProfileColors(set, 1);
    KeyMap map(528, 0);
    store.loadKeyToColorMap(map, 1);
    EXPECT_EQ(map.size(), 528u);
    EXPECT_EQ(keyColor(set, map, CLK_1), rgb(0.0, 0.0, 0.5));      // E
    EXPECT_EQ(keyColor(set, map, CLK_2), rgb(0.0, 0.5, 1.0));      // L
    EXPECT_EQ(keyColor(set, map, CLK_3), rgb(0.0, 1.0, 1.0));      // A
    EXPECT_EQ(keyColor(set, map, CLK_W), rgb(0.0, 1.0, 0.0));      // C
    EXPECT_EQ(keyColor(set, map, CLK_Escape), rgb(1.0, 1.0, 0.0)); // B
    EXPECT_EQ(keyColor(set, map, CLK_ScrollLock), Color::black()); // G
    EXPECT_EQ(keyColor(set, map, 516), rgb(0.4, 0.3, 0.4));        // P5: H
    EXPECT_EQ(map[CLK_Space], kColorK);
    EXPECT_EQ(map[CLK_Keypad0], kColorK);
    EXPECT_EQ(map[CLK_F5], kColorE);
    EXPECT_EQ(map[CLK_Application], kColorG);
    EXPECT_EQ(map[0], 0) << "ids without a key keep what the map held";
    EXPECT_EQ(map[527], 0);
}

TEST_F(ProfileStoreTest, DefaultMapColorsEveryKeyAndLeavesOthersAtA) {
    const KeyMap map = ProfileStore::defaultKeyToColorMap();
    ASSERT_EQ(map.size(), 529u);
    const std::set<int32_t> keys(canvasKeyIds().begin(), canvasKeyIds().end());
    std::map<int, int> perColor;
    for (int32_t id = 0; id < 529; ++id) {
        if (keys.count(id))
            ++perColor[map[id]];
        else
            EXPECT_EQ(map[id], kColorA) << id;
    }
    // Group sizes of the default layout: 4 A, 16 B, 8 C, 3 G, 35 H, 9 K, 4 L, the rest E.
    EXPECT_EQ(perColor[kColorA], 4);
    EXPECT_EQ(perColor[kColorB], 16);
    EXPECT_EQ(perColor[kColorC], 8);
    EXPECT_EQ(perColor[kColorG], 3);
    EXPECT_EQ(perColor[kColorH], 35);
    EXPECT_EQ(perColor[kColorK], 9);
    EXPECT_EQ(perColor[kColorL], 4);
    EXPECT_EQ(perColor[kColorE], 115 - 4 - 16 - 8 - 3 - 35 - 9 - 4);
}

TEST_F(ProfileStoreTest, ShortStoredMapGrowsWithColorA) {
    std::vector<int64_t> stored(350, kColorD);
    defaults.setIntArray("savedKeyToColorMap4", stored);
    KeyMap map;
    store.loadKeyToColorMap(map, 4);
    ASSERT_EQ(map.size(), 529u);
    for (int i = 0; i < 350; ++i)
        EXPECT_EQ(map[i], kColorD);
    for (int i = 350; i < 529; ++i)
        EXPECT_EQ(map[i], kColorA);

    defaults.setIntArray("savedKeyToColorMap5", std::vector<int64_t>(600, kColorC));
    store.loadKeyToColorMap(map, 5);
    EXPECT_EQ(map.size(), 600u) << "long maps keep their length";
}

TEST_F(ProfileStoreTest, MapsThatStopShortOfTheExtraKeysStillCoverThem) {
    // 512 elements would leave P1–Badge without an element; every key must have one.
    defaults.setIntArray("savedKeyToColorMap2", std::vector<int64_t>(515, kColorF));
    KeyMap map;
    store.loadKeyToColorMap(map, 2);
    ASSERT_EQ(map.size(), 528u);
    EXPECT_EQ(map[514], kColorF);
    EXPECT_EQ(map[515], kColorA);
    EXPECT_EQ(map[522], kColorA);
}

TEST_F(ProfileStoreTest, TwoProfilesWithoutStoredMapsGetTheSameKeys) {
    defaults.setIntArray("savedKeyToColorMap3", std::vector<int64_t>(528, kColorJ));
    KeyMap map(528, 0);
    store.loadKeyToColorMap(map, 1);
    const KeyMap first = map;
    store.loadKeyToColorMap(map, 3);
    EXPECT_EQ(map[CLK_Escape], kColorJ);
    store.loadKeyToColorMap(map, 2);
    for (int32_t id : canvasKeyIds())
        EXPECT_EQ(map[id], first[id]) << id;
}

TEST_F(ProfileStoreTest, DamagedValuesFallBackOneByOne) {
    defaults.setRaw("colorBColor1", std::string("not a color"));
    defaults.setColor("colorCColor1", {0.25, std::nan(""), 7.0, 1.0});
    defaults.setColor("colorDColor1", {0.1, 0.2, 0.3, 1.0});
    ColorSet set;
    store.loadProfileColors(set, 1);
    EXPECT_EQ(set[kColorB], rgb(1.0, 1.0, 0.0));
    EXPECT_EQ(set[kColorC], rgb(0.25, 0.0, 1.0));
    EXPECT_EQ(set[kColorD], rgb(0.1, 0.2, 0.3));

    std::vector<int64_t> stored(528, kColorF);
    stored[CLK_Escape] = 13;
    stored[CLK_W] = -1;
    stored[CLK_1] = int64_t{1} << 40;
    stored[CLK_Keypad8] = kColorL;
    defaults.setIntArray("savedKeyToColorMap1", stored);
    KeyMap map;
    store.loadKeyToColorMap(map, 1);
    EXPECT_EQ(map[CLK_Escape], kColorB) << "the default map's value";
    EXPECT_EQ(map[CLK_W], kColorC);
    EXPECT_EQ(map[CLK_1], kColorE);
    EXPECT_EQ(map[CLK_2], kColorF);
    EXPECT_EQ(map[CLK_Keypad8], kColorL);

    defaults.setRaw("savedKeyToColorMap6", std::string("garbage"));
    defaults.setRaw("useActionBarCooldowns6", std::string("yes please"));
    KeyMap fresh(529, kColorA);
    store.loadKeyToColorMap(fresh, 6);
    EXPECT_EQ(fresh, ProfileStore::defaultKeyToColorMap()) << "an unreadable map is no map";
    EXPECT_FALSE(store.loadCooldownFlag(6));
}

TEST_F(ProfileStoreTest, SavedProfileReadsBackEqual) {
    ColorSet set = defaultColorSet();
    set[kColorA] = {0.1, 1.0 / 3.0, 0.7, 1.0};
    set[kCooldownColor] = {0.123456789012345, 0.0, 0.999, 1.0};
    KeyMap map = ProfileStore::defaultKeyToColorMap();
    map[CLK_Q] = kColorJ;
    store.saveProfileColors(set, 7);
    store.saveKeyToColorMap(map, 7);
    store.saveCooldownFlag(7, true);

    ColorSet loaded;
    KeyMap loadedMap;
    store.loadProfileColors(loaded, 7);
    store.loadKeyToColorMap(loadedMap, 7);
    EXPECT_EQ(loaded, set);
    EXPECT_EQ(loadedMap, map);
    EXPECT_TRUE(store.loadCooldownFlag(7));
    EXPECT_FALSE(store.loadCooldownFlag(6));
}

TEST_F(ProfileStoreTest, ProfileKeysAreTheFifteenStoredNames) {
    EXPECT_THAT(ProfileStore::profileKeys(3),
                ::testing::UnorderedElementsAre(
                    "colorIColor3", "OnCooldownNumberKeyColor3", "colorJColor3", "colorKColor3",
                    "colorAColor3", "colorBColor3", "colorCColor3", "colorDColor3", "colorEColor3",
                    "colorFColor3", "colorGColor3", "colorHColor3", "colorLColor3",
                    "savedKeyToColorMap3", "useActionBarCooldowns3"));
}

TEST(ColorTable, TagsChooseColorIndices) {
    EXPECT_EQ(paintButtonColorIndex(1), kColorA);
    EXPECT_EQ(paintButtonColorIndex(8), kColorH);
    EXPECT_EQ(paintButtonColorIndex(9), kColorI);
    EXPECT_EQ(paintButtonColorIndex(10), kColorJ);
    EXPECT_EQ(paintButtonColorIndex(11), kColorK);
    EXPECT_EQ(paintButtonColorIndex(12), kColorL);
    EXPECT_EQ(paintButtonColorIndex(0), kColorL);
    EXPECT_EQ(colorWellColorIndex(2), kColorB);
    EXPECT_EQ(colorWellColorIndex(12), kColorL);
    EXPECT_EQ(colorWellColorIndex(0), kCooldownColor);
    EXPECT_EQ(colorWellColorIndex(13), kCooldownColor);
    for (const ProfileColor& c : profileColors()) {
        if (c.index == kCooldownColor) continue;
        EXPECT_EQ(paintButtonColorIndex(c.tag), c.index) << c.name;
        EXPECT_EQ(colorWellColorIndex(c.tag), c.index) << c.name;
    }
}
