#pragma once
// A lighting director wired to recording fakes: every framework call and every wait lands
// in one list, in the order they happened, so tests can read a whole animation back.
#include "ActionBarMaps.h"
#include "CanvasModel.h"
#include "CorvaneLED.h"
#include "FramePaint.h"
#include "KeyList.h"
#include "KeyboardFrames.h"
#include "LightingDirector.h"
#include "MemoryDefaults.h"
#include "ProfileStore.h"
#include "RecordingLighting.h"
#include "RecordingLog.h"
#include "VirtualRunLoop.h"

#include <cmath>
#include <deque>
#include <map>
#include <optional>
#include <ostream>
#include <utility>

namespace et::test {

// Keys that several director tests light by name.
constexpr int32_t kKey1 = CLK_1, kKey2 = CLK_2, kQ = CLK_Q;

// Waits are recorded as {"wait", {milliseconds}} between the lighting calls.
class WaitRecordingRunLoop : public RunLoop {
  public:
    WaitRecordingRunLoop(VirtualRunLoop& clock, RecordingLighting& lighting)
        : clock_(clock), lighting_(lighting) {}
    double now() const override { return clock_.now(); }
    void runFor(double seconds) override {
        lighting_.calls.push_back({"wait", {std::llround(seconds * 1000.0)}, {}});
        clock_.runFor(seconds);
    }
    void after(double seconds, std::function<void()> fn) override {
        clock_.after(seconds, std::move(fn));
    }

  private:
    VirtualRunLoop& clock_;
    RecordingLighting& lighting_;
};

// Hands out the draws it was given, then the low end; remembers every range asked for.
class ScriptedRandom : public RandomSource {
  public:
    std::deque<int> draws;
    std::vector<std::pair<int, int>> ranges;

    int uniform(int low, int high) override {
        ranges.emplace_back(low, high);
        if (draws.empty()) return low;
        const int v = draws.front();
        draws.pop_front();
        return low + v;
    }
};

class FakeCanvas : public CooldownCanvas {
  public:
    explicit FakeCanvas(CanvasModel& model) : model_(model) {}
    CanvasModel& model() override { return model_; }
    void redraw() override { ++redraws; }
    int redraws = 0;

  private:
    CanvasModel& model_;
};

// Everything the director is wired to but the keyboard and the main loop.
struct DirectorParts {
    RecordingLog log;
    MemoryDefaults defaults;
    ProfileStore store{defaults};
    CanvasModel canvasModel;
    FakeCanvas canvas{canvasModel};
    ActionBarMaps slots{defaults};
    ScriptedRandom random;
    bool debugMode = false;
    int queueResets = 0, calibrationConfirms = 0;
    std::function<void()> onQueueReset;

    LightingDirector::Hooks hooks() {
        return {[this] { return debugMode; },
                [this] {
                    ++queueResets;
                    if (onQueueReset) onQueueReset();
                },
                [this] { ++calibrationConfirms; }};
    }
    // Every profile gets its own color A, so a sent bitmap tells which profile it was, and
    // `cooldown` as its cooldown color; no slot is bound unless a test binds it.
    void prepare(KeyboardFrames& frames, std::optional<Color> cooldown = {}) {
        for (int p = 1; p <= kProfileCount; ++p) {
            ColorSet colors = defaultColorSet();
            colors[kColorA] = {p / 10.0, 0.5, 0.25, 1.0};
            if (cooldown) colors[kCooldownColor] = *cooldown;
            store.saveProfileColors(colors, p);
            if (cooldown) store.saveCooldownFlag(p, true);
        }
        frames.loadAllColorProfiles();
        for (BarMap* bar : {&slots.barMapA, &slots.barMapB, &slots.barMapC})
            for (int n = 1; n <= kSlotsPerBar; ++n)
                bar->setSlot(n, kNoKey);
    }
};

struct DirectorHarness : DirectorParts {
    RecordingLighting lighting;
    VirtualRunLoop clock;
    WaitRecordingRunLoop runLoop{clock, lighting};
    KeyboardFrames frames{lighting, store, canvasModel};
    LightingDirector director{lighting, runLoop, log,    defaults, frames,
                              canvas,   slots,   random, hooks()};

    DirectorHarness() {
        prepare(frames);
        lighting.clear();
    }
    void send(const std::string& message) { director.evaluateMessage(message); }
};

inline void PrintTo(const LightingCall& call, std::ostream* out) {
    *out << call.name;
    for (int64_t a : call.args)
        *out << " " << a;
}

// The bitmaps a call list sent, in order.
inline std::vector<LightingBitmap> sentBitmaps(const std::vector<LightingCall>& calls) {
    std::vector<LightingBitmap> out;
    for (const auto& c : calls) {
        if (c.name != "setLightingFromBitmap") continue;
        LightingBitmap b{};
        std::copy(c.bitmap.begin(), c.bitmap.end(), b.begin());
        out.push_back(b);
    }
    return out;
}

// The red, green and blue bytes of a key's cell.
inline ByteRgb keyColor(const LightingBitmap& bitmap, int32_t keyName) {
    const int o = *keyCellOffset(keyName);
    return {bitmap[o + 2], bitmap[o + 1], bitmap[o]};
}

inline ByteRgb cellColor(const LightingBitmap& bitmap, int row, int column) {
    const int o = (row * kBitmapColumns + column) * kBitmapCellBytes;
    return {bitmap[o + 2], bitmap[o + 1], bitmap[o]};
}

// Waits in the call list, in milliseconds.
inline std::vector<int64_t> waits(const std::vector<LightingCall>& calls) {
    std::vector<int64_t> out;
    for (const auto& c : calls)
        if (c.name == "wait") out.push_back(c.args[0]);
    return out;
}

} // namespace et::test
