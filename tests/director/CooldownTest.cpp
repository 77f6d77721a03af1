// The action-bar cooldown display: frames, flashes, the display switch, the blink time and
// the canvas preview.
#include "DirectorHarness.h"
#include "KeyList.h"

#include <gtest/gtest.h>

#include <climits>

namespace et::test {
namespace {

constexpr int32_t kKey1 = 0x02, kKey2 = 0x03, kQ = 0x10, kW = 0x11;

class CooldownTest : public ::testing::Test {
  protected:
    CooldownTest() {
        const char* low = "123456";
        for (int i = 0; i < 6; ++i)
            h.slots.barMapA.set(low[i], 0x02 + i); // the keys 1 to 6
        h.slots.barMapA.set('7', kQ);
        h.slots.barMapA.set('<', kW);
        showCooldownsOn({1});
    }

    void showCooldownsOn(std::initializer_list<int> profiles) {
        h.frames.useSpellCooldowns.fill(false);
        h.frames.useSpellCooldowns[0] = true;
        for (int p : profiles)
            h.frames.useSpellCooldowns[p] = true;
    }

    void frame(char code, int value) { h.send(std::string{code, static_cast<char>(value)}); }

    std::array<int, 3> percent(const Color& c) const {
        return {c.redPercent(), c.greenPercent(), c.bluePercent()};
    }
    Color cooldownColor() const { return h.frames.keyboardColorSet[kCooldownColor]; }
    Color normalColor(int32_t key) const {
        return KeyboardFrames::mappedColor(h.frames.keyboardColorSet, h.frames.keyToColorMap, key);
    }
    LightingCall setKey(int32_t key, const Color& c) const {
        const auto p = percent(c);
        return {"setLightingForKey", {key, p[0], p[1], p[2]}, {}};
    }
    std::array<int, 3> cell(int profile, int32_t key) const {
        return keyColor(h.frames.keyboardColorBitmap[profile], key);
    }
    static std::array<int, 3> bytes(const Color& c) {
        return {c.redByte(), c.greenByte(), c.blueByte()};
    }

