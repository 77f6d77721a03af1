// Single-key flash and pulse, read back from the host through the real socket.
#include "EffectState.h"
#include "EffectsHarness.h"

#include <gmock/gmock.h>

#include <glib.h>

using ::testing::ElementsAre;

namespace effects_test {
namespace {

using SingleKeyPulse = EffectsTest;
using SingleKeyFlash = EffectsTest;
using StopEffectsOnKey = EffectsTest;

bool pulseEnded(int key) {
    return g_singleKeyPulsingMap.count(key) == 0;
}
bool flashEnded(int key) {
    return g_singleKeyFlashingMap.count(key) == 0;
}

TEST_F(SingleKeyPulse, TenMillisecondsShowsStartThenFinishThenRestores) {
    ASSERT_TRUE(CorvLedPulseSingleKey(CLK_Enter, 100, 0, 0, 25, 0, 0, 10, false));
    ASSERT_TRUE(pumpUntil([] { return pulseEnded(CLK_Enter); }));
    EXPECT_THAT(receivedBeforeMarker(),
                ElementsAre("SaveKey 28", "Key 28 100,0,0", "Key 28 25,0,0", "RestoreKey 28"));
}

TEST_F(SingleKeyPulse, BlendsInSinglePrecisionAndTruncates) {
    // f = 20/30 gives red 75 in single precision (74 in double); the sweep back uses
    // w = 1 − f, so it does not retrace the way out exactly.
    ASSERT_TRUE(CorvLedPulseSingleKey(CLK_A, 100, 0, 40, 25, 60, 0, 30, false));
    ASSERT_TRUE(pumpUntil([] { return pulseEnded(CLK_A); }));
    EXPECT_THAT(receivedBeforeMarker(),
                ElementsAre("SaveKey 30", "Key 30 100,0,40", "Key 30 75,19,26", "Key 30 50,39,13",
                            "Key 30 25,60,0", "Key 30 50,40,13", "Key 30 75,20,26",
                            "RestoreKey 30"));
}

TEST_F(SingleKeyPulse, InfiniteRepeatsBothSweepsUntilStopped) {
    ASSERT_TRUE(CorvLedPulseSingleKey(CLK_Space, 100, 0, 0, 0, 0, 100, 20, true));
    ASSERT_TRUE(pumpUntilMessages(1 + 9));
    const auto sent = received();
    EXPECT_THAT(std::vector<std::string>(sent.begin(), sent.begin() + 10),
                ElementsAre("SaveKey 57", "Key 57 100,0,0", "Key 57 50,0,50", "Key 57 0,0,100",
                            "Key 57 50,0,50", "Key 57 100,0,0", "Key 57 50,0,50", "Key 57 0,0,100",
                            "Key 57 50,0,50", "Key 57 100,0,0"));

    receivedBeforeMarker(); // forgets what came before, ticks on their way included
    EXPECT_TRUE(CorvLedStopEffectsOnKey(CLK_Space));
    ASSERT_TRUE(pumpUntil([] { return pulseEnded(CLK_Space); }));
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre("RestoreKey 57"));
}

TEST_F(SingleKeyPulse, RefusesDurationsBelowOneAndSavesNothing) {
    EXPECT_FALSE(CorvLedPulseSingleKey(CLK_Q, 100, 0, 0, 0, 0, 0, 0, true));
    EXPECT_FALSE(CorvLedPulseSingleKey(CLK_Q, 100, 0, 0, 0, 0, 0, -400, false));
    EXPECT_TRUE(g_singleKeyPulsingMap.empty());
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre());
}

