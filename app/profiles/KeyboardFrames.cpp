#include "KeyboardFrames.h"

#include "ColorCells.h"
#include "KeyList.h"

namespace et {

namespace {
bool isProfileNumber(int n) {
    return n >= 1 && n <= kProfileCount;
}
} // namespace

KeyboardFrames::KeyboardFrames(Lighting& lighting, ProfileStore& store, CanvasModel& canvas)
    : keyToColorMap(kKeyIdLimit, kColorA), lighting_(lighting), store_(store), canvas_(canvas) {
    keyboardColorSet.fill(Color::cyan());
    keyboardColorBitmap.fill(blankBitmap());
}

const Color& KeyboardFrames::mappedColor(const ColorSet& colorSet, const KeyMap& keyMap,
                                         int32_t keyId) {
    int index = kColorA;
    if (keyId >= 0 && static_cast<size_t>(keyId) < keyMap.size() && isColorIndex(keyMap[keyId]))
        index = keyMap[keyId];
    return colorSet[index];
}

LightingBitmap KeyboardFrames::composeBitmap(const ColorSet& colorSet, const KeyMap& keyMap) {
    LightingBitmap bitmap = blankBitmap();
    for (const KeyCell& cell : keyCells()) {
        paintCell(bitmap, cell.offset(), mappedColor(colorSet, keyMap, cell.keyName));
    }
    return bitmap;
}

LightingBitmap KeyboardFrames::composeProfileBitmap(const ColorSet& colorSet, const KeyMap& keyMap,
                                                    bool showCooldowns,
                                                    const std::set<int32_t>& dimmed) {
    LightingBitmap bitmap = blankBitmap();
    for (const KeyCell& cell : keyCells()) {
        const bool onCooldown = showCooldowns && dimmed.count(cell.keyName) != 0;
        paintCell(bitmap, cell.offset(),
                  onCooldown ? colorSet[kCooldownColor]
                             : mappedColor(colorSet, keyMap, cell.keyName));
    }
    return bitmap;
}

void KeyboardFrames::setAllKeys(const Color& color) {
    lighting_.setTargetDevice(useSingleColorMode ? kAllDevices : kPerKeyDevices);
    lighting_.setLighting(color.redPercent(), color.greenPercent(), color.bluePercent());
}

void KeyboardFrames::setExtraKeyColor(int32_t keyId, int32_t keyName) {
    const bool onCooldown = useSpellCooldowns[0] && dimmedKeys.count(keyId) != 0;
    const Color& c = onCooldown ? keyboardColorSet[kCooldownColor]
                                : mappedColor(keyboardColorSet, keyToColorMap, keyId);
    lighting_.setLightingForKey(keyName, c.redPercent(), c.greenPercent(), c.bluePercent());
}

void KeyboardFrames::showColorProfile(int profile) {
    if (profile < 0 || profile > kProfileCount) return;
    lighting_.setLightingFromBitmap(keyboardColorBitmap[profile].data());
    for (const ExtraKey& key : extraKeys())
        setExtraKeyColor(key.id, key.keyName);
}

bool KeyboardFrames::loadWorkingProfile(int profile) {
    if (!isProfileNumber(profile)) return false;
    store_.loadProfileColors(keyboardColorSet, profile);
    store_.loadKeyToColorMap(keyToColorMap, profile);
    const bool flag = store_.loadCooldownFlag(profile);
    useSpellCooldowns[0] = flag;
    canvas_.usingActionbarCooldowns = flag;
    return true;
}

void KeyboardFrames::selectColorProfile(int profile) {
    if (!loadWorkingProfile(profile)) return;
    keyboardColorBitmap[profile] =
        composeProfileBitmap(keyboardColorSet, keyToColorMap, useSpellCooldowns[0], dimmedKeys);
    useSpellCooldowns[profile] = useSpellCooldowns[0];
}

void KeyboardFrames::loadColorProfile(int profile) {
    if (!loadWorkingProfile(profile)) return;
    keyboardColorBitmap[profile] = composeBitmap(keyboardColorSet, keyToColorMap);
    useSpellCooldowns[profile] = useSpellCooldowns[0];
}

void KeyboardFrames::loadAllColorProfiles() {
    for (int n = kProfileCount; n >= 1; --n)
        loadColorProfile(n);
}

} // namespace et
