// The ticks of each effect, what stops them, what the framework refuses to start, effects
// that meet on one key, and where their timers live.
#include "HostFixture.h"

#include <algorithm>
#include <array>
#include <string>
#include <thread>
#include <vector>

namespace effects_test {
namespace {

using Sent = std::vector<std::string>;

class Effects : public HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        initAndClear();
    }
};

// True when no timer waits on the context (the global default when null): every effect the
// library started there is over. Runs one cycle of the context, as the pumps do.
bool noTimerOn(GMainContext* context) {
    if (!context) context = g_main_context_default();
    if (!g_main_context_acquire(context)) return false;
    gint priority = 0, timeout = -1;
    const bool ready = g_main_context_prepare(context, &priority);
    std::array<GPollFD, 16> fds{};
    const gint count = g_main_context_query(context, priority, &timeout, fds.data(), fds.size());
    g_main_context_check(context, priority, fds.data(), std::min<gint>(count, fds.size()));
    g_main_context_dispatch(context);
    g_main_context_release(context);
    return !ready && timeout < 0;
}
bool idle() { return noTimerOn(nullptr); }

// Effects that end by themselves, each tick read back from the host.
TEST_F(Effects, EachEffectSendsItsTicksThenRestores) {
    const struct {
        const char* name;
        std::function<bool()> start;
        Sent sent;
    } rows[] = {
        // f = 20/30 gives red 75 in single precision (74 in double); the sweep back uses
        // w = 1 − f, so it does not retrace the way out exactly.
        // 21 ms in steps of 10 leaves 1 ms: one more blend each way before the restore.
        {"key pulse of 21 ms",
         [] { return CorvLedPulseSingleKey(CLK_A, 100, 0, 0, 0, 0, 0, 21, false); },
         {"SaveKey 30", "Key 30 100 0 0", "Key 30 52 0 0", "Key 30 4 0 0", "Key 30 0 0 0",
          "Key 30 47 0 0", "Key 30 95 0 0", "RestoreKey 30"}},
        {"key pulse blends in single precision and truncates",
         [] { return CorvLedPulseSingleKey(CLK_A, 100, 0, 40, 25, 60, 0, 30, false); },
         {"SaveKey 30", "Key 30 100 0 40", "Key 30 75 19 26", "Key 30 50 39 13", "Key 30 25 60 0",
          "Key 30 50 40 13", "Key 30 75 20 26", "RestoreKey 30"}},
        // The key goes dark between flashes; its saved lighting comes back only at the end.
        {"key flash alternates colour and dark",
         [] { return CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 30, 10); },
         {"SaveKey 28", "Key 28 100 0 100", "Key 28 0 0 0", "Key 28 100 0 100", "RestoreKey 28"}},
        {"key flash of negative duration only restores",
         [] { return CorvLedFlashSingleKey(CLK_F1, 100, 0, 0, -1, 5); },
         {"SaveKey 59", "RestoreKey 59"}},
        {"whole flash alternates colour and restore",
         [] { return CorvLedFlashLighting(100, 0, 50, 40, 10); },
         {"Save", "Set 100 0 50", "Restore", "Set 100 0 50", "Restore", "Restore"}},
        {"whole flash of negative duration",
         [] { return CorvLedFlashLighting(1, 1, 1, -5, 1); },
         {"Save", "Restore"}},
        // Colours are checked per tick: the colour ticks send nothing, the rest runs its course.
        {"whole flash with a refused colour",
         [] { return CorvLedFlashLighting(256, 0, 0, 4, 1); },
         {"Save", "Restore", "Restore", "Restore"}},
        // Levels 0 and 5 (components × 5 / 100, truncated), then the restore on the third tick.
        {"whole pulse",
         [] { return CorvLedPulseLighting(100, 60, 21, 200, 50); },
         {"Save", "Set 0 0 0", "Set 5 3 1", "Restore"}},
        {"whole pulse of 201 ms: the last millisecond shows a level",
         [] { return CorvLedPulseLighting(100, 60, 21, 201, 50); },
         {"Save", "Set 0 0 0", "Set 5 3 1", "Set 10 6 2", "Restore"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(row.start());
        ASSERT_TRUE(pumpUntil(idle));
        EXPECT_EQ(receivedBeforeMarker(), row.sent);
    }
    pumpFor(40);
    EXPECT_EQ(receivedBeforeMarker(), Sent{}) << "a tick after the end";
}

TEST_F(Effects, EndlessEffectsRepeatUntilStopped) {
    ASSERT_TRUE(CorvLedPulseSingleKey(CLK_Space, 100, 0, 0, 0, 0, 100, 20, true));
    ASSERT_TRUE(pumpUntilMessages(1 + 9));
    const auto sweeps = received();
    EXPECT_EQ(Sent(sweeps.begin(), sweeps.begin() + 10),
              (Sent{"SaveKey 57", "Key 57 100 0 0", "Key 57 50 0 50", "Key 57 0 0 100",
                    "Key 57 50 0 50", "Key 57 100 0 0", "Key 57 50 0 50", "Key 57 0 0 100",
                    "Key 57 50 0 50", "Key 57 100 0 0"}));
    receivedBeforeMarker(); // forgets what came before, ticks on their way included
    EXPECT_TRUE(CorvLedStopEffectsOnKey(CLK_Space));
    ASSERT_TRUE(pumpUntil(idle));
    EXPECT_EQ(receivedBeforeMarker(), Sent{"RestoreKey 57"});

    // A whole flash of duration zero does not count down.
    ASSERT_TRUE(CorvLedFlashLighting(1, 2, 3, 0, 1));
    ASSERT_TRUE(pumpUntilMessages(1 + 21));
    const auto flashes = received();
    for (size_t i = 1; i < flashes.size(); ++i)
        EXPECT_EQ(flashes[i], i % 2 ? "Set 1 2 3" : "Restore") << "tick " << i;
    receivedBeforeMarker();
    EXPECT_TRUE(CorvLedStopEffects());
    EXPECT_TRUE(CorvLedStopEffects()); // nothing left to stop: sends nothing
    EXPECT_EQ(receivedBeforeMarker(), Sent{"Restore"});

    // A whole pulse runs up to the full colour and down again in forty ticks.
    ASSERT_TRUE(CorvLedPulseLighting(200, 100, 0, 0, 1));
    ASSERT_TRUE(pumpUntilMessages(1 + 42));
    EXPECT_TRUE(CorvLedStopEffects());
    Sent expected{"Save"};
    for (int tick = 0; tick <= 41; ++tick) {
        const int level = tick <= 20 ? 5 * tick : tick <= 40 ? 200 - 5 * tick : 5;
        expected.push_back("Set " + std::to_string(2 * level) + " " + std::to_string(level) + " 0");
    }
    const auto pulses = received();
    ASSERT_GE(pulses.size(), expected.size());
    EXPECT_EQ(Sent(pulses.begin(), pulses.begin() + expected.size()), expected);
}

TEST_F(Effects, RefusedEffectsStartAndSaveNothing) {
    EXPECT_FALSE(CorvLedPulseSingleKey(CLK_Q, 100, 0, 0, 0, 0, 0, 0, true));
    EXPECT_FALSE(CorvLedPulseSingleKey(CLK_Q, 100, 0, 0, 0, 0, 0, -400, false));
    EXPECT_FALSE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 0, 0));
    EXPECT_FALSE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 500, -75));
    for (int interval : {0, -1, -250}) {
        EXPECT_FALSE(CorvLedFlashLighting(100, 0, 0, 1000, interval)) << interval;
        EXPECT_FALSE(CorvLedPulseLighting(100, 0, 0, 1000, interval)) << interval;
    }
    EXPECT_TRUE(CorvLedStopEffectsOnKey(CLK_Enter)); // nothing to stop
    EXPECT_TRUE(idle());
    EXPECT_EQ(receivedBeforeMarker(), Sent{});

    // A refused restart leaves the running flash as it was.
    ASSERT_TRUE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 0, 10));
    EXPECT_FALSE(CorvLedFlashSingleKey(CLK_Enter, 0, 100, 0, 0, 0));
    ASSERT_TRUE(pumpUntilMessages(4));
    const auto flash = received();
    EXPECT_EQ(Sent(flash.begin(), flash.begin() + 4),
              (Sent{"SaveKey 28", "Key 28 100 0 100", "Key 28 0 0 0", "Key 28 100 0 100"}));
    EXPECT_TRUE(CorvLedStopEffectsOnKey(CLK_Enter));

    // One whole-keyboard effect at a time; the refused ones save nothing.
    ASSERT_TRUE(CorvLedFlashLighting(100, 0, 0, 0, 1000));
    EXPECT_FALSE(CorvLedFlashLighting(0, 100, 0, 0, 1000));
    EXPECT_FALSE(CorvLedPulseLighting(0, 100, 0, 0, 1000));
    EXPECT_TRUE(CorvLedStopEffects());
    ASSERT_TRUE(CorvLedPulseLighting(0, 0, 100, 0, 1000));
    EXPECT_FALSE(CorvLedFlashLighting(0, 100, 0, 0, 1000));
    EXPECT_TRUE(CorvLedStopEffects());
    EXPECT_TRUE(CorvLedFlashLighting(0, 100, 0, 0, 1000));
    const auto sent = receivedBeforeMarker();
    Sent whole;
    std::copy_if(sent.begin(), sent.end(), std::back_inserter(whole),
                 [](const std::string& s) { return s == "Save" || s == "Restore"; });
    EXPECT_EQ(whole, (Sent{"Save", "Restore", "Save", "Restore", "Save"}));
}

