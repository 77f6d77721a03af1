// Message codes and the game state: the lighting each code sends and what it changes.
#include "DirectorHarness.h"
#include "KeyGroups.h"
#include "MessageQueue.h"
#include "MessageRelay.h"

#include <gtest/gtest.h>

namespace et::test {
namespace {

class DirectorTest : public ::testing::Test {
  protected:
    GameState& state() { return h.director.state; }
    std::vector<LightingCall>& calls() { return h.lighting.calls; }

    // The combat pulse as every combat key should receive it, after target device 4.
    static std::vector<LightingCall> pulses(std::vector<int64_t> colors, int periodMs) {
        std::vector<LightingCall> out{{"setTargetDevice", {4}, {}}};
        for (int32_t key : combatKeys()) {
            std::vector<int64_t> args{key};
            args.insert(args.end(), colors.begin(), colors.end());
            args.push_back(periodMs);
            args.push_back(1);
            out.push_back({"pulseSingleKey", args, {}});
        }
        return out;
    }
    static std::vector<LightingCall> redPulses(int periodMs) {
        return pulses({100, 0, 0, 25, 0, 0}, periodMs);
    }

    // Whether the calls show profile `p`: its bitmap, then the eleven extra keys.
    bool showed(int p) {
        const auto sent = sentBitmaps(calls());
        return !sent.empty() && sent.back() == h.frames.keyboardColorBitmap[p] &&
               h.lighting.named("setLightingForKey").size() >= 11;
    }

    // Drain ticks with the game in front until one refreshes the profile.
    int ticksUntilRefresh() {
        for (int tick = 1; tick <= 30; ++tick) {
            h.lighting.clear();
            h.director.gameInFront();
            if (!sentBitmaps(calls()).empty()) return tick;
        }
        return 0;
    }