TEST_F(SingleKeyPulse, RestartReplacesTheRunningPulseAndKeepsTheFirstSave) {
    ASSERT_TRUE(CorvLedSetLightingForKeyWithKeyName(CLK_W, 7, 8, 9));
    ASSERT_TRUE(CorvLedPulseSingleKey(CLK_W, 100, 0, 0, 25, 0, 0, 400, true));
    ASSERT_TRUE(pumpUntilMessages(3));
    // Combat's chat warning: the same keys switch to a white pulse.
    ASSERT_TRUE(CorvLedPulseSingleKey(CLK_W, 100, 100, 100, 25, 25, 25, 10, false));
    ASSERT_TRUE(pumpUntil([] { return pulseEnded(CLK_W); }));
    const auto sent = receivedBeforeMarker();
    EXPECT_EQ(countIn(sent, "SaveKey 17"), 1);
    ASSERT_GE(sent.size(), 3u);
    EXPECT_THAT(std::vector<std::string>(sent.end() - 3, sent.end()),
                ElementsAre("Key 17 100,100,100", "Key 17 25,25,25", "RestoreKey 17"));
    const auto shown = host().state().keyColor(CLK_W);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(*shown, (hostsim::Rgb{7, 8, 9}));
}

TEST_F(SingleKeyFlash, AlternatesColorAndDarkThenRestores) {
    ASSERT_TRUE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 30, 10));
    EXPECT_FALSE(g_singleKeyFlashingMap.at(CLK_Enter).isOn); // first tick on the next pass
    ASSERT_TRUE(pumpUntil([] { return flashEnded(CLK_Enter); }));
    // The key goes dark between flashes; its saved lighting comes back only at the end.
    EXPECT_THAT(receivedBeforeMarker(),
                ElementsAre("SaveKey 28", "Key 28 100,0,100", "Key 28 0,0,0", "Key 28 100,0,100",
                            "RestoreKey 28"));
}

TEST_F(SingleKeyFlash, WithNegativeDurationOnlyRestores) {
    ASSERT_TRUE(CorvLedFlashSingleKey(CLK_F1, 100, 0, 0, -1, 5));
    ASSERT_TRUE(pumpUntil([] { return flashEnded(CLK_F1); }));
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre("SaveKey 59", "RestoreKey 59"));
}

TEST_F(SingleKeyFlash, RefusesIntervalsBelowOneAndSavesNothing) {
    EXPECT_FALSE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 0, 0));
    EXPECT_FALSE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 500, -75));
    EXPECT_TRUE(g_singleKeyFlashingMap.empty());
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre());
    // A refused restart leaves the running flash as it was.
    ASSERT_TRUE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 0, 500));
    EXPECT_FALSE(CorvLedFlashSingleKey(CLK_Enter, 0, 100, 0, 0, 0));
    EXPECT_EQ(g_singleKeyFlashingMap.at(CLK_Enter).interval, 500);
    EXPECT_EQ(g_singleKeyFlashingMap.at(CLK_Enter).red, 100);
}

TEST_F(SingleKeyFlash, RestartSavesOnceAndTheNewColorsAndIntervalTakeOver) {
    ASSERT_TRUE(CorvLedSetLightingForKeyWithKeyName(CLK_1, 7, 8, 9));
    ASSERT_TRUE(CorvLedFlashSingleKey(CLK_1, 100, 0, 0, 0, 5));
    ASSERT_TRUE(pumpUntilMessages(4)); // key color, save, two ticks
    ASSERT_TRUE(CorvLedFlashSingleKey(CLK_1, 0, 0, 100, 20, 10));
    EXPECT_EQ(g_singleKeyFlashingMap.at(CLK_1).interval, 10);
    EXPECT_FALSE(g_singleKeyFlashingMap.at(CLK_1).isOn);
    ASSERT_TRUE(pumpUntil([] { return flashEnded(CLK_1); }));

    const auto sent = receivedBeforeMarker();
    EXPECT_EQ(countIn(sent, "SaveKey 2"), 1);
    ASSERT_GE(sent.size(), 3u);
    EXPECT_THAT(std::vector<std::string>(sent.end() - 3, sent.end()),
                ElementsAre("Key 2 0,0,100", "Key 2 0,0,0", "RestoreKey 2"));
    // What comes back is what the key showed before the first flash.
    const auto shown = host().state().keyColor(CLK_1);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(*shown, (hostsim::Rgb{7, 8, 9}));
}