using BeforeInit = HostFixture;

TEST_F(BeforeInit, KeyEffectsAreRefusedAndAWholeEffectRunsSilently) {
    EXPECT_FALSE(CorvLedFlashSingleKey(CLK_Enter, 100, 0, 100, 0, 500));
    EXPECT_FALSE(CorvLedPulseSingleKey(CLK_Enter, 100, 0, 0, 25, 0, 0, 400, true));
    ASSERT_TRUE(CorvLedFlashLighting(100, 0, 0, 30, 10));
    ASSERT_TRUE(pumpUntil(idle));
    EXPECT_EQ(host_->messageCount(), 0u);
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
        EXPECT_EQ(host_->state().keyColor(CLK_W), (et::PercentRgb{7, 8, 9}));
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
    ASSERT_TRUE(pumpUntil([this] {
        const auto sent = received();
        return std::find(sent.begin(), sent.end(), "RestoreKey 28") != sent.end();
    }));
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
    ASSERT_TRUE(pumpUntilMessages(6)); // the keys' ticks go on, with no restore of theirs
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
        started = CorvLedPulseSingleKey(CLK_Z, 100, 0, 0, 25, 0, 0, 10, false);
        for (int pass = 0; started && pass < 50000 && !ended; ++pass, g_usleep(200)) {
            ended = noTimerOn(context);
        }
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
