// The action-bar cooldown display: frames, flashes, the display switch, and the blink time.
#include "DirectorHarness.h"
#include "KeyList.h"

#include <gtest/gtest.h>

#include <climits>

namespace et::test {
namespace {

constexpr int32_t kW = 0x11;

class CooldownTest : public ::testing::Test {
  protected:
    CooldownTest() {
        for (char slot = '1'; slot <= '6'; ++slot)
            h.slots.barMapA.set(slot, 0x02 + (slot - '1')); // the keys 1 to 6
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
    const Color& cooldown() const { return h.frames.keyboardColorSet[kCooldownColor]; }
    Color normal(int32_t key) const {
        return KeyboardFrames::mappedColor(h.frames.keyboardColorSet, h.frames.keyToColorMap, key);
    }
    static LightingCall setKey(int32_t key, const Color& c) {
        return {"setLightingForKey", {key, c.redPercent(), c.greenPercent(), c.bluePercent()}, {}};
    }
    // Whether the key's cell in the profile's bitmap shows the colour.
    bool cellShows(int profile, int32_t key, const Color& c) const {
        return keyColor(h.frames.keyboardColorBitmap[profile], key) ==
               ByteRgb{c.redByte(), c.greenByte(), c.blueByte()};
    }

    DirectorHarness h;
};

// Each frame code carries six slots of one bar, the highest bit first; the lowest bit is
// unused.
TEST_F(CooldownTest, EachFrameCodeReachesItsBarAndSlots) {
    const struct {
        char code;
        BarMap ActionBarMaps::*bar;
        const char* slots;
    } rows[] = {{'`', &ActionBarMaps::barMapA, "123456"},
                {'[', &ActionBarMaps::barMapA, "789:;<"},
                {']', &ActionBarMaps::barMapB, "123456"},
                {'{', &ActionBarMaps::barMapB, "789:;<"},
                {'}', &ActionBarMaps::barMapC, "123456"}};
    int32_t key = 0x10;
    for (BarMap* bar : {&h.slots.barMapA, &h.slots.barMapB, &h.slots.barMapC})
        for (char slot : std::string("123456789:;<"))
            bar->set(slot, key++);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        const BarMap& bar = h.slots.*row.bar;
        frame(row.code, 64 | 2 | 1);
        EXPECT_EQ(h.frames.dimmedKeys,
                  (std::set<int32_t>{bar[char32_t(row.slots[0])], bar[char32_t(row.slots[5])]}));
        frame(row.code, 16);
        EXPECT_EQ(h.frames.dimmedKeys, std::set<int32_t>{bar[char32_t(row.slots[2])]});
        frame(row.code, 0);
    }
}

TEST_F(CooldownTest, SlotsGoOnCooldownThenFlashWhiteWhenReady) {
    h.lighting.clear();
    frame('`', 96); // slots 1 and 2
    // No stop: with no flash on the key it would end the combat pulse.
    EXPECT_EQ(h.lighting.calls,
              (std::vector<LightingCall>{setKey(kKey1, cooldown()), setKey(kKey2, cooldown())}));
    EXPECT_TRUE(cellShows(1, kKey2, cooldown()));

    h.lighting.clear();
    frame('`', 64); // slot 2 is ready again
    EXPECT_EQ(h.lighting.calls, (std::vector<LightingCall>{
                                    setKey(kKey2, normal(kKey2)),
                                    {"wait", {50}, {}},
                                    {"flashSingleKey", {kKey2, 100, 100, 100, 1000, 75}, {}}}));
    EXPECT_TRUE(cellShows(1, kKey2, normal(kKey2)));
    EXPECT_TRUE(cellShows(1, kKey1, cooldown()));

    h.lighting.clear();
    frame('`', 64); // a frame that changes no bit sends nothing
    EXPECT_TRUE(h.lighting.calls.empty());

    // Every enabled profile repeats the key commands.
    showCooldownsOn({1, 5});
    frame('`', 0);
    EXPECT_EQ(h.lighting.named("setLightingForKey").size(), 2u);
    EXPECT_EQ(h.lighting.named("flashSingleKey").size(), 2u);
    EXPECT_TRUE(cellShows(5, kKey1, normal(kKey1)));
}

TEST_F(CooldownTest, FiveFramesAfterTheSuppressionEndCooldownsWithoutFlashing) {
    frame('`', 126);
    h.director.setSupressCooldownBlinkCounter(5);
    h.lighting.clear();
    for (int value : {62, 30, 14, 6, 2})
        frame('`', value);
    EXPECT_TRUE(h.lighting.named("flashSingleKey").empty());
    EXPECT_EQ(h.lighting.named("setLightingForKey").size(), 5u);
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
    showCooldownsOn({1, 4});
    const std::pair<const char*, std::function<void()>> states[] = {
        {"display off", [&] { h.frames.useSpellCooldowns[0] = false; }},
        {"dead", [&] { h.send("D"); }},
        {"shadow", [&] { h.send("j"); }},
    };
    for (const auto& [why, enter] : states) {
        SCOPED_TRACE(why);
        h.frames.useSpellCooldowns[0] = true;
        h.send("U");
        frame('`', 64);
        frame('`', 0); // a ready flash whose end must not paint over what comes now
        enter();
        h.lighting.clear();
        h.clock.runFor(1.2);
        EXPECT_TRUE(h.lighting.calls.empty());
        frame('`', 64);
        EXPECT_TRUE(cellShows(4, kKey1, cooldown()));
        frame('`', 0);
        EXPECT_TRUE(cellShows(4, kKey1, normal(kKey1)));
        EXPECT_TRUE(h.lighting.calls.empty());
    }
}

// The slots come from the character after the code, however many bytes its UTF-8 takes and
// whatever follows it; a broken character says nothing.
TEST_F(CooldownTest, FrameArgumentIsOneWholeCharacter) {
    const std::pair<const char*, std::set<int32_t>> rows[] = {
        {"`\xc3\x80", {kKey1}},                 // U+00C0: bit 64
        {"`\xc3\xa0tail", {kKey1, kKey2}},      // U+00E0: bits 64 and 32
        {"`\xe2\x82\xac", {0x03, 0x05, 0x06}},  // U+20AC: bits 32, 8 and 4
        {"`\xf0\x9f\x99\x81!", {kKey1}},       // U+1F641
        {"`\xc3", {}}, {"`\x80", {}}, {"`\xc3(", {}}, {"`\xf8\x88\x80\x80\x80", {}},
    };
    for (const auto& [message, dimmed] : rows) {
        frame('`', 0);
        h.send(message);
        EXPECT_EQ(h.frames.dimmedKeys, dimmed) << message;
    }
}

// A cooldown starting again in the ready flash: the flash's last tick puts back the ready
// colour, and the cooldown colour follows it.
TEST_F(CooldownTest, CooldownAgainDuringTheReadyFlashEndsInTheCooldownColor) {
    frame('`', 64);
    frame('`', 0);
    h.clock.runFor(0.3);
    h.lighting.clear();
    frame('`', 64);
    EXPECT_EQ(h.lighting.calls, (std::vector<LightingCall>{{"stopEffectsOnKey", {kKey1}, {}},
                                                           setKey(kKey1, cooldown())}));
    h.lighting.clear();
    h.clock.runFor(0.1);
    EXPECT_EQ(h.lighting.calls, (std::vector<LightingCall>{setKey(kKey1, cooldown())}));
}

TEST_F(CooldownTest, ExtraKeysAreSentByKeyNameAndHaveNoCell) {
    h.slots.barMapC.set('3', 514); // P3
    h.slots.barMapC.set('4', 0);   // no key
    const auto before = h.frames.keyboardColorBitmap[1];
    h.lighting.clear();
    frame('}', 16 | 8);
    EXPECT_EQ(h.lighting.calls, (std::vector<LightingCall>{setKey(0xFFF3, cooldown())}));
    EXPECT_EQ(h.frames.keyboardColorBitmap[1], before);
    h.lighting.clear();
    frame('}', 0);
    EXPECT_EQ(h.lighting.named("flashSingleKey").at(0).args[0], 0xFFF3);
    EXPECT_EQ(h.lighting.named("setLightingForKey").size(), 1u);
}

TEST_F(CooldownTest, BlinkTimeSetsTheFlashDuration) {
    auto& cd = h.director.cooldowns;
    const auto flashAfter = [&](const char* text) {
        cd.blinkTimeChanged(text);
        h.lighting.clear();
        frame('`', 64);
        frame('`', 0);
        return h.lighting.named("flashSingleKey").at(0).args[4];
    };
    EXPECT_EQ(flashAfter("0.25"), 250);
    EXPECT_EQ(flashAfter("0"), 10);
    EXPECT_EQ(h.defaults.getDouble("blinkTimePref"), 0.01);
    // Beyond what the framework takes, the duration is held at its largest value.
    EXPECT_EQ(flashAfter("1e10"), INT_MAX);
    const std::pair<const char*, const char*> texts[] = {
        {" 2.5 s", "2.5"}, {"abc", "0.01"}, {"-3", "0.01"}, {"nan", "0.01"}, {"inf", "0.01"}};
    for (const auto& [text, shown] : texts)
        EXPECT_EQ(cd.blinkTimeChanged(text), shown) << text;
    const std::pair<std::optional<double>, double> stored[] = {
        {std::nullopt, 1.0}, {0.0, 1.0}, {-2.0, 0.01}, {std::nan(""), 1.0}};
    for (const auto& [setting, time] : stored)
        EXPECT_EQ(CooldownDisplay::blinkTimeFromSetting(setting), time);
    h.defaults.setDouble("blinkTimePref", 0.5);
    cd.loadBlinkTime();
    EXPECT_EQ(cd.blinkTime, 0.5);
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
    EXPECT_TRUE(h.frames.useSpellCooldowns[3]);
    EXPECT_TRUE(h.canvasModel.usingActionbarCooldowns);
    EXPECT_EQ(sentBitmaps(h.lighting.calls), std::vector<LightingBitmap>{expected});
    EXPECT_EQ(h.canvas.redraws, 1);
    EXPECT_EQ(h.defaults.getBool("useActionBarCooldowns3"), true);
    EXPECT_EQ(h.frames.dimmedKeys, std::set<int32_t>{kKey1});

    h.frames.useSingleColorMode = true;
    h.director.cooldowns.cooldownCheck(false);
    EXPECT_EQ(h.defaults.getBool("useActionBarCooldowns3"), false);
    EXPECT_FALSE(h.canvasModel.usingActionbarCooldowns);
    EXPECT_EQ(h.lighting.calls.back(), (LightingCall{"setLighting", {30, 50, 25}, {}}));
}

} // namespace
} // namespace et::test
