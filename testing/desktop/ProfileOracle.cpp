#include "ProfileOracle.h"

#include "CanvasModel.h"
#include "KeyList.h"
#include "KeyboardFrames.h"
#include "ProfileStore.h"
#include "RecordingLighting.h"

namespace et::e2e {

namespace {
// What a profile is made of, from the calls that showed it: the last bitmap and the keys set
// one by one.
ProfileFrame frameOf(const test::RecordingLighting& lighting) {
    ProfileFrame frame;
    for (const auto& call : lighting.calls) {
        if (call.name == "setLightingFromBitmap") frame.bitmap = call.bitmap;
        if (call.name == "setLightingForKey")
            frame.keys.push_back({static_cast<int32_t>(call.args[0]),
                                  static_cast<int>(call.args[1]), static_cast<int>(call.args[2]),
                                  static_cast<int>(call.args[3])});
    }
    return frame;
}
} // namespace

struct ProfileOracle::State {
    MemoryDefaults defaults;
    ProfileStore store{defaults};
    CanvasModel canvas;
    test::RecordingLighting lighting;
    KeyboardFrames frames{lighting, store, canvas};
};

ProfileOracle::ProfileOracle(const SettingsFile& settings) : state_(std::make_unique<State>()) {
    settings.applyTo(state_->defaults);
    state_->frames.loadAllColorProfiles();
}

ProfileOracle::~ProfileOracle() = default;

ProfileFrame ProfileOracle::shown(int profile) {
    state_->lighting.clear();
    state_->frames.showColorProfile(profile);
    return frameOf(state_->lighting);
}

ProfileFrame ProfileOracle::selected(int profile) {
    state_->lighting.clear();
    state_->frames.selectColorProfile(profile);
    state_->frames.showColorProfile(profile);
    return frameOf(state_->lighting);
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
