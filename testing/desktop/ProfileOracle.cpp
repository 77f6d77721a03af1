#include "ProfileOracle.h"

#include "CanvasModel.h"
#include "KeyList.h"
#include "KeyboardFrames.h"
#include "Lighting.h"
#include "ProfileStore.h"

namespace et::e2e {

namespace {
// Keeps only what a profile is made of: the last bitmap and the keys set one by one.
class FrameCapture : public Lighting {
  public:
    ProfileFrame frame;

    bool init() override { return true; }
    bool getSdkVersion(int&, int&, int&) override { return true; }
    bool setTargetDevice(int) override { return true; }
    bool setLighting(int, int, int) override { return true; }
    bool stopEffects() override { return true; }
    bool setLightingFromBitmap(const unsigned char* bitmap) override {
        frame.bitmap.assign(bitmap, bitmap + 504);
        return true;
    }
    bool setLightingForKey(int32_t key, int r, int g, int b) override {
        frame.keys.push_back({key, r, g, b});
        return true;
    }
    bool flashSingleKey(int32_t, int, int, int, int, int) override { return true; }
    bool pulseSingleKey(int32_t, int, int, int, int, int, int, int, bool) override { return true; }
    bool stopEffectsOnKey(int32_t) override { return true; }
    void shutdown() override {}
};
} // namespace

struct ProfileOracle::State {
    MemoryDefaults defaults;
    ProfileStore store{defaults};
    CanvasModel canvas;
    FrameCapture lighting;
    KeyboardFrames frames{lighting, store, canvas};
};

ProfileOracle::ProfileOracle(const SettingsFile& settings) : state_(std::make_unique<State>()) {
    settings.applyTo(state_->defaults);
    state_->frames.loadAllColorProfiles();
}

ProfileOracle::~ProfileOracle() = default;

ProfileFrame ProfileOracle::shown(int profile) {
    state_->lighting.frame = {};
    state_->frames.showColorProfile(profile);
    return state_->lighting.frame;
}

ProfileFrame ProfileOracle::selected(int profile) {
    state_->lighting.frame = {};
    state_->frames.selectColorProfile(profile);
    state_->frames.showColorProfile(profile);
    return state_->lighting.frame;
}

KeyColor ProfileOracle::keyColor(int32_t keyId) const {
    const Color& c = KeyboardFrames::mappedColor(state_->frames.keyboardColorSet,
                                                 state_->frames.keyToColorMap, keyId);
    return {keyNameForId(keyId), c.redPercent(), c.greenPercent(), c.bluePercent()};
}

KeyColor ProfileOracle::cooldownColor(int32_t keyName) const {
    const Color& c = state_->frames.keyboardColorSet[kCooldownColor];
    return {keyName, c.redPercent(), c.greenPercent(), c.bluePercent()};
}

std::optional<ProfileFrame> findProfileFrame(const std::vector<HostRecord>& records, size_t from,
                                             size_t* end) {
    for (size_t i = from; i < records.size(); ++i) {
        if (!records[i].is("SetLightingWithBitmap")) continue;
        ProfileFrame frame;
        frame.bitmap = records[i].bitmap;
        size_t j = i + 1;
        for (const ExtraKey& extra : extraKeys()) {
            // Effects may slip their own key messages in between.
            while (j < records.size() && !records[j].isKey(extra.keyName) &&
                   !records[j].is("SetLightingWithBitmap"))
                ++j;
            if (j >= records.size() || !records[j].isKey(extra.keyName)) break;
            frame.keys.push_back({records[j].key, records[j].r, records[j].g, records[j].b});
            ++j;
        }
        if (frame.keys.size() != extraKeys().size()) continue;
        if (end) *end = j;
        return frame;
    }
    return std::nullopt;
}

} // namespace et::e2e
