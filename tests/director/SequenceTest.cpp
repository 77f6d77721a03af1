// Random play sessions through the queue, the relay and the director, with characters the
// strip loses: after every step the keyboard must agree with what the game told it. A
// broken session is cut down to the fewest steps that still break it and printed.
#include "KeyGroups.h"
#include "LinkedDirector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>

namespace et::test {
namespace {

using L = LinkedDirector;

struct Step {
    std::string message; // "#reset" is the reset button
    bool lost = false;   // the strip missed it
    double gap = 0.0;    // seconds until the next step
};

struct Session {
    bool singleColor = false, autoChat = false, chatWarning = false;
    std::vector<Step> steps;
};

std::string describe(const Session& s) {
    std::ostringstream out;
    out << (s.singleColor ? "single color, " : "") << (s.autoChat ? "chat profile, " : "")
        << (s.chatWarning ? "chat warning, " : "") << s.steps.size() << " steps:";
    for (const Step& step : s.steps) {
        out << (step.lost ? " (lost)" : " ");
        for (unsigned char c : step.message)
            out << (c >= 0x20 && c < 0x7f ? std::string(1, static_cast<char>(c))
                                          : "\\" + std::to_string(c));
        out << " +" << step.gap;
    }
    return out.str();
}

Session generate(std::mt19937& rng) {
    // Weighted so that fights, deaths, shadow form, the chat and cooldowns overlap often.
    static const std::vector<std::pair<std::string, int>> alphabet = {
        {"C", 4}, {"O", 4}, {"D", 2},  {"U", 2},  {"j", 2},     {"k", 1},
        {"K", 2}, {"E", 2}, {"e", 2},  {"I", 1},  {"R", 1},     {"#reset", 1},
        {"1", 1}, {"3", 1}, {"c", 1},  {"x", 1},  {"A", 1},     {"G", 1},
        {"W", 1}, {"V", 1}, {"`@", 3}, {"` ", 2}, {"`\x60", 2}, {std::string("`\0", 2), 3},
    };
    std::vector<int> weights;
    for (const auto& [m, w] : alphabet)
        weights.push_back(w);
    std::discrete_distribution<size_t> pick(weights.begin(), weights.end());
    const double gaps[] = {0.05, 0.15, 0.3, 0.6, 1.2};
    std::uniform_int_distribution<int> gap(0, 4), length(8, 40), percent(0, 99);
    Session s{percent(rng) < 20, percent(rng) < 60, percent(rng) < 40, {}};
    for (int n = length(rng); n > 0; --n) {
        Step step{alphabet[pick(rng)].first, false, gaps[gap(rng)]};
        step.lost = step.message != "#reset" && percent(rng) < 7;
        s.steps.push_back(step);
    }
    s.steps.push_back({"", false, 3.0}); // a quiet end, where everything must have settled
    return s;
}

// What the game has told the director, from the messages that arrived.
struct Told {
    bool combat = false, dead = false, deadByD = false, shadow = false, chatOpen = false;
    std::map<int32_t, bool> cooldown;

