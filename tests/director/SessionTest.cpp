// Play sessions through the queue, the relay and the director onto a model of the keyboard,
// with characters the strip loses: after every 50 ms the keyboard must agree with what the
// game told it. The players' scenarios come first, then thousands of random sessions; a
// broken one is named by its seed and the step after which the keyboard went wrong.
#include "DirectorHarness.h"
#include "KeyGroups.h"
#include "KeyboardModel.h"
#include "MessageQueue.h"
#include "MessageRelay.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>

namespace et::test {
namespace {

// The director, remembering when messages reached it and which ones the queue dropped.
struct WatchedDirector : LightingDirector {
    using LightingDirector::LightingDirector;
    void evaluateMessage(const std::string& message) override {
        lastDispatch = clock->now();
        if (message == "K" || message == "W") lastDark = clock->now();
        LightingDirector::evaluateMessage(message);
    }
    void messagesDropped(const std::string& messages) override {
        dropped += messages;
        LightingDirector::messagesDropped(messages);
    }
    const RunLoop* clock = nullptr;
    std::string dropped;
    double lastDispatch = -1.0;
    double lastDark = -10.0; // the last animation that leaves the keyboard dark
};

// The director as the application runs it: messages arrive in the shared queue, the relay's
// two timers move them to the director on the virtual clock, and the lighting lands on a
// KeyboardModel that runs the framework's effects.
struct LinkedDirector : DirectorParts {
    // Key 0x39 (Space) is a combat key, key 0x02 ("1") is not.
    static constexpr int32_t kSpace = 0x39;
    static constexpr int32_t kOne = 0x02;
    static constexpr int32_t kEnter = 0x1C;

    VirtualRunLoop clock;
    KeyboardModel keyboard{clock};
    KeyboardFrames frames{keyboard, store, canvasModel};
    MessageQueue queue;
    std::unique_ptr<MessageRelay> relay;
    WatchedDirector director{keyboard, clock, log,    defaults, frames,
                             canvas,   slots, random, hooks()};

    // Bar A slot 1 on Space, slot 2 on "1"; the cooldown color exact in both units.
    LinkedDirector() {
        debugMode = true;
        director.clock = &clock;
        onQueueReset = [this] { relay->resetQueue(); };
        prepare(frames, Color{0.2, 0.4, 1.0, 1.0});
        slots.barMapA.setSlot(1, kSpace);
        slots.barMapA.setSlot(2, kOne);
        frames.useSpellCooldowns[0] = true;
        relay = std::make_unique<MessageRelay>(queue, director,
                                               [this] { director.gameInFront(); });
        every(0.1, [this] { relay->handleMessageQueue(); });
        every(0.2, [this] { relay->readMsgQueue(); });
    }

    void every(double seconds, std::function<void()> fn) {
        clock.after(seconds, [this, seconds, fn] {
            fn();
            every(seconds, fn);
        });
    }
    bool drained() const { return queue.contents().empty() && relay->currentMessage().empty(); }
    static PercentRgb cooldownColor() { return {20, 40, 100}; }
};

using L = LinkedDirector;

// A step is a message from the strip ("`-" and "`_" are "`" with the NUL character and with
// a space), "#reset" (the button) or "#refresh" (a refresh tick now); "~" marks a message the strip
// lost, "+s" the seconds to the next step (0.25 when left out). A session may start with "single"
// (single color mode), "chat" (the chat profile) and "warn" (the chat warning in combat).
struct Step {
    std::string message;
    bool lost = false;
    double gap = 0.25;
};

struct Session {
    bool singleColor = false, autoChat = false, chatWarning = false;
    std::vector<Step> steps;
};

Session parse(const std::string& text) {
    Session s;
    std::istringstream in(text);
    for (std::string token; in >> token;) {
        if (token == "single" || token == "chat" || token == "warn") {
            (token == "single" ? s.singleColor : token == "chat" ? s.autoChat : s.chatWarning) = true;
            continue;
        }
        Step step;
        step.lost = token[0] == '~';
        const size_t plus = token.find('+', 1);
        step.message = token.substr(step.lost, plus - step.lost);
        if (plus != std::string::npos) step.gap = std::stod(token.substr(plus + 1));
        s.steps.push_back(step);
    }
    return s;
}

Session generate(std::mt19937& rng) {
    // Weighted so that fights, deaths, shadow form, the chat and cooldowns overlap often.
    static const std::vector<std::pair<std::string, int>> alphabet = {
        {"C", 4}, {"O", 4}, {"D", 2}, {"U", 2},  {"j", 2},  {"k", 1},     {"K", 2},  {"E", 2},
        {"e", 2}, {"I", 1}, {"R", 1}, {"1", 1},  {"3", 1},  {"c", 1},     {"x", 1},  {"A", 1},
        {"G", 1}, {"W", 1}, {"V", 1}, {"`@", 3}, {"`_", 2}, {"`\x60", 2}, {"`-", 3}, {"#reset", 1},
    };
    std::vector<int> weights;
    for (const auto& entry : alphabet)
        weights.push_back(entry.second);
    std::discrete_distribution<size_t> pick(weights.begin(), weights.end());
    const double gaps[] = {0.05, 0.15, 0.3, 0.6, 1.2};
    std::uniform_int_distribution<int> gap(0, 4), length(8, 40), percent(0, 99);
    Session s{percent(rng) < 20, percent(rng) < 60, percent(rng) < 40, {}};
    for (int n = length(rng); n > 0; --n) {
        Step step{alphabet[pick(rng)].first, false, gaps[gap(rng)]};
        step.lost = step.message[0] != '#' && percent(rng) < 7;
        s.steps.push_back(step);
    }
    s.steps.push_back({"", false, 3.0}); // a quiet end, where everything must have settled
    return s;
}

// What the game has told the director, from the messages that arrived.
struct Told {
    bool combat = false, dead = false, deadByD = false, shadow = false, chatOpen = false;
    std::map<int32_t, bool> cooldown;
    double pendingSince = 0.0; // when the queue last stood empty

