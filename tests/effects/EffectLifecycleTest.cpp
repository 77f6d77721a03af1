// When effects may start, what ends them, and where their timers live.
#include "EffectState.h"
#include "EffectsHarness.h"

#include <gmock/gmock.h>

#include <glib.h>

#include <thread>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace effects_test {
namespace {

using EffectLifecycle = EffectsTest;
using BeforeInit = UninitialisedEffectsTest;

TEST_F(BeforeInit, SingleKeyEffectsAreRefusedUntilInit) {
    EXPECT_FALSE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 0, 500));
    EXPECT_FALSE(CorvLedPulseSingleKey(CLK_Enter, 100, 0, 0, 25, 0, 0, 400, true));
    EXPECT_TRUE(g_singleKeyFlashingMap.empty());
    EXPECT_TRUE(g_singleKeyPulsingMap.empty());

    initFramework();
    EXPECT_TRUE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 0, 500));
    EXPECT_TRUE(CorvLedPulseSingleKey(CLK_Enter, 100, 0, 0, 25, 0, 0, 400, true));
}

TEST_F(BeforeInit, AWholeKeyboardEffectRunsItsCourseSilently) {
    ASSERT_TRUE(CorvLedFlashLighting(100, 0, 0, 30, 10));
    ASSERT_TRUE(pumpUntil([] { return g_flashingInfo.timer == nullptr; }));
    EXPECT_EQ(host().messageCount(), 0u);
}

TEST_F(EffectLifecycle, StopEffectsLeavesSingleKeyEffectsAlone) {
    ASSERT_TRUE(CorvLedPulseSingleKey(CLK_C, 100, 0, 0, 25, 0, 0, 400, true));
    ASSERT_TRUE(CorvLedFlashSingleKey(CLK_V, 100, 0, 0, 0, 20));
    ASSERT_TRUE(CorvLedFlashLighting(0, 100, 0, 0, 1000));
    ASSERT_TRUE(pumpUntilMessages(4));
    receivedBeforeMarker(); // forgets the start, ticks still on their way included

    EXPECT_TRUE(CorvLedStopEffects());
    EXPECT_EQ(g_singleKeyPulsingMap.size(), 1u);
    EXPECT_EQ(g_singleKeyFlashingMap.size(), 1u);
    ASSERT_TRUE(pumpUntilMessages(6));
    const auto sent = received();
    EXPECT_EQ(sent.front(), "Restore");
    for (size_t i = 1; i < sent.size(); ++i)
        EXPECT_TRUE(sent[i].rfind("Key 46 ", 0) == 0 || sent[i].rfind("Key 47 ", 0) == 0)
            << sent[i];
}

TEST_F(EffectLifecycle, ShutdownEndsEverySingleKeyEffectSoNothingFiresAfterIt) {
    for (KeyName key : {CLK_LeftShift, CLK_Enter, CLK_CrestLogo})
        ASSERT_TRUE(CorvLedPulseSingleKey(key, 100, 0, 0, 25, 0, 0, 400, true));
    ASSERT_TRUE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 0, 1));
    ASSERT_TRUE(CorvLedPulseLighting(100, 0, 0, 0, 1));
    ASSERT_TRUE(pumpUntilMessages(12));

    CorvLedShutdown();
    EXPECT_THAT(g_singleKeyFlashingMap, IsEmpty());
    EXPECT_THAT(g_singleKeyPulsingMap, IsEmpty());
    EXPECT_EQ(g_pulsingInfo.timer, nullptr);
    // The pulse's restore and the one for the session come last; no tick after them.
    auto endsWithTwoRestores = [this] {
        const auto sent = received();
        return sent.size() >= 2 && sent[sent.size() - 1] == "Restore" &&
               sent[sent.size() - 2] == "Restore";
    };
    ASSERT_TRUE(pumpUntil(endsWithTwoRestores));
    const size_t afterShutdown = host().messageCount();
    runLoopFor(40);
    EXPECT_EQ(host().messageCount(), afterShutdown);
    EXPECT_TRUE(endsWithTwoRestores());
    host().clear();

    // A new session starts from a clean slate: the keys save their lighting anew.
    initFramework();
    ASSERT_TRUE(CorvLedFlashSingleKey(CLK_Enter, 1, 2, 3, 10, 10));
    ASSERT_TRUE(pumpUntil([] { return g_singleKeyFlashingMap.empty(); }));
    EXPECT_THAT(receivedBeforeMarker(), ElementsAre("SaveKey 28", "Key 28 1,2,3", "RestoreKey 28"));
}

TEST_F(EffectLifecycle, EffectsTickOnTheContextOfTheThreadThatStartedThem) {
    // A worker that pushed its own context: its effect ticks there, while nobody runs the
    // global default context.
    bool started = false, ended = false;
    std::thread worker([&] {
        GMainContext* context = g_main_context_new();
        g_main_context_push_thread_default(context);
        // Wakes the worker's loop even if the effect went elsewhere.
        GSource* guard = g_timeout_source_new(1);
        g_source_set_callback(
            guard, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr, nullptr);
        g_source_attach(guard, context);
        started = CorvLedPulseSingleKey(CLK_Z, 100, 0, 0, 25, 0, 0, 10, false);
        for (int pass = 0; started && pass < 2000 && !ended; ++pass) {
            g_main_context_iteration(context, TRUE);
            std::lock_guard<std::mutex> lock(g_effectsLock);
            ended = g_singleKeyPulsingMap.empty();
        }
        g_source_destroy(guard);
        g_source_unref(guard);
        g_main_context_pop_thread_default(context);
        g_main_context_unref(context);
    });
    worker.join();
    ASSERT_TRUE(started);
    EXPECT_TRUE(ended);
    EXPECT_THAT(receivedBeforeMarker(),
                ElementsAre("SaveKey 44", "Key 44 100,0,0", "Key 44 25,0,0", "RestoreKey 44"));
}

} // namespace
} // namespace effects_test