    void hear(const std::string& m) {
        const char c = m.empty() ? ' ' : m[0];
        if (c == 'C' || c == 'O') combat = c == 'C';
        if (c == 'D' || c == 'W' || c == 'U' || c == 'V') dead = c == 'D' || c == 'W';
        if (c == 'D' || c == 'W' || c == 'U' || c == 'V') deadByD = c == 'D';
        if (c == 'j' || c == 'k' || c == 'K') shadow = c != 'K';
        if (c == 'E' || c == 'e') chatOpen = c == 'E';
        if (c == 'R' || c == '#') combat = dead = deadByD = shadow = false;
        if (c != '`') return;
        cooldown[L::kSpace] = (static_cast<unsigned char>(m[1]) & 64) != 0;
        cooldown[L::kOne] = (static_cast<unsigned char>(m[1]) & 32) != 0;
    }
};

// The first invariant the keyboard breaks now, or empty.
std::string brokenInvariant(L& h, const Session& s, const Told& told) {
    const GameState& st = h.director.state;
    const double quiet = h.clock.now() - h.recorder.lastDispatch;
    const bool settled = h.drained() && quiet >= 0.5;
    if (h.queue.contents().size() > 2 * MessageQueue::kMaxWaiting + 8) return "queue unbounded";
    if (st.whisperLightActive && quiet >= 0.05 &&
        (!h.keyboard.flashing(L::kEnter) || h.keyboard.pulse(L::kEnter)))
        return "whisper flash not visible on Enter";
    if (!settled) return {};
    const bool held = st.whisperLightActive;
    for (int32_t key : combatKeys()) {
        const auto pulse = h.keyboard.pulse(key);
        const bool combatPulse =
            pulse && (*pulse == Rgb{100, 0, 0} || *pulse == Rgb{100, 100, 100});
        if (!told.combat && combatPulse) return "combat pulse after combat ended";
        if (told.combat && !st.deadAnimationPlaying && !st.shadowAnimationPlaying &&
            !(held && key == L::kEnter) && !combatPulse &&
            h.recorder.dropped.find('C') == std::string::npos)
            return "combat key without the combat pulse in combat";
    }
    for (int32_t key : deadBrightKeys())
        if (!told.dead && h.keyboard.pulse(key) == Rgb{50, 40, 50})
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
        h.keyboard.keyColor(0x10) != Rgb{50, 40, 50})
        return "something painted over the dead color";
    // "K" and "W" leave the keyboard dark until the next refresh: 2.6 s of drain ticks, which
    // stop while messages play.
    const bool showing = !s.singleColor && !st.deadAnimationPlaying && !st.shadowAnimationPlaying &&
                         h.clock.now() - h.recorder.lastDark > 4.5;
    for (const auto& [key, cooling] : told.cooldown) {
        if (!showing || h.keyboard.pulse(key) || h.keyboard.flashing(key)) continue;
        if (cooling && h.keyboard.keyColor(key) != L::cooldownColor())
            return "key on cooldown without the cooldown color";
        if (!cooling && h.keyboard.keyColor(key) == L::cooldownColor())
            return "ready key in the cooldown color";
    }
    return {};
}

// Plays the session; the first broken invariant and the step after which it showed.
std::string play(const Session& s, size_t& at) {
    L h;
    h.frames.useSingleColorMode = s.singleColor;
    h.director.state.autoToggleProfile2 = s.autoChat;
    h.director.state.combatChatWarning = s.chatWarning;
    Told told;
    for (at = 0; at < s.steps.size(); ++at) {
        const Step& step = s.steps[at];
        if (step.message == "#reset") {
            h.director.resetClicked();
            h.recorder.lastDispatch = h.clock.now();
            told.hear(step.message);
        } else if (!step.message.empty() && !step.lost) {
            h.queue.enqueue(step.message);
            told.hear(step.message);
        }
        // Check every 50 ms of the gap, so that a fault that heals soon is still seen.
        for (double t = 0.0; t < step.gap; t += 0.05) {
            h.clock.runFor(std::min(0.05, step.gap - t));
            if (auto broken = brokenInvariant(h, s, told); !broken.empty()) return broken;
        }
    }
    return {};
}

// Drops steps one at a time for as long as the session still breaks an invariant.
Session shrink(Session s) {
    size_t at = 0;
    for (bool smaller = true; smaller;) {
        smaller = false;
        for (size_t i = s.steps.size(); i-- > 0;) {
            Session fewer = s;
            fewer.steps.erase(fewer.steps.begin() + static_cast<std::ptrdiff_t>(i));
            if (!play(fewer, at).empty()) {
                s = fewer;
                smaller = true;
            }
        }
    }
    return s;
}

TEST(SequenceTest, RandomSessionsKeepTheKeyboardRight) {
    const char* count = std::getenv("ET_SEQUENCES");
    const int sessions = count ? std::atoi(count) : 5000;
    for (int seed = 1; seed <= sessions; ++seed) {
        std::mt19937 rng(static_cast<uint32_t>(seed));
        const Session session = generate(rng);
        size_t at = 0;
        if (const auto broken = play(session, at); !broken.empty()) {
            const Session shortest = shrink(session);
            const std::string why = play(shortest, at);
            FAIL() << "seed " << seed << ": " << why << " after step " << at + 1 << "\n"
                   << describe(shortest);
        }
    }
}

} // namespace
} // namespace et::test
