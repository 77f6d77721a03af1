#include "ColorProfiles.h"

namespace et {

namespace {
bool isProfileNumber(int n) {
    return n >= 1 && n <= kProfileCount;
}
} // namespace

ColorProfiles::ColorProfiles(KeyboardFrames& frames, ProfileStore& store, CanvasModel& canvas,
                             int& activeProfile)
    : activeColorProfile(activeProfile), frames_(frames), store_(store), canvas_(canvas) {}

void ColorProfiles::saveColorProfile(int profile) {
    if (!isProfileNumber(profile)) return;
    store_.saveProfileColors(canvas_.keyColorSet, profile);
    store_.saveKeyToColorMap(canvas_.keysToColors, profile);
    store_.saveCooldownFlag(profile, frames_.useSpellCooldowns[0]);
    canvas_.usingActionbarCooldowns = frames_.useSpellCooldowns[0];
    frames_.keyboardColorBitmap[profile] =
        KeyboardFrames::composeBitmap(canvas_.keyColorSet, canvas_.keysToColors);
    // A profile is one user action: put it on disk now rather than at exit.
    store_.defaults().sync();
}

void ColorProfiles::holdWorkingProfileInCanvas() {
    canvas_.keyColorSet = frames_.keyboardColorSet;
    canvas_.keysToColors = frames_.keyToColorMap;
    canvasProfile = activeColorProfile;
}

void ColorProfiles::showWorkingProfileInCanvas() {
    holdWorkingProfileInCanvas();
    if (frames_.useSingleColorMode) frames_.setAllKeys(frames_.keyboardColorSet[kColorA]);
    profileTouched = false;
}

bool ColorProfiles::switchToProfile(int profile) {
    if (!isProfileNumber(profile) || profile == activeColorProfile) return false;
    frames_.loadColorProfile(profile);
    activeColorProfile = profile;
    showWorkingProfileInCanvas();
    return true;
}

bool ColorProfiles::copyColorProfile(int from, int to) {
    if (!isProfileNumber(from) || !isProfileNumber(to)) return false;
    frames_.loadColorProfile(from);
    canvas_.keyColorSet = frames_.keyboardColorSet;
    canvas_.keysToColors = frames_.keyToColorMap;
    activeColorProfile = to;
    saveColorProfile(to);
    frames_.loadColorProfile(to);
    showWorkingProfileInCanvas();
    return true;
}

void ColorProfiles::reloadAfterImport() {
    frames_.loadAllColorProfiles();
    frames_.loadColorProfile(activeColorProfile);
    showWorkingProfileInCanvas();
}

} // namespace et