    DirectorHarness h;
};

TEST_F(CooldownTest, SlotsGoOnCooldownThenFlashWhiteWhenReady) {
    ASSERT_NE(bytes(cooldownColor()), bytes(normalColor(kKey2)));
    frame('`', 96); // slots 1 and 2
    // No stop: with no flash on the key it would end the combat pulse.
    EXPECT_EQ(h.lighting.calls, (std::vector<LightingCall>{setKey(kKey1, cooldownColor()),
                                                           setKey(kKey2, cooldownColor())}));
    EXPECT_EQ(cell(1, kKey2), bytes(cooldownColor()));
    EXPECT_EQ(h.frames.dimmedKeys, (std::set<int32_t>{kKey1, kKey2}));

    h.lighting.clear();
    frame('`', 64); // slot 2 is ready again
    EXPECT_EQ(h.lighting.calls, (std::vector<LightingCall>{
                                    setKey(kKey2, normalColor(kKey2)),
                                    {"wait", {50}, {}},
                                    {"flashSingleKey", {kKey2, 100, 100, 100, 1000, 75}, {}}}));
    EXPECT_EQ(cell(1, kKey2), bytes(normalColor(kKey2)));
    EXPECT_EQ(cell(1, kKey1), bytes(cooldownColor()));
    EXPECT_EQ(h.frames.dimmedKeys, std::set<int32_t>{kKey1});

    // A frame that changes no bit sends nothing.
    h.lighting.clear();
    frame('`', 64);
    EXPECT_TRUE(h.lighting.calls.empty());
}

TEST_F(CooldownTest, HighSlotsAndTheUnusedLowBit) {
    for (char argument : {'B', 'C'}) {
        DirectorHarness fresh;
        fresh.slots.barMapA = h.slots.barMapA;
        fresh.frames.useSpellCooldowns[0] = fresh.frames.useSpellCooldowns[1] = true;
        fresh.send(std::string{'[', argument});
        EXPECT_EQ(fresh.frames.dimmedKeys, (std::set<int32_t>{kQ, kW})) << argument;
        EXPECT_EQ(fresh.lighting.named("setLightingForKey").size(), 2u);
    }
}

TEST_F(CooldownTest, FiveFramesAfterTheSuppressionEndCooldownsWithoutFlashing) {
    frame('`', 126);
    ASSERT_EQ(h.frames.dimmedKeys.size(), 6u);
    h.director.setSupressCooldownBlinkCounter(5);
    h.lighting.clear();
    for (int value : {62, 30, 14, 6, 2})
        frame('`', value);
    EXPECT_TRUE(h.lighting.named("flashSingleKey").empty());
    EXPECT_EQ(h.lighting.named("setLightingForKey").size(), 5u);
    EXPECT_EQ(h.director.cooldowns.supressCooldownBlinkCounter, 0);
    frame('`', 0);
    const auto flashes = h.lighting.named("flashSingleKey");
    ASSERT_EQ(flashes.size(), 1u);
    EXPECT_EQ(flashes[0].args[0], 0x07); // slot 6: the 6 key
    // Frames that change nothing still count down.
    h.director.setSupressCooldownBlinkCounter(2);
    frame('`', 0);
    frame('`', 0);
    EXPECT_EQ(h.director.cooldowns.supressCooldownBlinkCounter, 0);
}

TEST_F(CooldownTest, DisplayOffDeadAndShadowUpdateTheBitmapsButSendNothing) {
    auto checkSilentButPainted = [&](const char* why) {
        h.lighting.clear();
        frame('`', 64);
        EXPECT_TRUE(h.lighting.calls.empty()) << why;
        EXPECT_EQ(cell(1, kKey1), bytes(cooldownColor())) << why;
        EXPECT_EQ(cell(4, kKey1), bytes(cooldownColor())) << why;
        frame('`', 0);
        EXPECT_TRUE(h.lighting.calls.empty()) << why;
        EXPECT_EQ(cell(4, kKey1), bytes(normalColor(kKey1))) << why;
    };
    showCooldownsOn({1, 4});
    h.frames.useSpellCooldowns[0] = false;
    checkSilentButPainted("display off");

    h.frames.useSpellCooldowns[0] = true;
    h.send("D");
    checkSilentButPainted("dead");
    h.send("U");

    h.send("j");
    checkSilentButPainted("shadow");
}

TEST_F(CooldownTest, EveryEnabledProfileRepeatsTheKeyCommands) {
    showCooldownsOn({1, 5});
    frame('`', 64);
    EXPECT_EQ(h.lighting.named("setLightingForKey").size(), 2u);
    h.lighting.clear();
    frame('`', 0);
    EXPECT_EQ(h.lighting.named("flashSingleKey").size(), 2u);
    EXPECT_EQ(waits(h.lighting.calls), (std::vector<int64_t>{50, 50}));
    // A profile whose flag is off keeps its bitmap.
    EXPECT_EQ(h.lighting.named("setLightingFromBitmap").size(), 0u);
}

TEST_F(CooldownTest, ExtraKeysAreSentByKeyNameAndHaveNoCell) {
    h.slots.barMapC.set('3', 514); // P3
    h.slots.barMapC.set('4', 0);   // no key
    const auto before = h.frames.keyboardColorBitmap[1];
    frame('}', 16 | 8);
    EXPECT_EQ(h.lighting.calls, (std::vector<LightingCall>{setKey(0xFFF3, cooldownColor())}));
    EXPECT_EQ(h.frames.keyboardColorBitmap[1], before);
    h.lighting.clear();
    frame('}', 0);
    EXPECT_EQ(h.lighting.named("flashSingleKey").front().args[0], 0xFFF3);
    EXPECT_EQ(h.lighting.named("setLightingForKey").size(), 1u);
}

TEST_F(CooldownTest, BlinkTimeSetsTheFlashDuration) {
    auto flashDuration = [&] {
        h.lighting.clear();
        frame('`', 64);
        frame('`', 0);
        return h.lighting.named("flashSingleKey").at(0).args[4];
    };
    h.director.cooldowns.blinkTime = 0.25;
    EXPECT_EQ(flashDuration(), 250);

    EXPECT_EQ(h.director.cooldowns.blinkTimeChanged("0"), "0.01");
    EXPECT_EQ(h.defaults.getDouble("blinkTimePref"), 0.01);
    EXPECT_EQ(flashDuration(), 10);

    EXPECT_EQ(h.director.cooldowns.blinkTimeChanged(" 2.5 s"), "2.5");
    EXPECT_EQ(h.director.cooldowns.blinkTime, 2.5);
    for (const char* text : {"", "abc", "-3", "nan", "inf", "0.004"})
        EXPECT_EQ(h.director.cooldowns.blinkTimeChanged(text), "0.01") << text;
    EXPECT_EQ(h.director.cooldowns.blinkTimeChanged("+1"), "1");

    // A duration beyond what the framework takes is held at its largest value.
    h.director.cooldowns.blinkTimeChanged("1e10");
    EXPECT_EQ(flashDuration(), INT_MAX);
}

TEST_F(CooldownTest, StoredBlinkTimeFollowsTheBlinkRule) {
    using CD = CooldownDisplay;
    EXPECT_EQ(CD::blinkTimeFromSetting(std::nullopt), 1.0);
    EXPECT_EQ(CD::blinkTimeFromSetting(0.0), 1.0);
    EXPECT_EQ(CD::blinkTimeFromSetting(0.004), 0.01);
    EXPECT_EQ(CD::blinkTimeFromSetting(-2.0), 0.01);
    EXPECT_EQ(CD::blinkTimeFromSetting(2.5), 2.5);
    EXPECT_EQ(CD::blinkTimeFromSetting(std::nan("")), 1.0);

    h.defaults.setDouble("blinkTimePref", 0.5);
    h.director.cooldowns.loadBlinkTime();
    EXPECT_EQ(h.director.cooldowns.blinkTime, 0.5);
}

TEST_F(CooldownTest, SwitchRebuildsTheActiveBitmapFromTheCanvasAndStoresTheFlag) {
    h.send("3");
    frame('`', 64); // dims the 1 key; the switch does not repaint it
    h.canvasModel.keyColorSet.fill({0.0, 0.0, 1.0, 1.0});
    h.canvasModel.keysToColors = KeyMap(kKeyIdLimit, kColorB);
    h.lighting.clear();

    h.director.cooldowns.cooldownCheck(true);
    const LightingBitmap expected =
        KeyboardFrames::composeBitmap(h.canvasModel.keyColorSet, h.canvasModel.keysToColors);
    EXPECT_EQ(h.frames.keyboardColorBitmap[3], expected);
    EXPECT_TRUE(h.frames.useSpellCooldowns[0]);
    EXPECT_TRUE(h.frames.useSpellCooldowns[3]);
    EXPECT_TRUE(h.canvasModel.usingActionbarCooldowns);
    EXPECT_EQ(sentBitmaps(h.lighting.calls), std::vector<LightingBitmap>{expected});
    EXPECT_EQ(h.canvas.redraws, 1);
    EXPECT_EQ(h.defaults.getBool("useActionBarCooldowns3"), true);
    EXPECT_EQ(h.frames.dimmedKeys, std::set<int32_t>{kKey1});

    h.frames.useSingleColorMode = true;
    h.lighting.clear();
    h.director.cooldowns.cooldownCheck(false);
    EXPECT_EQ(h.defaults.getBool("useActionBarCooldowns3"), false);
    EXPECT_FALSE(h.canvasModel.usingActionbarCooldowns);
    EXPECT_EQ(h.lighting.calls.back(), (LightingCall{"setLighting", {30, 50, 25}, {}}));
}

TEST_F(CooldownTest, PreviewShowsEveryBoundKeyOnTheCanvasForOneSecond) {
    h.slots.barMapB.set('<', 0x1E);
    h.slots.barMapC.set('9', 514);
    h.director.cooldowns.revealCooldownColors();
    std::set<int32_t> expected{0x02, 0x03, 0x04, 0x05, 0x06, 0x07, kQ, kW, 0x1E, 514};
    EXPECT_EQ(h.canvasModel.dimmedKeys, expected);
    EXPECT_EQ(h.canvas.redraws, 1);
    h.clock.runFor(0.99);
    EXPECT_EQ(h.canvasModel.dimmedKeys, expected);
    h.clock.runFor(0.02);
    EXPECT_TRUE(h.canvasModel.dimmedKeys.empty());
    EXPECT_EQ(h.canvas.redraws, 2);
    EXPECT_TRUE(h.lighting.calls.empty());
    EXPECT_TRUE(h.frames.dimmedKeys.empty());
}

} // namespace
} // namespace et::test