TEST_F(SingleKeyFlash, KeysRunSideBySideEachWithItsOwnMessages) {
    // 0x7FF names no key: the value is carried as given.
    ASSERT_TRUE(CorvLedFlashSingleKey(static_cast<KeyName>(0x7FF), 10, 20, 30, 20, 10));
    ASSERT_TRUE(CorvLedPulseSingleKey(CLK_TalonBadge, 100, 0, 0, 0, 100, 0, 10, false));
    ASSERT_TRUE(pumpUntil([] { return flashEnded(0x7FF) && pulseEnded(CLK_TalonBadge); }));
    std::vector<std::string> flash, pulse;
    for (const auto& line : receivedBeforeMarker())
        (line.find(" 2047") != std::string::npos ? flash : pulse).push_back(line);
    EXPECT_THAT(flash, ElementsAre("SaveKey 2047", "Key 2047 10,20,30", "Key 2047 0,0,0",
                                   "RestoreKey 2047"));
    EXPECT_THAT(pulse, ElementsAre("SaveKey 1048562", "Key 1048562 100,0,0", "Key 1048562 0,100,0",
                                   "RestoreKey 1048562"));
}

TEST_F(StopEffectsOnKey, OnAKeyWithoutEffectsSendsNothing) {
    EXPECT_TRUE(CorvLedStopEffectsOnKey(CLK_Enter));
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre());
}

TEST_F(StopEffectsOnKey, EndsAFlashAndAPulseOnOneKeyOneAtATimeFlashFirst) {
    // The whisper flash on Enter during combat's pulse on Enter.
    ASSERT_TRUE(CorvLedPulseSingleKey(CLK_Enter, 100, 0, 0, 25, 0, 0, 400, true));
    ASSERT_TRUE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 0, 500));
    ASSERT_TRUE(pumpUntilMessages(4));
    EXPECT_EQ(countIn(received(), "SaveKey 28"), 2); // each saved the key for its own end

    EXPECT_TRUE(CorvLedStopEffectsOnKey(CLK_Enter)); // the whisper is dismissed
    ASSERT_TRUE(pumpUntil([] { return flashEnded(CLK_Enter); }));
    ASSERT_FALSE(pulseEnded(CLK_Enter));
    EXPECT_EQ(countIn(receivedBeforeMarker(), "RestoreKey 28"), 1);
    ASSERT_TRUE(pumpUntilMessages(3)); // the pulse goes on
    for (const auto& line : received())
        EXPECT_EQ(line.rfind("Key 28 ", 0), 0u) << line;

    EXPECT_TRUE(CorvLedStopEffectsOnKey(CLK_Enter)); // combat ends
    ASSERT_TRUE(pumpUntil([] { return pulseEnded(CLK_Enter); }));
    const auto sent = receivedBeforeMarker();
    EXPECT_EQ(sent.back(), "RestoreKey 28");
    EXPECT_EQ(countIn(sent, "RestoreKey 28"), 1);
}

TEST_F(StopEffectsOnKey, TwoCallsBackToBackEndBothEffects) {
    // A reset stops every key twice without waiting for ticks in between.
    ASSERT_TRUE(CorvLedPulseSingleKey(CLK_Enter, 100, 0, 0, 25, 0, 0, 400, true));
    ASSERT_TRUE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 0, 500));
    ASSERT_TRUE(pumpUntilMessages(4));
    EXPECT_TRUE(CorvLedStopEffectsOnKey(CLK_Enter));
    EXPECT_TRUE(CorvLedStopEffectsOnKey(CLK_Enter));
    ASSERT_TRUE(pumpUntil([] { return flashEnded(CLK_Enter) && pulseEnded(CLK_Enter); }));
    EXPECT_EQ(countIn(receivedBeforeMarker(), "RestoreKey 28"), 2);
}

} // namespace
} // namespace effects_test
