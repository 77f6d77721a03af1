// The per-key effects: combat, dead and shadow pulses, their stops and their random periods.
#include "DirectorHarness.h"
#include "KeyEffects.h"
#include "KeyGroups.h"

#include <gtest/gtest.h>

#include <set>

namespace et::test {
namespace {

class EffectsTest : public ::testing::Test {
  protected:
    EffectsTest() { h.lighting.clear(); }
    DirectorHarness h;
    KeyFlashes flashes{h.clock};
    KeyEffects effects{h.lighting, h.frames, h.random, h.runLoop, flashes};
};

TEST_F(EffectsTest, DeadEffectDrawsAPeriodForEveryKey) {
    for (int i = 0; i < 27; ++i)
        h.random.draws.push_back(i * 9); // 0 … 234
    effects.startDeadEffect();

    const auto& calls = h.lighting.calls;
    ASSERT_EQ(calls.size(), 3u + 27u);
    EXPECT_EQ(calls[0], (LightingCall{"setTargetDevice", {7}, {}}));
    EXPECT_EQ(calls[1], (LightingCall{"setTargetDevice", {4}, {}}));
    EXPECT_EQ(calls[2], (LightingCall{"setLighting", {50, 40, 50}, {}}));
    const auto bright = deadBrightKeys();
    const auto dim = deadDimKeys();
    for (size_t i = 0; i < bright.size(); ++i)
        EXPECT_EQ(calls[3 + i],
                  (LightingCall{"pulseSingleKey",
                                {bright[i], 50, 40, 50, 100, 85, 100, 650 + int64_t(i) * 9, 1},
                                {}}));
    for (size_t i = 0; i < dim.size(); ++i)
        EXPECT_EQ(
            calls[3 + bright.size() + i],
            (LightingCall{"pulseSingleKey",
                          {dim[i], 50, 40, 50, 20, 10, 20, 650 + int64_t(bright.size() + i) * 9, 1},
                          {}}));
    EXPECT_EQ(h.random.ranges, (std::vector<std::pair<int, int>>(27, {0, 249})));
    // P7, P4 and P1 pulse too: keys without a bitmap cell.
    EXPECT_EQ(calls[3 + 13].args[0], 0xFFF7);
    EXPECT_EQ(calls.back().args[0], 0xFFF1);
}

TEST_F(EffectsTest, ShadowEffectPulsesEachRowBetweenADarkerAndALighterShade) {
    h.random.draws = {0, 100, 200, 300, 400, 799};
    effects.startShadowEffect(183.0 / 360.0, 0.5, 0.6);

    const auto& calls = h.lighting.calls;
    ASSERT_EQ(calls.size(), 4u + 104u + 1u);
    EXPECT_EQ(calls[0], (LightingCall{"setTargetDevice", {7}, {}}));
    EXPECT_EQ(calls[1], (LightingCall{"setTargetDevice", {4}, {}}));
    EXPECT_EQ(calls[2], (LightingCall{"setLighting", {30, 58, 60}, {}}));
    EXPECT_EQ(calls[3], (LightingCall{"setTargetDevice", {4}, {}}));
    EXPECT_EQ(calls.back(), (LightingCall{"setTargetDevice", {7}, {}}));
    // Brightness 0.6 − 0.3 and 0.6 + 0.3 at the same hue and saturation; the sum is just
    // below 0.9 in binary, hence 89 rather than 90.
    EXPECT_EQ(calls[4],
              (LightingCall{"pulseSingleKey", {0x01, 15, 29, 30, 44, 87, 89, 800, 1}, {}}));

    // One period per row: 16, 21, 21, 16, 17 and 13 keys.
    std::vector<int64_t> periods;
    for (size_t i = 4; i + 1 < calls.size(); ++i)
        periods.push_back(calls[i].args[7]);
    const std::vector<int> rowSizes{16, 21, 21, 16, 17, 13};
    const std::vector<int64_t> rowPeriods{800, 900, 1000, 1100, 1200, 1599};
    size_t at = 0;
    for (size_t row = 0; row < rowSizes.size(); ++row)
        for (int k = 0; k < rowSizes[row]; ++k)
            EXPECT_EQ(periods[at++], rowPeriods[row]) << "row " << row;
    EXPECT_EQ(h.random.ranges, (std::vector<std::pair<int, int>>(6, {0, 799})));
}

TEST_F(EffectsTest, ShadowShadesStayWithinTheBrightnessRange) {
    // Brightness 0.73 + 0.3 is held at 1.0; 0.2 − 0.3 at 0.
    effects.startShadowEffect(137.0 / 360.0, 0.51, 0.73);
    const auto pulse = h.lighting.named("pulseSingleKey").front();
    EXPECT_EQ(pulse.args[5], 100); // light green: the brightness itself at this hue
    h.lighting.clear();
    effects.startShadowEffect(0.5, 0.5, 0.2);
    const auto dark = h.lighting.named("pulseSingleKey").front();
    EXPECT_EQ((std::vector<int64_t>{dark.args[1], dark.args[2], dark.args[3]}),
              (std::vector<int64_t>{0, 0, 0}));
}

TEST_F(EffectsTest, StopShadowEffectsReachesOnlyTheKeyboardRows) {
    effects.stopShadowEffects(false);
    auto stops = h.lighting.named("stopEffectsOnKey");
    EXPECT_EQ(stops.size(), 104u);
    EXPECT_EQ(h.lighting.calls.front(), (LightingCall{"setTargetDevice", {7}, {}}));
    EXPECT_TRUE(h.lighting.named("stopEffects").empty());
    for (const auto& c : stops)
        EXPECT_LT(c.args[0], 0x200) << "extra key " << c.args[0];

    h.lighting.clear();
    effects.stopShadowEffects(true);
    EXPECT_EQ(h.lighting.calls[1], (LightingCall{"stopEffects", {}, {}}));
}

TEST_F(EffectsTest, RemainingStopsGiveEveryDirectorKeyTwoStopsWithTheShadowStop) {
    effects.stopShadowEffects(false);
    effects.stopRemainingKeyEffects();
    std::map<int64_t, int> stops;
    for (const auto& c : h.lighting.named("stopEffectsOnKey"))
        ++stops[c.args[0]];
    std::set<int64_t> expected;
    for (auto keys : {combatKeys(), deadBrightKeys(), deadDimKeys()})
        expected.insert(keys.begin(), keys.end());
    for (auto row : shadowRows())
        expected.insert(row.begin(), row.end());
    EXPECT_EQ(stops.size(), expected.size());
    for (int64_t key : expected)
        EXPECT_EQ(stops[key], 2) << "key " << key;
    for (int64_t key : {0xFFFF1, 0xFFFF2, 0xFFF1, 0xFFF4, 0xFFF7})
        EXPECT_EQ(stops.count(key), 1u) << key;
}

TEST(SystemRandomSource, DrawsCoverTheWholeRangeAndNothingElse) {
    SystemRandomSource random(7);
    std::set<int> seen;
    for (int i = 0; i < 20000; ++i) {
        const int v = random.uniform(0, 249);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 249);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 250u);
    // Two generators from the system's entropy do not repeat each other.
    SystemRandomSource a, b;
    std::vector<int> da, db;
    for (int i = 0; i < 16; ++i) {
        da.push_back(a.uniform(0, 799));
        db.push_back(b.uniform(0, 799));
    }
    EXPECT_NE(da, db);
}

} // namespace
} // namespace et::test