    DirectorHarness h;
};

TEST_F(DirectorTest, CombatPulsesTheEighteenKeysRedAndSpeedsChangeTheirPeriod) {
    h.send("C");
    EXPECT_EQ(calls(), redPulses(400));
    EXPECT_TRUE(h.director.combatAnimationPlaying());

    h.lighting.clear();
    h.send("y");
    EXPECT_EQ(calls(), redPulses(200));
    EXPECT_EQ(state().combatPulseMs, 200);

    h.lighting.clear();
    h.send("O");
    std::vector<LightingCall> stops{{"setTargetDevice", {4}, {}}};
    for (int32_t key : combatKeys())
        stops.push_back({"stopEffectsOnKey", {key}, {}});
    EXPECT_EQ(calls(), stops);
    EXPECT_FALSE(h.director.combatAnimationPlaying());
}

TEST_F(DirectorTest, SpeedOutsideCombatIsOnlyRememberedForTheNextCombat) {
    for (auto [code, ms] : {std::pair{"x", 300}, {"z", 100}, {"w", 400}, {"y", 200}}) {
        h.send(code);
        EXPECT_EQ(state().combatPulseMs, ms) << code;
    }
    EXPECT_TRUE(calls().empty());
    h.send("C");
    EXPECT_EQ(calls(), redPulses(200));
}

TEST_F(DirectorTest, ChatDuringCombatWarnsWhiteThenRestoresRed) {
    state().combatChatWarning = true;
    h.send("x");
    h.send("C");
    h.lighting.clear();
    h.send("E");
    EXPECT_EQ(calls(), pulses({100, 100, 100, 25, 25, 25}, 200));
    h.lighting.clear();
    h.send("e");
    EXPECT_EQ(calls(), redPulses(300));

    // Without the setting the chat leaves the pulse alone.
    state().combatChatWarning = false;
    h.lighting.clear();
    h.send("E");
    h.send("e");
    EXPECT_TRUE(calls().empty());
}

TEST_F(DirectorTest, ChatProfileSwitchesToTwoAndBack) {
    state().autoToggleProfile2 = true;
    h.send("3");
    h.lighting.clear();
    h.send("E");
    EXPECT_EQ(state().activeColorProfile, 2);
    EXPECT_EQ(state().chatReturnColorProfile, 3);
    EXPECT_TRUE(showed(2));
    h.lighting.clear();
    h.send("e");
    EXPECT_EQ(state().activeColorProfile, 3);
    EXPECT_TRUE(showed(3));

    // A second "E" (its "e" lost) keeps the profile to return to.
    h.send("E");
    h.send("E");
    h.send("e");
    EXPECT_EQ(state().activeColorProfile, 3);
}

TEST_F(DirectorTest, ShadowSilencesTheChatCodesEntirely) {
    state().autoToggleProfile2 = true;
    state().combatChatWarning = true;
    h.send("C");
    h.send("j");
    h.lighting.clear();
    h.send("E");
    h.send("e");
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(state().activeColorProfile, 1);
}

TEST_F(DirectorTest, DeadCharacterKeepsItsProfileWhenTheChatOpens) {
    state().autoToggleProfile2 = true;
    h.send("D");
    h.lighting.clear();
    h.send("E");
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(state().activeColorProfile, 1);
    EXPECT_EQ(state().chatReturnColorProfile, 1);
}

TEST_F(DirectorTest, ProfileCodesSelectAndShow) {
    h.send("5");
    h.lighting.clear();
    h.send("p");
    EXPECT_EQ(state().activeColorProfile, 2); // 5 mod 2 + 1
    EXPECT_TRUE(showed(2));
    h.send("p");
    EXPECT_EQ(state().activeColorProfile, 1);
    EXPECT_EQ(state().chatReturnColorProfile, 5);

    h.lighting.clear();
    h.send("7x");
    EXPECT_EQ(state().activeColorProfile, 7);
    EXPECT_EQ(state().chatReturnColorProfile, 7);
    EXPECT_TRUE(showed(7));
    // The extra keys follow the bitmap, lit from the newly selected profile.
    EXPECT_EQ(calls()[1].name, "setLightingForKey");
    EXPECT_EQ(calls()[1].args[0], 0xFFF1);
    EXPECT_EQ(calls().back().args[0], 0xFFFF2);
}

TEST_F(DirectorTest, SingleColorModeFollowsAProfileWithItsColorA) {
    h.frames.useSingleColorMode = true;
    h.send("4");
    ASSERT_GE(calls().size(), 2u);
    // Color A of profile 4 is (0.4, 0.5, 0.25).
    EXPECT_EQ(calls()[calls().size() - 2], (LightingCall{"setTargetDevice", {7}, {}}));
    EXPECT_EQ(calls().back(), (LightingCall{"setLighting", {40, 50, 25}, {}}));
}

TEST_F(DirectorTest, ASecondWhisperDoesNotRestartTheFlash) {
    h.send("I");
    h.send("I");
    EXPECT_EQ(calls(),
              (std::vector<LightingCall>{{"flashSingleKey", {0x1C, 100, 0, 100, 0, 500}, {}}}));
    EXPECT_TRUE(h.director.whisperLightActive());
}

TEST_F(DirectorTest, DebugLinesShowTheMessageAndItsBytes) {
    h.send("Q");
    h.send("i");
    EXPECT_TRUE(h.log.lines().empty());

    h.debugMode = true;
    h.send("i");
    h.send("Q");
    h.send(std::string(1, '\0'));
    h.send("[B");
    EXPECT_EQ(h.log.lines(), (std::vector<std::string>{
                                 "evaluating message i (69)",
                                 "evaluating message Q (51)",
                                 "Ignored message Q (51) from buffer",
                                 "ignoring message NULL (00)",
                                 "evaluating message [B (5b42)",
                             }));
    EXPECT_TRUE(calls().empty());
}

TEST_F(DirectorTest, RefreshComesOnTheFirstSecondAndThirdTickAfterOUAndF) {
    h.send("O");
    EXPECT_EQ(ticksUntilRefresh(), 1);
    EXPECT_EQ(state().EmberisInTheForeground, 13);
    EXPECT_EQ(ticksUntilRefresh(), 14);

    h.send("U");
    EXPECT_EQ(ticksUntilRefresh(), 2);
    h.send("f");
    EXPECT_EQ(ticksUntilRefresh(), 3);
    EXPECT_GE(h.calibrationConfirms, 4);
}

TEST_F(DirectorTest, DeathFreezesTheCountdownAndRefreshesTheDullBase) {
    h.send("D");
    state().EmberisInTheForeground = 0;
    h.lighting.clear();
    h.director.gameInFront();
    EXPECT_EQ(calls(), (std::vector<LightingCall>{{"setTargetDevice", {4}, {}},
                                                  {"setLighting", {50, 40, 50}, {}}}));
    for (int i = 0; i < 20; ++i)
        h.director.gameInFront();
    EXPECT_EQ(state().EmberisInTheForeground, 13);
}

TEST_F(DirectorTest, RefreshLeavesTheShadowPulsesAlone) {
    h.send("k");
    h.lighting.clear();
    const int confirms = h.calibrationConfirms;
    h.director.refreshLighting();
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(state().EmberisInTheForeground, 13);
    EXPECT_EQ(h.calibrationConfirms, confirms + 1);
}

TEST_F(DirectorTest, SingleColorRefreshInCombatShowsRedForOneSecond) {
    h.frames.useSingleColorMode = true;
    h.send("C");
    h.lighting.clear();
    h.director.refreshLighting();
    EXPECT_EQ(calls(), (std::vector<LightingCall>{{"setTargetDevice", {7}, {}},
                                                  {"setLighting", {100, 0, 0}, {}}}));
    h.clock.runFor(0.99);
    EXPECT_EQ(calls().size(), 2u);
    h.clock.runFor(0.02);
    EXPECT_EQ(calls().back(), (LightingCall{"setLighting", {10, 50, 25}, {}}));

    // Out of combat color A is sent twice.
    h.send("O");
    h.lighting.clear();
    h.director.refreshLighting();
    EXPECT_EQ(h.lighting.named("setLighting"),
              (std::vector<LightingCall>(2, {"setLighting", {10, 50, 25}, {}})));
}

TEST_F(DirectorTest, LeavingTheGameShowsProfileTwoOnceWithoutSelectingIt) {
    state().autoToggleProfile2 = true;
    h.send("6");
    state().EmberisInTheForeground = 5;
    h.lighting.clear();
    h.director.leaveGameLighting();
    EXPECT_TRUE(showed(2));
    EXPECT_EQ(state().activeColorProfile, 6);
    EXPECT_EQ(state().EmberisInTheForeground, 0);
    // The extra keys keep the colors of the working profile, 6.
    EXPECT_EQ(h.frames.keyboardColorSet[kColorA], (Color{0.6, 0.5, 0.25, 1.0}));

    h.lighting.clear();
    h.director.leaveGameLighting();
    EXPECT_TRUE(calls().empty());

    state().autoToggleProfile2 = false;
    state().EmberisInTheForeground = 5;
    h.director.leaveGameLighting();
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(state().EmberisInTheForeground, 0);
}

TEST_F(DirectorTest, ResetReturnsToProfileOneClearsWhisperKeepsSpeedAndChatReturn) {
    h.send("C");
    h.send("D");
    h.send("l");
    h.send("7");
    h.send("I");
    h.send("z");
    h.lighting.clear();
    h.send("R");

    EXPECT_EQ(h.log.lines(), std::vector<std::string>{
                                 "Reset the message queue, color profile, and animated keys."});
    // The queue dropped what came before "R" when it arrived; what came after stays.
    EXPECT_EQ(h.queueResets, 0);
    EXPECT_FALSE(state().combatAnimationPlaying);
    EXPECT_FALSE(state().deadAnimationPlaying);
    EXPECT_FALSE(state().shadowAnimationPlaying);
    EXPECT_FALSE(state().whisperLightActive); // its flash ended with the rest
    EXPECT_EQ(state().combatPulseMs, 100);
    EXPECT_EQ(state().chatReturnColorProfile, 7);
    EXPECT_EQ(state().activeColorProfile, 1);
    EXPECT_EQ(h.frames.keyboardColorSet[kColorA], (Color{0.1, 0.5, 0.25, 1.0}));
    EXPECT_TRUE(showed(1));
    EXPECT_GE(h.calibrationConfirms, 1);

    h.log.clear();
    h.send("-");
    EXPECT_TRUE(h.log.lines().empty());
    h.director.resetClicked(); // the button empties the queue
    EXPECT_EQ(h.queueResets, 1);
}

TEST_F(DirectorTest, ResetStopsThePulsesOutsideTheKeyboardRowsBeforeShowingTheProfile) {
    h.send("C");
    h.send("D");
    h.lighting.clear();
    h.director.resetClicked(true);

    const auto& all = calls();
    const auto firstBitmap = std::find_if(all.begin(), all.end(), [](const LightingCall& c) {
        return c.name == "setLightingFromBitmap";
    });
    ASSERT_NE(firstBitmap, all.end());
    std::map<int64_t, int> stops;
    for (auto it = all.begin(); it != firstBitmap; ++it)
        if (it->name == "stopEffectsOnKey") ++stops[it->args[0]];
    // Crest logo and Talon Badge (combat), P1, P4 and P7 (dead): each may run a flash and
    // a pulse, so each gets two stops.
    for (int64_t key : {0xFFFF1, 0xFFFF2, 0xFFF1, 0xFFF4, 0xFFF7})
        EXPECT_EQ(stops[key], 2) << std::hex << key;
    // Enter can hold a whisper flash and the combat pulse at once.
    EXPECT_EQ(stops[0x1C], 2);
    EXPECT_TRUE(h.lighting.named("stopEffects").empty());
}

TEST_F(DirectorTest, SingleColorResetEndsWithColorAOfProfileOne) {
    h.frames.useSingleColorMode = true;
    h.send("8");
    h.lighting.clear();
    h.send("-");
    EXPECT_EQ(h.lighting.named("stopEffects").size(), 1u);
    EXPECT_EQ(calls().back(), (LightingCall{"setLighting", {10, 50, 25}, {}}));
}

TEST_F(DirectorTest, AnimationCodesTakeTheActiveProfileAndSetTheirFlags) {
    h.send("3");
    h.lighting.clear();
    h.send("B");
    EXPECT_EQ(sentBitmaps(calls()).back(), h.frames.keyboardColorBitmap[3]);

    h.send("W");
    EXPECT_TRUE(h.director.deadAnimationPlaying());
    h.send("V");
    EXPECT_FALSE(h.director.deadAnimationPlaying());

    h.lighting.clear();
    h.send("K");
    EXPECT_FALSE(state().shadowAnimationPlaying);
    // The shadow stop, then the flash that leaves the keyboard black.
    EXPECT_EQ(h.lighting.named("stopEffectsOnKey").size(), 104u);
    EXPECT_EQ(waits(calls()), (std::vector<int64_t>{200, 100, 100, 100, 100}));
    EXPECT_EQ(state().EmberisInTheForeground, 0); // unlike "f"
}

TEST_F(DirectorTest, AnActionBarCodeWithoutItsSlotCharacterChangesNothing) {
    h.slots.barMapA.set('1', 0x02);
    h.director.cooldowns.showActionBarFrame('`', 64);
    ASSERT_EQ(h.frames.dimmedKeys.count(0x02), 1u);
    h.lighting.clear();
    h.send("`");
    EXPECT_EQ(h.frames.dimmedKeys.count(0x02), 1u);
    EXPECT_TRUE(calls().empty());
}

// The director behind the screen link's relay: messages arrive through the queue, and an
// animation's waits run the relay's timers without a second dispatch.
TEST_F(DirectorTest, RelayDispatchesOneMessageAtATimeThroughAnAnimation) {
    MessageQueue queue;
    int foregroundChecks = 0;
    MessageRelay relay(queue, h.director, h.lighting, [&] { ++foregroundChecks; });
    h.onQueueReset = [&] { relay.resetQueue(); };
    std::function<void()> selectTick, drainTick;
    selectTick = [&] {
        relay.handleMessageQueue();
        h.clock.after(0.1, selectTick);
    };
    drainTick = [&] {
        relay.readMsgQueue();
        h.clock.after(0.2, drainTick);
    };
    h.clock.after(0.1, selectTick);
    h.clock.after(0.2, drainTick);

    queue.enqueue("A"); // stream A: about 2.4 s of frames
    queue.enqueue("G");
    h.clock.runFor(1.0);
    EXPECT_EQ(queue.contents(), "G"); // still waiting behind the stream
    h.clock.runFor(3.0);
    EXPECT_EQ(sentBitmaps(calls()).size(), 32u + 7u);
    EXPECT_EQ(queue.contents(), "");

    queue.enqueue("T");
    queue.enqueue("R"); // replaces everything pending
    h.clock.runFor(1.0);
    EXPECT_EQ(queue.contents(), "");
    EXPECT_EQ(h.log.count("Reset the message queue, color profile, and animated keys."), 1);
    EXPECT_GT(foregroundChecks, 0);
}

} // namespace
} // namespace et::test
