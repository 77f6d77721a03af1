// Whole-keyboard flash and pulse, read back from the host through the real socket.
#include "EffectState.h"
#include "EffectsHarness.h"

#include <gmock/gmock.h>

#include <glib.h>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace effects_test {
namespace {

using WholeKeyboardFlash = EffectsTest;
using WholeKeyboardPulse = EffectsTest;

TEST_F(WholeKeyboardFlash, AlternatesColorAndRestoreThenEndsWithARestore) {
    ASSERT_TRUE(CorvLedFlashLighting(100, 0, 50, 1000, 250));
    // Started, saved, but not a tick yet: that comes on the loop's next pass.
    EXPECT_FALSE(g_flashingInfo.isOn);
    EXPECT_EQ(g_flashingInfo.remainingDuration, 1000);
    g_main_context_iteration(nullptr, FALSE);
    EXPECT_TRUE(g_flashingInfo.isOn);
    EXPECT_EQ(g_flashingInfo.remainingDuration, 750);

    ASSERT_TRUE(pumpUntil([] { return g_flashingInfo.timer == nullptr; }));
    // 0 ms color, 250 restore, 500 color, 750 restore, 1000 the final restore.
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre("Save", "Set 100,0,50", "Restore",
                                                    "Set 100,0,50", "Restore", "Restore"));
    runLoopFor(60);
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre());
}

TEST_F(WholeKeyboardFlash, WithDurationZeroRunsUntilStoppedWithoutCountingDown) {
    ASSERT_TRUE(CorvLedFlashLighting(1, 2, 3, 0, 1));
    ASSERT_TRUE(pumpUntilMessages(1 + 21));
    EXPECT_TRUE(g_flashingInfo.infinite);
    EXPECT_EQ(g_flashingInfo.remainingDuration, 1);
    const auto sent = received();
    for (size_t i = 1; i < sent.size(); ++i)
        EXPECT_EQ(sent[i], i % 2 ? "Set 1,2,3" : "Restore") << "tick " << i;

    receivedBeforeMarker(); // forgets what came before, ticks on their way included
    EXPECT_TRUE(CorvLedStopEffects());
    EXPECT_TRUE(CorvLedStopEffects()); // nothing left to stop: sends nothing
    EXPECT_EQ(g_flashingInfo.timer, nullptr);
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre("Restore"));
    runLoopFor(20);
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre());
}

TEST_F(WholeKeyboardFlash, WithNegativeDurationOnlyRestoresOnce) {
    ASSERT_TRUE(CorvLedFlashLighting(100, 100, 100, -5, 1));
    ASSERT_TRUE(pumpUntil([] { return g_flashingInfo.timer == nullptr; }));
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre("Save", "Restore"));
}

TEST_F(WholeKeyboardFlash, KeepsTickingWhenItsColorIsRefused) {
    // Colors are checked per tick: the color ticks send nothing, the rest runs its course.
    ASSERT_TRUE(CorvLedFlashLighting(256, 0, 0, 4, 1));
    ASSERT_TRUE(pumpUntil([] { return g_flashingInfo.timer == nullptr; }));
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre("Save", "Restore", "Restore", "Restore"));
}

TEST_F(WholeKeyboardPulse, ShowsLevelsThenRestores) {
    ASSERT_TRUE(CorvLedPulseLighting(100, 60, 21, 200, 50));
    ASSERT_TRUE(pumpUntil([] { return g_pulsingInfo.timer == nullptr; }));
    // Levels 0 and 5 (components × 5 / 100, truncated), then the restore on the third tick.
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre("Save", "Set 0,0,0", "Set 5,3,1", "Restore"));
}

TEST_F(WholeKeyboardPulse, RunsUpAndDownInFortyTickCycles) {
    ASSERT_TRUE(CorvLedPulseLighting(200, 100, 0, 0, 1));
    ASSERT_TRUE(pumpUntilMessages(1 + 42));
    EXPECT_TRUE(CorvLedStopEffects());
    std::vector<int> levels;
    for (int level = 0; level <= 100; level += 5)
        levels.push_back(level);
    for (int level = 95; level >= 0; level -= 5)
        levels.push_back(level);
    levels.push_back(5);
    std::vector<std::string> sets;
    for (int level : levels)
        sets.push_back("Set " + std::to_string(2 * level) + "," + std::to_string(level) + ",0");
    auto sent = received();
    ASSERT_GE(sent.size(), 1 + sets.size());
    EXPECT_EQ(sent.front(), "Save");
    EXPECT_THAT(std::vector<std::string>(sent.begin() + 1, sent.begin() + 1 + sets.size()),
                ElementsAreArray(sets));
}

TEST_F(WholeKeyboardFlash, RefusesIntervalsBelowOneAndStartsNothing) {
    for (int interval : {0, -1, -250}) {
        EXPECT_FALSE(CorvLedFlashLighting(100, 0, 0, 1000, interval)) << interval;
        EXPECT_FALSE(CorvLedPulseLighting(100, 0, 0, 1000, interval)) << interval;
    }
    EXPECT_EQ(g_flashingInfo.timer, nullptr);
    EXPECT_EQ(g_pulsingInfo.timer, nullptr);
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre());
}

TEST_F(WholeKeyboardFlash, OnlyOneWholeKeyboardEffectRunsAtATime) {
    ASSERT_TRUE(CorvLedFlashLighting(100, 0, 0, 0, 1000));
    EXPECT_FALSE(CorvLedFlashLighting(0, 100, 0, 0, 1000));
    EXPECT_FALSE(CorvLedPulseLighting(0, 100, 0, 0, 1000));
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre("Save")); // the refused ones save nothing

    EXPECT_TRUE(CorvLedStopEffects());
    ASSERT_TRUE(CorvLedPulseLighting(0, 0, 100, 0, 1000));
    EXPECT_FALSE(CorvLedFlashLighting(0, 100, 0, 0, 1000));
    EXPECT_FALSE(CorvLedPulseLighting(0, 100, 0, 0, 1000));
    EXPECT_TRUE(CorvLedStopEffects());
    EXPECT_TRUE(CorvLedFlashLighting(0, 100, 0, 0, 1000));
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre("Restore", "Save", "Restore", "Save"));
}

} // namespace
} // namespace effects_test
