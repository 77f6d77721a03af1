// The director driving the real CorvaneLED library against the host simulator: the effects
// it starts tick on the GLib loop and reach the host socket.
#include "CorvaneLighting.h"
#include "DirectorHarness.h"
#include "GlibRunLoop.h"
#include "HostFixture.h"
#include "KeyGroups.h"

#include <map>
#include <set>

namespace et::test {
namespace {

class DirectorFrameworkTest : public HostFixture, public DirectorParts {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        prepare(frames);
        initAndClear();
    }
    // Per-key colors the host received since the last clear, by key.
    std::map<int32_t, std::vector<hostsim::Rgb>> keyColors() const {
        std::map<int32_t, std::vector<hostsim::Rgb>> out;
        for (const auto& m : host_->messages())
            if (m.command == 0x809)
                out[m.field(8)].push_back({m.field(12), m.field(16), m.field(20)});
        return out;
    }

    CorvaneLighting lighting;
    GlibRunLoop runLoop;
    KeyboardFrames frames{lighting, store, canvasModel};
    LightingDirector director{lighting, runLoop, log,    defaults, frames,
                              canvas,   slots,   random, hooks()};
};

// Combat pulses each combat key from full red down to a quarter and back; a reset then
// leaves no key pulsing or flashing, the whisper flash over Enter's pulse included.
TEST_F(DirectorFrameworkTest, CombatPulsesArriveAndAResetEndsEveryEffect) {
    director.evaluateMessage("C");
    runLoop.runFor(0.9); // a little over one 400 ms sweep there and back
    auto colors = keyColors();
    EXPECT_EQ(colors.size(), 18u);
    for (int32_t key : combatKeys()) {
        SCOPED_TRACE(key);
        int lowest = 100, highest = 0;
        for (const auto& c : colors[key]) {
            EXPECT_EQ(c.green + c.blue, 0);
            lowest = std::min(lowest, c.red), highest = std::max(highest, c.red);
        }
        EXPECT_GE(colors[key].size(), 20u);
        EXPECT_GE(highest, 95);
        EXPECT_LE(lowest, 30);
    }
    director.evaluateMessage("D"); // pulses on P1, P4 and P7 too
    director.evaluateMessage("k"); // and the shadow pulses on every keyboard key
    director.evaluateMessage("I"); // a whisper flash on Enter, over its pulse
    runLoop.runFor(0.3);
    director.resetClicked(true);
    runLoop.runFor(0.1);
    host_->clear();
    runLoop.runFor(0.5);
    // A pulse sends 50 colors in that time; the reset's repaints send a key one or two.
    for (const auto& [key, seen] : keyColors())
        EXPECT_LE(seen.size(), 4u) << "still lit: " << std::hex << key;
}

// Effects that meet on one key, with the library's own timing: a flash and the cooldown it
// follows, a whisper over the combat pulse, combat ending during a flash.
TEST_F(DirectorFrameworkTest, EffectsThatMeetOnOneKeyLeaveItRight) {
    constexpr int32_t kOne = 0x02, kSpace = 0x39, kEnter = 0x1C;
    const Color& cd = frames.keyboardColorSet[kCooldownColor];
    const hostsim::Rgb cooldown{cd.redPercent(), cd.greenPercent(), cd.bluePercent()};
    const auto colorsOf = [&](int32_t key) {
        const auto all = keyColors();
        return all.count(key) ? all.at(key) : std::vector<hostsim::Rgb>{};
    };
    const auto isRed = [](const hostsim::Rgb& c) {
        return c.red > 0 && c.green == 0 && c.blue == 0;
    };
    const auto run = [&](std::initializer_list<const char*> messages, double gap) {
        for (const char* m : messages) {
            director.evaluateMessage(std::string(m, m[0] == '`' ? 2 : 1));
            runLoop.runFor(gap);
        }
    };
    struct Row {
        const char* name;
        int32_t slotKey;
        std::function<std::string()> play;
    };
    const Row rows[] = {
        {"a cooldown restarts during its ready flash", kOne,
         [&] {
             run({"`@", "`\0", "`@"}, 0.3); // the flash is on when the slot goes again
             host_->clear();
             runLoop.runFor(0.4);
             const auto key = host_->state().keyColor(kOne);
             return key && *key == cooldown ? "" : "key 1 looks ready";
         }},
        {"a whisper in combat", kNoKey,
         [&] {
             run({"C"}, 0.3);
             host_->clear();
             run({"I"}, 0.6);
             const auto seen = colorsOf(kEnter);
             const auto magenta =
                 std::find_if(seen.begin(), seen.end(), [](auto& c) { return c.blue == 100; });
             if (magenta == seen.end()) return "no magenta";
             if (std::any_of(magenta, seen.end(), isRed)) return "the pulse paints over it";
             lighting.stopEffectsOnKey(kEnter); // what the relay does for the next message
             director.setWhisperLightActive(false);
             runLoop.runFor(0.6);
             host_->clear();
             runLoop.runFor(0.2);
             const auto after = colorsOf(kEnter);
             return std::any_of(after.begin(), after.end(), isRed) ? "" : "the pulse never resumed";
         }},
        {"combat ends during a flash on a combat key", kSpace,
         [&] {
             run({"C", "`@"}, 0.3);
             host_->clear();
             runLoop.runFor(0.2);
             const auto pulsed = colorsOf(kSpace);
             if (std::none_of(pulsed.begin(), pulsed.end(), isRed))
                 return "cooldown ended the pulse";
             run({"`\0"}, 0.2); // ready: the white flash runs a second
             run({"O"}, 0.6);
             host_->clear();
             runLoop.runFor(0.5);
             const auto colors = keyColors();
             return std::none_of(colors.begin(), colors.end(),
                                 [](auto& key) { return key.second.size() > 4; })
                        ? ""
                        : "a key still pulses";
         }},
    };
    for (const Row& row : rows) {
        director.resetClicked(true);
        frames.useSpellCooldowns[0] = frames.useSpellCooldowns[1] = true;
        slots.barMapA.setSlot(1, row.slotKey);
        runLoop.runFor(0.3);
        host_->clear();
        EXPECT_STREQ(row.play().c_str(), "") << row.name;
    }
}

} // namespace
} // namespace et::test
