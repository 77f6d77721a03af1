// What the settings hold for colors and keys: color conversions, the profile store's
// defaults and damaged values, and the action-bar key maps.
#include "ProfileStore.h"
#include "ActionBarMaps.h"
#include "CanvasLayout.h"
#include "KeyList.h"
#include "KeyboardFrames.h"
#include "MemoryDefaults.h"

#include <CorvaneLED.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

using namespace et;
using ::testing::ElementsAre;

namespace {

Color rgb(double r, double g, double b) {
    return {r, g, b, 1.0};
}

struct ProfileStoreTest : ::testing::Test {
    MemoryDefaults defaults;
    ProfileStore store{defaults};
};

} // namespace

TEST(Color, ConversionsAsAppKitTruncatedAndClamped) {
    const std::pair<Color, Color> hsb[] = {
        {Color::fromHSB(5.0 / 6, 1.0, 1.0), rgb(1, 0, 1)},
        {Color::fromHSB(137.0 / 360, 0.51, 0.73), rgb(0.3577, 0.73, 0.463185)},
        {Color::fromHSB(0.5, 1.4, 1.3), rgb(0, 1, 1)}, // outside the unit: held to it
        {Color::fromHSB(std::nan(""), 1.0, 1.0, 2.0), rgb(1, 0, 0)}};
    for (const auto& [c, expected] : hsb) {
        EXPECT_NEAR(c.red, expected.red, 1e-9) << &c - &hsb[0].first;
        EXPECT_NEAR(c.green, expected.green, 1e-9) << &c - &hsb[0].first;
        EXPECT_NEAR(c.blue, expected.blue, 1e-9) << &c - &hsb[0].first;
        EXPECT_EQ(c.alpha, 1.0);
    }
    const double inf = std::numeric_limits<double>::infinity(), below1 = std::nextafter(1.0, 0.0);
    const struct {
        double value;
        int byte, percent;
    } rows[] = {{1.0, 255, 100}, {0.5, 127, 50}, {below1, 254, 99},    {0.29, 73, 28},
                {-inf, 0, 0},    {-0.5, 0, 0},   {std::nan(""), 0, 0}, {inf, 255, 100}};
    for (const auto& r : rows) {
        EXPECT_EQ(Color::toByte(r.value), r.byte) << r.value;
        EXPECT_EQ(Color::toPercent(r.value), r.percent) << r.value;
    }
    EXPECT_EQ(paintButtonColorIndex(0), kColorL);
    EXPECT_EQ(colorWellColorIndex(13), kCooldownColor);
    for (const ProfileColor& c : profileColors()) {
        if (c.index == kCooldownColor) continue;
        EXPECT_EQ(paintButtonColorIndex(c.tag), c.index) << c.name;
        EXPECT_EQ(colorWellColorIndex(c.tag), c.index) << c.name;
    }
}

TEST_F(ProfileStoreTest, FreshInstallationDefaults) {
    for (int n : {1, 9}) {
        ColorSet set;
        set.fill(Color::white());
        store.loadProfileColors(set, n);
        EXPECT_EQ(set, defaultColorSet()) << "profile " << n;
        EXPECT_EQ(set[kCooldownColor], rgb(0.3, 0, 0));
        EXPECT_FALSE(store.loadCooldownFlag(n));
    }
    KeyMap map(528, 0);
    store.loadKeyToColorMap(map, 1);
    EXPECT_EQ(map.size(), 528u);
    EXPECT_THAT(
        (std::vector{map[CLK_1], map[CLK_2], map[CLK_3], map[CLK_W], map[CLK_Escape],
                     map[CLK_ScrollLock], map[516], map[CLK_Space]}),
        ElementsAre(kColorE, kColorL, kColorA, kColorC, kColorB, kColorG, kColorH, kColorK));
    EXPECT_EQ(map[0], 0) << "ids without a key keep what the map held";
    EXPECT_TRUE(defaults.values().empty()) << "loading must not write";

    // The default map: every key colored, in the default layout's group sizes.
    const KeyMap all = ProfileStore::defaultKeyToColorMap();
    ASSERT_EQ(all.size(), 529u);
    const std::set<int32_t> keys(canvasKeyIds().begin(), canvasKeyIds().end());
    std::vector<int> perColor(kColorCount); // by index: I, cooldown, J, K, A, B … H, L
    for (int32_t id = 0; id < 529; ++id) {
        if (keys.count(id))
            ++perColor.at(all[id]);
        else
            EXPECT_EQ(all[id], kColorA) << id;
    }
    EXPECT_EQ(perColor, (std::vector{0, 0, 0, 9, 4, 16, 8, 0, 36, 0, 3, 35, 4}));
}

