// Message codes and the game state: the lighting each code sends and what it changes.
#include "DirectorHarness.h"
#include "KeyGroups.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace et::test {
namespace {

// Every combat key as the combat pulse (or its stop) should reach it, after device 4.
std::vector<LightingCall> combat(std::vector<int64_t> colors, int periodMs) {
    std::vector<LightingCall> out{{"setTargetDevice", {4}, {}}};
    for (int32_t key : combatKeys()) {
        std::vector<int64_t> args{key};
        args.insert(args.end(), colors.begin(), colors.end());
        if (periodMs) args.insert(args.end(), {periodMs, 1});
        out.push_back({periodMs ? "pulseSingleKey" : "stopEffectsOnKey", args, {}});
    }
    return out;
}
std::vector<LightingCall> red(int periodMs) {
    return combat({100, 0, 0, 25, 0, 0}, periodMs);
}

// What one message sends after the messages before it; "warn" turns the chat warning in
// combat on, "chat" the chat profile.
TEST(DirectorCodes, EachMessageSendsItsLighting) {
    const LightingCall stopEnter{"stopEffectsOnKey", {0x1C}, {}},
        flashEnter{"flashSingleKey", {0x1C, 100, 0, 100, 0, 500}, {}};
    const struct {
        const char* before;
        const char* message;
        std::vector<LightingCall> calls;
    } rows[] = {
        {"", "C", red(400)},
        {"C", "y", red(200)},
        {"C", "x", red(300)},
        {"C", "z", red(100)},
        {"C", "w", red(400)},
        {"C", "O", combat({}, 0)},
        {"", "x", {}}, // remembered for the next fight
        {"x", "C", red(300)},
        {"warn x C", "E", combat({100, 100, 100, 25, 25, 25}, 200)}, // at its own speed
        {"warn x C E", "e", red(300)},
        {"x C", "E", {}},
        {"chat D", "E", {}}, // dead or in shadow form the chat changes nothing
        {"warn chat C j", "E", {}},
        {"", "I", {flashEnter}},
        {"I", "I", {}}, // a second whisper does not restart the flash
        // Combat's pulse on Enter would paint over the flash.
        {"C", "I", {stopEnter, flashEnter}},
        // "#end": the next message needs the keyboard; Enter gets back the pulse that is due.
        {"I", "#end", {stopEnter}},
        {"x C I", "#end", {stopEnter, {"pulseSingleKey", {0x1C, 100, 0, 0, 25, 0, 0, 300, 1}, {}}}},
        {"", "#end", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.before) + " | " + row.message);
        DirectorHarness h;
        std::istringstream before(row.before);
        for (std::string m; before >> m;) {
            if (m == "warn") h.director.state.combatChatWarning = true;
            if (m == "chat") h.director.state.autoToggleProfile2 = true;
            if (m != "warn" && m != "chat") h.send(m);
        }
        h.lighting.clear();
        if (row.message == std::string("#end"))
            h.director.endWhisperLight();
        else
            h.send(row.message);
        EXPECT_EQ(h.lighting.calls, row.calls);
    }
}

