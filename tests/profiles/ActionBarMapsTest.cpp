// Action-bar key maps: defaults, what the menus show, storing on OK, restoring on Cancel,
// and stored values that name no key.
#include "ActionBarMaps.h"
#include "KeyList.h"
#include "MemoryDefaults.h"

#include <CorvaneLED.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace et;
using ::testing::ElementsAre;

namespace {

struct ActionBarMapsTest : ::testing::Test {
    MemoryDefaults defaults;
    ActionBarMaps maps{defaults};

    std::vector<std::string> menuLabels(int firstMenu, int count) const {
        std::vector<std::string> out;
        for (int m = firstMenu; m < firstMenu + count; ++m)
            out.emplace_back(maps.labelForMenu(m).value_or("<none>"));
        return out;
    }
};

} // namespace

TEST_F(ActionBarMapsTest, EmptyDefaultsShowTheDefaultBindings) {
    maps.loadActionBarKeyMaps();
    EXPECT_THAT(menuLabels(101, 12),
                ElementsAre(" 1", " 2", " 3", " 4", " 5", " 6", " 7", " 8", " 9", " 0", "-", "="));
    EXPECT_THAT(menuLabels(601, 12), ElementsAre("F 1", "F 2", "F 3", "F 4", "  No Key", "F 5",
                                                 "F 6", "F 7", "F 8", "  No Key", "F 9", "F10"));
    EXPECT_THAT(menuLabels(501, 6), ::testing::Each(std::string("  No Key")));
    EXPECT_FALSE(maps.labelForMenu(507));
    EXPECT_FALSE(maps.labelForMenu(113));
    EXPECT_TRUE(defaults.values().empty());
}

TEST_F(ActionBarMapsTest, SlotCharactersReachTheCooldownDisplay) {
    EXPECT_EQ(maps.barMapA['1'], CLK_1);
    EXPECT_EQ(maps.barMapA[':'], CLK_0);
    EXPECT_EQ(maps.barMapA['<'], CLK_EqualsAndPlus);
    EXPECT_EQ(maps.barMapB[';'], CLK_F9);
    EXPECT_EQ(maps.barMapB['5'], kNoKey);
    for (char32_t c : {U'0', U'=', U'a', U'\0', char32_t{0xFFFFFFFF}}) {
        EXPECT_EQ(maps.barMapA[c], kNoKey) << static_cast<uint32_t>(c);
        maps.barMapA.set(c, CLK_Q);
    }
    EXPECT_EQ(maps.slotValues()[0], CLK_1) << "no slot was touched by the bad characters";
}

TEST_F(ActionBarMapsTest, ChoosingAndStoringOnOk) {
    EXPECT_TRUE(maps.chooseKeyForMenu(112, "Talon Badge ©"));
    EXPECT_EQ(maps.barMapA['<'], 522);
    EXPECT_TRUE(maps.chooseKeyForMenu(506, "P3"));
    EXPECT_EQ(maps.barMapC['6'], 514);
    EXPECT_FALSE(maps.chooseKeyForMenu(101, "Talon Badge"));
    EXPECT_FALSE(maps.chooseKeyForMenu(507, " Q"));
    EXPECT_EQ(maps.barMapA['1'], CLK_1);
    maps.storeActionBarKeyMaps();

    std::vector<std::string> keys;
    for (const auto& [key, value] : defaults.values())
        keys.push_back(key);
    EXPECT_EQ(keys.size(), 30u);
    EXPECT_EQ(defaults.getInt("key112"), 522);
    EXPECT_EQ(defaults.getInt("key506"), 514);
    EXPECT_EQ(defaults.getInt("key605"), 0);
    EXPECT_FALSE(defaults.contains("key507"));

    ActionBarMaps restarted(defaults);
    restarted.loadActionBarKeyMaps();
    EXPECT_EQ(restarted.slotValues(), maps.slotValues());
}

TEST_F(ActionBarMapsTest, CancelRestoresTheSnapshotAndWritesNothing) {
    maps.loadActionBarKeyMaps();
    maps.takeSnapshot();
    const auto before = maps.slotValues();
    maps.chooseKeyForMenu(101, "Esc");
    maps.chooseKeyForMenu(612, "  No Key");
    EXPECT_EQ(maps.barMapA['1'], CLK_Escape);
    maps.restoreSnapshot();
    EXPECT_EQ(maps.slotValues(), before);
    EXPECT_TRUE(defaults.values().empty());
}

TEST_F(ActionBarMapsTest, StoredValuesThatNameNoKeyBindNothing) {
    defaults.setInt("key101", CLK_Q);
    defaults.setInt("key102", -5);
    defaults.setInt("key103", int64_t{1} << 40);
    defaults.setInt("key104", 523);
    defaults.setInt("key105", 100);
    defaults.setRaw("key106", std::string("F5"));
    defaults.setInt("key601", 0);
    defaults.setInt("key501", 522);
    maps.loadActionBarKeyMaps();
    const auto values = maps.slotValues();
    EXPECT_THAT(std::vector<int32_t>(values.begin(), values.begin() + 7),
                ElementsAre(CLK_Q, 0, 0, 0, 0, 0, CLK_7));
    EXPECT_EQ(maps.barMapB['1'], kNoKey);
    EXPECT_EQ(maps.barMapB['2'], CLK_F2);
    EXPECT_EQ(maps.barMapC['1'], 522);
    for (int menu : {101, 102, 103, 104, 105, 106})
        EXPECT_TRUE(maps.labelForMenu(menu)) << menu;
}

TEST(ActionSlots, FixedOrderAndKeys) {
    const auto slots = ActionBarMaps::slots();
    EXPECT_EQ(ActionBarMaps::settingsKey(slots[0]), "key101");
    EXPECT_EQ(ActionBarMaps::settingsKey(slots[11]), "key112");
    EXPECT_EQ(ActionBarMaps::settingsKey(slots[12]), "key501");
    EXPECT_EQ(ActionBarMaps::settingsKey(slots[17]), "key506");
    EXPECT_EQ(ActionBarMaps::settingsKey(slots[18]), "key601");
    EXPECT_EQ(ActionBarMaps::settingsKey(slots[29]), "key612");
    EXPECT_EQ(slots[17].bar, 'C');
    EXPECT_EQ(slots[18].bar, 'B');
}
