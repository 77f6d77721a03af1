// The per-key effects: dead and shadow pulses, their random periods and their stops.
#include "DirectorHarness.h"
#include "KeyEffects.h"
#include "KeyGroups.h"

#include <gtest/gtest.h>

namespace et::test {
namespace {

class EffectsTest : public ::testing::Test {
  protected:
    EffectsTest() { h.lighting.clear(); }
    DirectorHarness h;
    KeyLedger ledger{h.lighting, h.runLoop};
    KeyEffects effects{h.lighting, h.frames, h.random, ledger};
};

TEST_F(EffectsTest, DeadEffectDrawsAPeriodForEveryKey) {
    for (int i = 0; i < 27; ++i)
        h.random.draws.push_back(i * 9); // 0 … 234
    effects.startDeadEffect();
    std::vector<LightingCall> expected{{"setTargetDevice", {7}, {}},
                                       {"setTargetDevice", {4}, {}},
                                       {"setLighting", {50, 40, 50}, {}}};
    int64_t i = 0;
    for (int32_t key : deadBrightKeys())
        expected.push_back(
            {"pulseSingleKey", {key, 50, 40, 50, 100, 85, 100, 650 + 9 * i++, 1}, {}});
    for (int32_t key : deadDimKeys())
        expected.push_back({"pulseSingleKey", {key, 50, 40, 50, 20, 10, 20, 650 + 9 * i++, 1}, {}});
    EXPECT_EQ(h.lighting.calls, expected);
    EXPECT_EQ(h.random.ranges, (std::vector<std::pair<int, int>>(27, {0, 249})));
    // P7, P4 and P1 pulse too: keys without a bitmap cell.
    EXPECT_EQ(h.lighting.calls[3 + 13].args[0], 0xFFF7);
    EXPECT_EQ(h.lighting.calls.back().args[0], 0xFFF1);
}

TEST_F(EffectsTest, ShadowEffectPulsesEachRowBetweenADarkerAndALighterShade) {
    h.random.draws = {0, 100, 200, 300, 400, 799};
    effects.startShadowEffect(183.0 / 360.0, 0.5, 0.6);
    const auto& calls = h.lighting.calls;
    ASSERT_EQ(calls.size(), 4u + 104u + 1u);
    EXPECT_EQ(calls[2], (LightingCall{"setLighting", {30, 58, 60}, {}}));
    EXPECT_EQ(calls.back(), (LightingCall{"setTargetDevice", {7}, {}}));
    // Brightness 0.6 − 0.3 and 0.6 + 0.3 at the same hue and saturation; the sum is just
    // below 0.9 in binary, hence 89 rather than 90.
    EXPECT_EQ(calls[4],
              (LightingCall{"pulseSingleKey", {0x01, 15, 29, 30, 44, 87, 89, 800, 1}, {}}));
    // One period per row: 16, 21, 21, 16, 17 and 13 keys.
    size_t at = 4;
    const int64_t rowPeriods[] = {800, 900, 1000, 1100, 1200, 1599};
    for (size_t row = 0; row < 6; ++row)
        for (int32_t key : shadowRows()[row])
            EXPECT_EQ(calls[at++].args,
                      (std::vector<int64_t>{key, 15, 29, 30, 44, 87, 89, rowPeriods[row], 1}));
    EXPECT_EQ(h.random.ranges, (std::vector<std::pair<int, int>>(6, {0, 799})));

    // The shades stay within the brightness range: 0.73 + 0.3 is held at 1.0, 0.2 − 0.3 at 0.
    h.lighting.clear();
    effects.startShadowEffect(137.0 / 360.0, 0.51, 0.73);
    EXPECT_EQ(h.lighting.named("pulseSingleKey").front().args[5], 100);
    h.lighting.clear();
    effects.startShadowEffect(0.5, 0.5, 0.2);
    const auto dark = h.lighting.named("pulseSingleKey").front().args;
    EXPECT_EQ(std::vector<int64_t>(dark.begin() + 1, dark.begin() + 4),
              (std::vector<int64_t>{0, 0, 0}));
}

TEST_F(EffectsTest, ShadowStopReachesOnlyTheKeyboardRows) {
    effects.stopShadowEffects(false);
    const auto stops = h.lighting.named("stopEffectsOnKey");
    EXPECT_EQ(stops.size(), 104u);
    EXPECT_EQ(h.lighting.calls.front(), (LightingCall{"setTargetDevice", {7}, {}}));
    EXPECT_TRUE(h.lighting.named("stopEffects").empty());
    for (const auto& c : stops)
        EXPECT_LT(c.args[0], 0x200) << "extra key " << c.args[0];
    h.lighting.clear();
    effects.stopShadowEffects(true);
    EXPECT_EQ(h.lighting.calls[1], (LightingCall{"stopEffects", {}, {}}));
}

} // namespace
} // namespace et::test
