// The director driving the real CorvaneLED library against the host simulator: the effects
// it starts tick on the GLib loop and reach the host socket.
#include "CorvaneLighting.h"
#include "DirectorHarness.h"
#include "GlibRunLoop.h"
#include "HostFixture.h"
#include "KeyGroups.h"

#include <map>

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
    std::map<int32_t, std::vector<et::PercentRgb>> keyColors() const {
        std::map<int32_t, std::vector<et::PercentRgb>> out;
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

} // namespace
} // namespace et::test