class DirectorTest : public ::testing::Test {
  protected:
    GameState& state() { return h.director.state; }
    std::vector<LightingCall>& calls() { return h.lighting.calls; }
    void sendAfresh(const char* message) {
        h.lighting.clear();
        h.send(message);
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

TEST_F(DirectorTest, ChatAndProfileCodesSelectAndShow) {
    state().autoToggleProfile2 = true;
    h.send("5");
    sendAfresh("E");
    EXPECT_EQ(state().activeColorProfile, 2);
    EXPECT_TRUE(showed(2));
    sendAfresh("e");
    EXPECT_EQ(state().activeColorProfile, 5);
    EXPECT_TRUE(showed(5));

    state().autoToggleProfile2 = false;
    sendAfresh("p");
    EXPECT_EQ(state().activeColorProfile, 2); // 5 mod 2 + 1
    EXPECT_TRUE(showed(2));
    h.send("p");
    EXPECT_EQ(state().activeColorProfile, 1);
    EXPECT_EQ(state().chatReturnColorProfile, 5);

    sendAfresh("7x");
    EXPECT_EQ(state().activeColorProfile, 7);
    EXPECT_EQ(state().chatReturnColorProfile, 7);
    EXPECT_TRUE(showed(7));
    // The extra keys follow the bitmap, lit from the newly selected profile.
    EXPECT_EQ(calls()[1].args[0], 0xFFF1);
    EXPECT_EQ(calls().back().args[0], 0xFFFF2);
}

// The whole keyboard takes color A of the profile: on selection, at a reset, and after the
// one red second of a refresh in combat.
TEST_F(DirectorTest, SingleColorModeShowsColorAOfTheProfile) {
    h.frames.useSingleColorMode = true;
    const LightingCall device7{"setTargetDevice", {7}, {}},
        colorA1{"setLighting", {10, 50, 25}, {}};
    sendAfresh("4");
    EXPECT_EQ(std::vector(calls().end() - 2, calls().end()),
              (std::vector<LightingCall>{device7, {"setLighting", {40, 50, 25}, {}}}));
    sendAfresh("-");
    EXPECT_EQ(h.lighting.named("stopEffects").size(), 1u);
    EXPECT_EQ(calls().back(), colorA1);

    h.send("C");
    h.lighting.clear();
    h.director.refreshLighting();
    EXPECT_EQ(calls(), (std::vector<LightingCall>{device7, {"setLighting", {100, 0, 0}, {}}}));
    h.clock.runFor(0.99);
    EXPECT_EQ(calls().size(), 2u);
    h.clock.runFor(0.02);
    EXPECT_EQ(calls().back(), colorA1);
    h.send("O");
    h.lighting.clear();
    h.director.refreshLighting();
    EXPECT_EQ(h.lighting.named("setLighting"), std::vector<LightingCall>(2, colorA1));
}

TEST_F(DirectorTest, RefreshTicksFollowTheGameState) {
    h.send("O");
    EXPECT_EQ(ticksUntilRefresh(), 1);
    EXPECT_EQ(state().EmberisInTheForeground, 13);
    EXPECT_EQ(ticksUntilRefresh(), 14);
    h.send("U");
    EXPECT_EQ(ticksUntilRefresh(), 2);
    h.send("f");
    EXPECT_EQ(ticksUntilRefresh(), 3);
    EXPECT_GE(h.calibrationConfirms, 4);

    // Death freezes the countdown and refreshes the dull base.
    h.send("D");
    state().EmberisInTheForeground = 0;
    h.lighting.clear();
    h.director.gameInFront();
    EXPECT_EQ(calls(), (std::vector<LightingCall>{{"setTargetDevice", {4}, {}},
                                                  {"setLighting", {50, 40, 50}, {}}}));
    for (int i = 0; i < 20; ++i)
        h.director.gameInFront();
    EXPECT_EQ(state().EmberisInTheForeground, 13);

    // A refresh leaves the shadow pulses alone.
    h.send("U");
    sendAfresh("k");
    h.lighting.clear();
    const int confirms = h.calibrationConfirms;
    h.director.refreshLighting();
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(h.calibrationConfirms, confirms + 1);
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
    state().autoToggleProfile2 = false;
    state().EmberisInTheForeground = 5;
    h.director.leaveGameLighting();
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(state().EmberisInTheForeground, 0);
}

TEST_F(DirectorTest, ResetReturnsToProfileOneStopsEveryKeyTwiceKeepsSpeedAndChatReturn) {
    for (const char* m : {"C", "D", "l", "7", "I", "z"})
        h.send(m);
    sendAfresh("R");
    EXPECT_EQ(h.log.lines(), std::vector<std::string>{
                                 "Reset the message queue, color profile, and animated keys."});
    // The queue dropped what came before "R" when it arrived; what came after stays.
    EXPECT_EQ(h.queueResets, 0);
    EXPECT_FALSE(state().combatAnimationPlaying || state().deadAnimationPlaying ||
                 state().shadowAnimationPlaying);
    EXPECT_FALSE(state().whisperLightActive); // its flash ended with the rest
    EXPECT_EQ(state().combatPulseMs, 100);
    EXPECT_EQ(state().chatReturnColorProfile, 7);
    EXPECT_EQ(state().activeColorProfile, 1);
    EXPECT_EQ(h.frames.keyboardColorSet[kColorA], (Color{0.1, 0.5, 0.25, 1.0}));
    EXPECT_TRUE(showed(1));
    EXPECT_GE(h.calibrationConfirms, 1);
    // Each key the director may have lit got two stops, the second for a flash that ended
    // first; the profile is shown again once the pulses have restored their keys, then after
    // the whisper's.
    std::map<int64_t, int> stops;
    for (const auto& c : h.lighting.named("stopEffectsOnKey"))
        ++stops[c.args[0]];
    EXPECT_EQ(stops.count(0xFFF1), 1u);
    for (const auto& [key, n] : stops)
        EXPECT_EQ(n, 2) << std::hex << key;
    for (double settle : {0.11, 0.5}) {
        h.lighting.clear();
        h.clock.runFor(settle);
        EXPECT_TRUE(showed(1)) << settle;
    }
    h.log.clear();
    h.send("-");
    EXPECT_TRUE(h.log.lines().empty());
    h.director.resetClicked(); // the button empties the queue
    EXPECT_EQ(h.queueResets, 1);
}

// In debug mode every message is logged with its bytes, and a code with no meaning (a profile
// number outside 1-9 too) as ignored.
TEST_F(DirectorTest, DebugModeLogsMessagesAndTheCodesItIgnores) {
    h.send("Q");
    EXPECT_TRUE(h.log.lines().empty());
    h.debugMode = true;
    for (char code : std::string("RCODUGgSsMmAHrTaFfNnhJWVwxyzpjklKLBEeIi123456789`[]{}"))
        h.send(std::string{code, ' '});
    EXPECT_EQ(h.log.countStartingWith("Ignored"), 0);
    h.log.clear();
    for (const char* m : {"0", ":", "c\xc3\xa9"})
        h.send(m);
    h.send(std::string("\0C", 2));
    h.director.messagesDropped("C\xff");
    EXPECT_EQ(h.log.lines(),
              (std::vector<std::string>{"evaluating message 0 (30)",
                                        "Ignored message 0 (30) from buffer",
                                        "evaluating message : (3a)",
                                        "Ignored message : (3a) from buffer",
                                        "evaluating message c\xc3\xa9 (63c3a9)",
                                        "Ignored message c\xc3\xa9 (63c3a9) from buffer",
                                        "ignoring message NULL (00)",
                                        "Dropped stale messages 43ff from buffer"}));
}

TEST_F(DirectorTest, AnimationCodesTakeTheActiveProfileAndSetTheirFlags) {
    h.send("3");
    sendAfresh("B");
    EXPECT_EQ(sentBitmaps(calls()).back(), h.frames.keyboardColorBitmap[3]);
    h.send("W");
    EXPECT_TRUE(h.director.deadAnimationPlaying());
    h.send("V");
    EXPECT_FALSE(h.director.deadAnimationPlaying());
    sendAfresh("K");
    EXPECT_FALSE(state().shadowAnimationPlaying);
    // The shadow stop, then the flash that leaves the keyboard black.
    EXPECT_EQ(h.lighting.named("stopEffectsOnKey").size(), 104u);
    EXPECT_EQ(waits(calls()), (std::vector<int64_t>{200, 100, 100, 100, 100}));
    EXPECT_EQ(state().EmberisInTheForeground, 0); // unlike "f"

    // An action-bar code without its slot character changes nothing.
    h.slots.barMapA.set('1', 0x02);
    h.director.cooldowns.showActionBarFrame('`', 64);
    sendAfresh("`");
    EXPECT_EQ(h.frames.dimmedKeys.count(0x02), 1u);
    EXPECT_TRUE(calls().empty());
}

// What the director left pending (a reset's repaints, the red second of a refresh in combat,
// the cooldown preview) never runs once it is gone.
TEST(DirectorLifetime, PendingTimersEndWithTheDirector) {
    VirtualRunLoop clock;
    RecordingLighting lighting;
    {
        DirectorParts parts;
        KeyboardFrames frames{lighting, parts.store, parts.canvasModel};
        LightingDirector director{lighting,     clock,        parts.log,    parts.defaults,
                                  frames,       parts.canvas, parts.slots,  parts.random,
                                  parts.hooks()};
        frames.useSingleColorMode = true;
        director.evaluateMessage("C");
        director.refreshLighting();
        director.resetClicked();
        director.cooldowns.revealCooldownColors();
    }
    lighting.clear();
    clock.runFor(2.0);
    EXPECT_TRUE(lighting.calls.empty());
}

} // namespace
} // namespace et::test
