// Game states that overlap, resets in the middle of things and characters the strip lost:
// each row plays what a player meets through the queue, the relay and the director, and
// names what the keyboard must show afterwards.
#include "KeyGroups.h"
#include "LinkedDirector.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace et::test {
namespace {

using L = LinkedDirector;

// Empty when every keyboard-row key pulses with shadow form, else the first that does not.
std::string shadowOnEveryRowKey(L& h) {
    for (auto row : shadowRows())
        for (int32_t key : row)
            if (const auto p = h.keyboard.pulse(key); !p || p->green == 0)
                return "key " + std::to_string(key) + " lost shadow form's pulse";
    return {};
}

std::string noCombatPulse(L& h) {
    for (int32_t key : combatKeys())
        if (const auto p = h.keyboard.pulse(key); p && *p == Rgb{100, 0, 0})
            return "key " + std::to_string(key) + " still pulses red";
    return h.director.state.combatAnimationPlaying ? "combat flag still set" : "";
}

std::string expect(bool ok, const char* fault) {
    return ok ? "" : fault;
}

struct Scenario {
    const char* name;
    std::function<void(L&)> play;
    std::function<std::string(L&)> fault; // empty when the keyboard is right
};

TEST(OverlapTest, TheKeyboardStaysRightWhenStatesOverlapOrAMessageIsLost) {
    const Scenario scenarios[] = {
        {"combat ends inside shadow form",
         [](L& h) {
             h.arrive({"j", "C", "O"});
         },
         shadowOnEveryRowKey},
        {"death ends inside shadow form",
         [](L& h) {
             h.arrive({"j", "D", "U"});
         },
         shadowOnEveryRowKey},
        {"chat closed while dead",
         [](L& h) {
             h.director.state.autoToggleProfile2 = true;
             h.arrive({"3", "E", "D", "e", "U"});
         },
         [](L& h) {
             return expect(h.director.state.activeColorProfile == 3, "chat profile stuck");
         }},
        {"chat closed in shadow form",
         [](L& h) {
             h.director.state.autoToggleProfile2 = true;
             h.arrive({"3", "E", "j", "e", "K"});
         },
         [](L& h) {
             return expect(h.director.state.activeColorProfile == 3, "chat profile stuck");
         }},
        {"single color: death within the red moment",
         [](L& h) {
             h.frames.useSingleColorMode = true;
             h.arrive({"C"}, 0.5);
             h.director.refreshLighting();
             h.arrive({"O", "D"}, 0.2);
             h.clock.runFor(1.5);
         },
         [](L& h) {
             return expect(h.keyboard.keyColor(0x10) == Rgb{50, 40, 50}, "color A over death");
         }},
        {"reset during an animation",
         [](L& h) {
             h.arrive({"3"}, 0.5);
             h.queue.enqueue("A"); // 2.4 s of frames, from the next drain tick
             h.clock.after(0.5, [&h] { h.director.resetClicked(); });
             h.clock.after(1.0, [&h] { h.queue.enqueue("C"); });
             h.clock.runFor(4.0);
         },
         [](L& h) {
             if (!h.director.state.combatAnimationPlaying) return std::string("combat never lit");
             if (!h.keyboard.pulse(L::kSpace)) return std::string("no combat pulse");
             return expect(h.keyboard.bitmap() == h.frames.keyboardColorBitmap[1],
                           "the animation put the old profile back");
         }},
        {"whisper after a reset",
         [](L& h) {
             h.arrive({"I", "R", "I"}, 0.5);
         },
         [](L& h) {
             return expect(h.director.state.whisperLightActive && h.keyboard.flashing(L::kEnter),
                           "second whisper dropped");
         }},
        {"one lost O",
         [](L& h) {
             h.arrive({"C"}); // its "O" never arrives
             h.clock.runFor(5.0);
             h.arrive({"C", "O", "G"}, 0.15);
             h.clock.runFor(2.0);
         },
         [](L& h) {
             if (auto f = noCombatPulse(h); !f.empty()) return f;
             return expect(h.drained(), "ordinary messages still wait");
         }},
        {"one lost U",
         [](L& h) {
             h.arrive({"D"}); // its "U" never arrives
             for (int i = 0; i < 60; ++i)
                 h.arrive({"G"}, 0.1);
             h.recorder.dispatched.clear();
             h.arrive({"U"}, 3.0);
         },
         [](L& h) {
             if (!h.recorder.dropped.empty() &&
                 h.log.countStartingWith("Dropped stale messages") == 0)
                 return std::string("drops not logged");
             return expect(h.recorder.dropped.size() >= 60 - MessageQueue::kMaxWaiting &&
                               std::count(h.recorder.dispatched.begin(),
                                          h.recorder.dispatched.end(), "G") == 0,
                           "stale animations replayed");
         }},
    };
    for (const Scenario& s : scenarios) {
        L h;
        s.play(h);
        h.clock.runFor(0.5);
        EXPECT_EQ(s.fault(h), "") << s.name;
    }
}

} // namespace
} // namespace et::test