    void hear(const std::string& m) {
        const char c = m.empty() ? ' ' : m[0];
        if (c == 'C' || c == 'O') combat = c == 'C';
        if (c == 'D' || c == 'W' || c == 'U' || c == 'V') dead = c == 'D' || c == 'W';
        if (c == 'D' || c == 'W' || c == 'U' || c == 'V') deadByD = c == 'D';
        if (c == 'j' || c == 'k' || c == 'K') shadow = c != 'K';
        if (c == 'E' || c == 'e') chatOpen = c == 'E';
        if (c == 'R' || m == "#reset") combat = dead = deadByD = shadow = false;
        if (c != '`') return;
        cooldown[L::kSpace] = (static_cast<unsigned char>(m[1]) & 64) != 0;
        cooldown[L::kOne] = (static_cast<unsigned char>(m[1]) & 32) != 0;
    }
};

// The first invariant the keyboard breaks now, or empty.
std::string brokenInvariant(L& h, const Session& s, Told& told) {
    const GameState& st = h.director.state;
    const double quiet = h.clock.now() - h.director.lastDispatch;
    const bool settled = h.drained() && quiet >= 0.5;
    if (h.queue.contents().size() > 2 * MessageQueue::kMaxWaiting + 8) return "queue unbounded";
    // The longest animation plays 2.4 s; nothing else holds a message back that long.
    if (h.drained()) told.pendingSince = h.clock.now();
    if (!told.combat && !told.dead && quiet > 3.0 && h.clock.now() - told.pendingSince > 3.0)
        return "messages wait with no fight or death";
    if (st.whisperLightActive && quiet >= 0.05 &&
        (!h.keyboard.flashing(L::kEnter) || h.keyboard.pulse(L::kEnter)))
        return "whisper flash not visible on Enter";
    if (!settled) return {};
    const bool held = st.whisperLightActive;
    for (int32_t key : combatKeys()) {
        const auto pulse = h.keyboard.pulse(key);
        const bool combatPulse =
            pulse && (*pulse == PercentRgb{100, 0, 0} || *pulse == PercentRgb{100, 100, 100});
        if (!told.combat && combatPulse) return "combat pulse after combat ended";
        if (told.combat && !st.deadAnimationPlaying && !st.shadowAnimationPlaying &&
            !(held && key == L::kEnter) && !combatPulse &&
            h.director.dropped.find('C') == std::string::npos)
            return "combat key without the combat pulse in combat";
    }
    for (int32_t key : deadBrightKeys())
        if (!told.dead && h.keyboard.pulse(key) == PercentRgb{50, 40, 50})
            return "dead pulse after the revival";
    if (st.shadowAnimationPlaying && !st.deadAnimationPlaying && !st.combatAnimationPlaying)
        for (auto row : shadowRows())
            for (int32_t key : row)
                if (!h.keyboard.pulse(key) && !(held && key == L::kEnter))
                    return "shadow form lost its pulse on a key";
    if (s.autoChat && !told.chatOpen && !st.deadAnimationPlaying && !st.shadowAnimationPlaying &&
        st.activeColorProfile == 2)
        return "chat profile while the chat is closed";
    if (told.deadByD && st.deadAnimationPlaying && !st.shadowAnimationPlaying &&
        h.keyboard.keyColor(0x10) != PercentRgb{50, 40, 50})
        return "something painted over the dead color";
    // "K" and "W" leave the keyboard dark until the next refresh: 2.6 s of drain ticks, which
    // stop while messages play.
    const bool showing = !s.singleColor && !st.deadAnimationPlaying && !st.shadowAnimationPlaying &&
                         h.clock.now() - h.director.lastDark > 4.5;
    for (const auto& [key, cooling] : told.cooldown) {
        if (!showing || h.keyboard.pulse(key) || h.keyboard.flashing(key)) continue;
        if (cooling && h.keyboard.keyColor(key) != L::cooldownColor())
            return "key on cooldown without the cooldown color";
        if (!cooling && h.keyboard.keyColor(key) == L::cooldownColor())
            return "ready key in the cooldown color";
    }
    return {};
}

// Plays the session, every step at its time on the clock (so that a reset or a message
// can come in the middle of an animation); the first broken invariant and the step after
// which it showed, or empty.
std::string play(const Session& s, size_t& at) {
    L h;
    h.frames.useSingleColorMode = s.singleColor;
    h.director.state.autoToggleProfile2 = s.autoChat;
    h.director.state.combatChatWarning = s.chatWarning;
    Told told;
    told.pendingSince = h.clock.now();
    h.director.lastDispatch = h.clock.now();
    double when = 0.0;
    at = 0;
    for (size_t i = 0; i < s.steps.size(); ++i) {
        const Step& step = s.steps[i];
        std::string m = step.message == "`-" ? std::string("`\0", 2) : step.message;
        if (m == "`_") m = "` ";
        h.clock.after(when, [&h, &told, &at, i, m, lost = step.lost] {
            at = i;
            if (m == "#reset") {
                h.director.resetClicked();
                h.director.lastDispatch = h.clock.now();
            } else if (m == "#refresh") {
                h.director.refreshLighting();
            } else if (!m.empty() && !lost) {
                h.queue.enqueue(m);
            }
            if (lost) return;
            told.hear(m);
            // The end of a fight or a death starts the wait of what it held back afresh.
            if (!m.empty() && std::string("OUVR#").find(m[0]) != std::string::npos)
                told.pendingSince = h.clock.now();
        });
        when += s.steps[i].gap;
    }
    for (double t = 0.0; t < when; t += 0.05) {
        h.clock.runFor(0.05);
        if (auto broken = brokenInvariant(h, s, told); !broken.empty()) return broken;
    }
    return {};
}

// What players met: a cooldown restarting in its ready flash, combat or death ending in
// shadow form, the chat closing while dead or in shadow form or opening twice, death in
// single-color mode's red moment, a whisper in shadow form, a reset during an animation or
// before a whisper, combat ending during a flash on a combat key, a lost "O", a lost "U".
TEST(SessionTest, PlayersScenariosKeepTheKeyboardRight) {
    std::string lostRevival = "D ";
    for (int i = 0; i < 80; ++i)
        lostRevival += "G+0.1 ";
    const std::string scenarios[] = {
        "`@ `- `@+1.5",
        "j C O+1",
        "j D U+1",
        "chat 3 E D e U+1",
        "chat 3 E E e+1",
        "chat 3 D E e U+1",
        "chat 3 E j e K+1",
        "single C+0.5 #refresh O+0.2 D+1.5",
        "j I+1",
        "3+0.5 A+0.5 #reset+0.5 C+3",
        "I #reset I+1",
        "C `@+1",
        "`@ C+0.3 `-+0.2 O+1.5",
        "C+3 ~O C+0.15 O+0.15 G+4",
        lostRevival + "U+3",
    };
    for (const std::string& scenario : scenarios) {
        size_t at = 0;
        EXPECT_EQ(play(parse(scenario), at), "") << scenario << " (step " << at + 1 << ")";
    }
}

TEST(SessionTest, RandomSessionsKeepTheKeyboardRight) {
    const char* count = std::getenv("ET_SESSIONS");
    const int sessions = count ? std::atoi(count) : 5000;
    for (int seed = 1; seed <= sessions; ++seed) {
        std::mt19937 rng(static_cast<uint32_t>(seed));
        const Session session = generate(rng);
        size_t at = 0;
        if (const auto broken = play(session, at); !broken.empty())
            FAIL() << "seed " << seed << ": " << broken << " after step " << at + 1;
    }
}

} // namespace
} // namespace et::test
