// Effects that meet on one key, when effects may start, what ends them and where their
// timers live.
#include "EffectsTest.h"

#include <thread>

namespace effects_test {
namespace {

using BeforeInit = HostFixture;

TEST_F(BeforeInit, KeyEffectsAreRefusedAndAWholeEffectRunsSilently) {
    EXPECT_FALSE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 0, 500));
    EXPECT_FALSE(CorvLedPulseSingleKey(CLK_Enter, 100, 0, 0, 25, 0, 0, 400, true));
    ASSERT_TRUE(CorvLedFlashLighting(100, 0, 0, 30, 10));
    ASSERT_TRUE(pumpUntil(idle));
    EXPECT_EQ(host_->messageCount(), 0u);

    initAndClear();
    EXPECT_TRUE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 0, 500));
    EXPECT_TRUE(CorvLedPulseSingleKey(CLK_Enter, 100, 0, 0, 25, 0, 0, 400, true));
}

// A restart replaces the running effect's colours and interval but keeps the first save,
// so the end brings back what the key showed before either (combat's chat warning turns
// the red pulse white; a cooldown's flash restarts).
TEST_F(Effects, RestartKeepsTheFirstSave) {
    for (const bool pulse : {true, false}) {
        SCOPED_TRACE(pulse ? "pulse" : "flash");
        ASSERT_TRUE(CorvLedSetLightingForKeyWithKeyName(CLK_W, 7, 8, 9));
        ASSERT_TRUE(pulse ? CorvLedPulseSingleKey(CLK_W, 100, 0, 0, 25, 0, 0, 400, true)
                          : CorvLedFlashSingleKey(CLK_W, 100, 0, 0, 0, 5));
        ASSERT_TRUE(pumpUntilMessages(4));
        ASSERT_TRUE(pulse ? CorvLedPulseSingleKey(CLK_W, 100, 100, 100, 25, 25, 25, 10, false)
                          : CorvLedFlashSingleKey(CLK_W, 100, 100, 100, 20, 10));
        ASSERT_TRUE(pumpUntil(idle));
        const auto sent = receivedBeforeMarker();
        EXPECT_EQ(std::count(sent.begin(), sent.end(), "SaveKey 17"), 1);
        ASSERT_GE(sent.size(), 3u);
        EXPECT_EQ(Sent(sent.end() - 3, sent.end()),
                  (Sent{"Key 17 100 100 100", pulse ? "Key 17 25 25 25" : "Key 17 0 0 0",
                        "RestoreKey 17"}));
        EXPECT_EQ(host_->state().keyColor(CLK_W), (hostsim::Rgb{7, 8, 9}));
    }
}

// The whisper flash on Enter during combat's pulse on Enter: a stop ends the flash first,
// a second one the pulse, also when the second comes before the flash's last tick (a reset).
TEST_F(Effects, StopsEndAKeysFlashThenItsPulse) {
    const auto start = [this] {
        ASSERT_TRUE(CorvLedPulseSingleKey(CLK_Enter, 100, 0, 0, 25, 0, 0, 400, true));
        ASSERT_TRUE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 0, 500));
        ASSERT_TRUE(pumpUntilMessages(4));
    };
    start();
    const auto both = received();
    EXPECT_EQ(std::count(both.begin(), both.end(), "SaveKey 28"), 2); // each for its own end

    EXPECT_TRUE(CorvLedStopEffectsOnKey(CLK_Enter));
    ASSERT_TRUE(pumpUntil([] { return g_singleKeyFlashingMap.empty(); }));
    ASSERT_FALSE(idle());
    auto sent = receivedBeforeMarker();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "RestoreKey 28"), 1);
    ASSERT_TRUE(pumpUntilMessages(3)); // the pulse goes on
    for (const auto& line : received())
        EXPECT_EQ(line.rfind("Key 28 ", 0), 0u) << line;
    EXPECT_TRUE(CorvLedStopEffectsOnKey(CLK_Enter));
    ASSERT_TRUE(pumpUntil(idle));
    sent = receivedBeforeMarker();
    EXPECT_EQ(sent.back(), "RestoreKey 28");
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "RestoreKey 28"), 1);

    start();
    EXPECT_TRUE(CorvLedStopEffectsOnKey(CLK_Enter));
    EXPECT_TRUE(CorvLedStopEffectsOnKey(CLK_Enter));
    ASSERT_TRUE(pumpUntil(idle));
    sent = receivedBeforeMarker();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "RestoreKey 28"), 2);
}

TEST_F(Effects, StopEffectsLeavesKeyEffectsAlone) {
    ASSERT_TRUE(CorvLedPulseSingleKey(CLK_C, 100, 0, 0, 25, 0, 0, 400, true));
    ASSERT_TRUE(CorvLedFlashSingleKey(CLK_V, 100, 0, 0, 0, 20));
    ASSERT_TRUE(CorvLedFlashLighting(0, 100, 0, 0, 1000));
    ASSERT_TRUE(pumpUntilMessages(4));
    receivedBeforeMarker();
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

TEST_F(Effects, ShutdownEndsEveryEffectSoNothingFiresAfterIt) {
    for (KeyName key : {CLK_LeftShift, CLK_Enter, CLK_CrestLogo})
        ASSERT_TRUE(CorvLedPulseSingleKey(key, 100, 0, 0, 25, 0, 0, 400, true));
    ASSERT_TRUE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 0, 1));
    ASSERT_TRUE(CorvLedPulseLighting(100, 0, 0, 0, 1));
    ASSERT_TRUE(pumpUntilMessages(12));

    CorvLedShutdown();
    EXPECT_TRUE(idle());
    // The pulse's restore and the one for the session come last; no tick after them.
    const auto endsWithTwoRestores = [this] {
        const auto sent = received();
        return sent.size() >= 2 && sent.back() == "Restore" && sent[sent.size() - 2] == "Restore";
    };
    ASSERT_TRUE(pumpUntil(endsWithTwoRestores));
    const size_t afterShutdown = host_->messageCount();
    pumpFor(40);
    EXPECT_EQ(host_->messageCount(), afterShutdown);
    host_->clear();

    // A new session starts from a clean slate: the keys save their lighting anew.
    initAndClear();
    ASSERT_TRUE(CorvLedFlashSingleKey(CLK_Enter, 1, 2, 3, 10, 10));
    ASSERT_TRUE(pumpUntil(idle));
    EXPECT_EQ(receivedBeforeMarker(), (Sent{"SaveKey 28", "Key 28 1 2 3", "RestoreKey 28"}));
}

TEST_F(Effects, EffectsTickOnTheContextOfTheThreadThatStartedThem) {
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
    EXPECT_EQ(receivedBeforeMarker(),
              (Sent{"SaveKey 44", "Key 44 100 0 0", "Key 44 25 0 0", "RestoreKey 44"}));
}

} // namespace
} // namespace effects_test