TEST_F(ProfileStoreTest, StoredMapsOfOtherLengths) {
    defaults.setIntArray("savedKeyToColorMap4", std::vector<int64_t>(350, kColorD));
    KeyMap map;
    store.loadKeyToColorMap(map, 4);
    ASSERT_EQ(map.size(), 529u);
    EXPECT_EQ(map[349], kColorD);
    EXPECT_EQ(map[350], kColorA);
    defaults.setIntArray("savedKeyToColorMap5", std::vector<int64_t>(600, kColorC));
    store.loadKeyToColorMap(map, 5);
    EXPECT_EQ(map.size(), 600u) << "long maps keep their length";
    // A profile without a stored map gets the default keys, not the last profile's.
    store.loadKeyToColorMap(map, 3);
    for (int32_t id : canvasKeyIds())
        EXPECT_EQ(map[id], ProfileStore::defaultKeyToColorMap()[id]) << id;
    // 515 elements would leave P4–Badge without an element; every key must have one.
    defaults.setIntArray("savedKeyToColorMap2", std::vector<int64_t>(515, kColorF));
    store.loadKeyToColorMap(map, 2);
    ASSERT_EQ(map.size(), 528u);
    EXPECT_EQ(map[514], kColorF);
    EXPECT_EQ(map[522], kColorA);
}

TEST_F(ProfileStoreTest, DamagedColorsFallBackOneByOne) {
    defaults.setRaw("colorBColor1", std::string("not a color"));
    defaults.setColor("colorCColor1", {0.25, std::nan(""), 7.0, 1.0});
    defaults.setColor("colorDColor1", {0.1, 0.2, 0.3, 1.0});
    ColorSet set;
    store.loadProfileColors(set, 1);
    EXPECT_EQ(set[kColorB], rgb(1.0, 1.0, 0.0));
    EXPECT_EQ(set[kColorC], rgb(0.25, 0.0, 1.0));
    EXPECT_EQ(set[kColorD], rgb(0.1, 0.2, 0.3));
}

TEST_F(ProfileStoreTest, ActionBarMaps) {
    // Stored values that name no key bind nothing; missing ones take their default.
    defaults.setInt("key101", CLK_Q);
    defaults.setInt("key102", -5);
    defaults.setInt("key103", int64_t{1} << 40);
    defaults.setInt("key104", 523);
    defaults.setRaw("key105", std::string("F5"));
    defaults.setInt("key501", 522);
    ActionBarMaps maps{defaults};
    maps.loadActionBarKeyMaps();
    const auto values = maps.slotValues();
    EXPECT_THAT(std::vector<int32_t>(values.begin(), values.begin() + 6),
                ElementsAre(CLK_Q, 0, 0, 0, 0, CLK_6));
    EXPECT_EQ(maps.labelForMenu(102), "  No Key");
    EXPECT_FALSE(maps.labelForMenu(113));
    // The cooldown display reads slots by character: "1"…"9", ":", ";", "<".
    EXPECT_EQ(maps.barMapA[':'], CLK_0);
    EXPECT_EQ(maps.barMapB[';'], CLK_F9);
    EXPECT_EQ(maps.barMapC['1'], 522);
    for (char32_t c : {U'0', U'=', U'a', U'\0', char32_t{0xFFFFFFFF}}) {
        EXPECT_EQ(maps.barMapA[c], kNoKey) << static_cast<uint32_t>(c);
        maps.barMapA.set(c, CLK_W);
    }
    EXPECT_EQ(maps.slotValues(), values) << "no slot was touched by the bad characters";

    // OK writes all 30 slots, and a restart reads them back.
    EXPECT_TRUE(maps.chooseKeyForMenu(112, "Talon Badge ©"));
    EXPECT_EQ(maps.barMapA['<'], 522);
    EXPECT_TRUE(maps.chooseKeyForMenu(506, "P3"));
    EXPECT_EQ(maps.barMapC['6'], 514);
    EXPECT_FALSE(maps.chooseKeyForMenu(101, "Talon Badge"));
    EXPECT_FALSE(maps.chooseKeyForMenu(507, " Q"));
    maps.storeActionBarKeyMaps();
    EXPECT_EQ(defaults.values().size(), 30u);
    for (int menu : {101, 112, 501, 506, 601, 612})
        EXPECT_TRUE(defaults.contains("key" + std::to_string(menu))) << menu;
    ActionBarMaps restarted(defaults);
    restarted.loadActionBarKeyMaps();
    EXPECT_EQ(restarted.slotValues(), maps.slotValues());
}
