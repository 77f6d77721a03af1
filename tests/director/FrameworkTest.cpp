// The director driving the real CorvaneLED library against the host simulator: the effects
// it starts tick on the GLib loop and reach the host socket.
#include "FrameworkLighting.h"
#include "HostFixture.h"
#include "KeyGroups.h"
#include "LightingDirector.h"
#include "MemoryDefaults.h"
#include "ProfileStore.h"
#include "RecordingLog.h"

#include <map>
#include <set>

namespace et::test {
namespace {

class NoCanvas : public CooldownCanvas {
  public:
    CanvasModel& model() override { return model_; }
    void redraw() override {}

  private:
    CanvasModel model_;
};

class DirectorFrameworkTest : public HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        frames.loadAllColorProfiles();
        initAndClear();
    }

    // Per-key colors the host received since the last clear, by key.
    std::map<int32_t, std::vector<hostsim::Rgb>> keyColors() const {
        std::map<int32_t, std::vector<hostsim::Rgb>> out;
        for (const auto& m : host_->messages())
            if (std::string(m.name()) == "SetLightingForKeyWithKeyName")
                out[m.field(8)].push_back({m.field(12), m.field(16), m.field(20)});
        return out;
    }

    FrameworkLighting lighting;
    GlibRunLoop runLoop;
    RecordingLog log;
    MemoryDefaults defaults;
    ProfileStore store{defaults};
    CanvasModel canvasModel;
    KeyboardFrames frames{lighting, store, canvasModel};
    NoCanvas canvas;
    ActionBarMaps slots{defaults};
    SystemRandomSource random;
    LightingDirector director{lighting, runLoop, log, defaults, frames, canvas, slots, random, {}};
};

TEST_F(DirectorFrameworkTest, CombatPulsesOfTheEighteenKeysArriveUntilCombatEnds) {
    director.evaluateMessage("C");
    runLoop.runFor(0.9); // a little over one 400 ms sweep there and back

    const auto colors = keyColors();
    for (int32_t key : combatKeys()) {
        ASSERT_EQ(colors.count(key), 1u) << std::hex << key;
        const auto& seen = colors.at(key);
        EXPECT_GE(seen.size(), 20u) << std::hex << key;
        int lowest = 100, highest = 0;
        for (const auto& c : seen) {
            EXPECT_EQ(c.green, 0);
            EXPECT_EQ(c.blue, 0);
            lowest = std::min(lowest, c.red);
            highest = std::max(highest, c.red);
        }
        // Full red down to a quarter and back.
        EXPECT_GE(highest, 95) << std::hex << key;
        EXPECT_LE(lowest, 30) << std::hex << key;
    }
    EXPECT_EQ(colors.size(), 18u);

    director.evaluateMessage("O");
    runLoop.runFor(0.1); // the stopped pulses restore on their last tick
    host_->clear();
    runLoop.runFor(0.3);
    EXPECT_TRUE(keyColors().empty());
}

TEST_F(DirectorFrameworkTest, ResetLeavesNoKeyPulsingOrFlashing) {
    director.evaluateMessage("C");
    director.evaluateMessage("D"); // pulses on P1, P4 and P7 too
    director.evaluateMessage("k"); // and the shadow pulses on every keyboard key
    director.evaluateMessage("I"); // a whisper flash on Enter, over its pulse
    runLoop.runFor(0.3);
    ASSERT_FALSE(keyColors().empty());

    director.resetClicked(true);
    runLoop.runFor(0.1);
    host_->clear();
    runLoop.runFor(0.5);
    const auto colors = keyColors();
    std::set<int32_t> stillPulsing;
    for (const auto& [key, seen] : colors)
        stillPulsing.insert(key);
    EXPECT_TRUE(stillPulsing.empty()) << "first key still lit: " << std::hex
                                      << (stillPulsing.empty() ? 0 : *stillPulsing.begin());
}

} // namespace
} // namespace et::test
