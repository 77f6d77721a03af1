#include "ProfileStore.h"

#include "CanvasLayout.h"
#include "KeyList.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace et {

namespace {

constexpr size_t kShortMapLimit = 512;
constexpr size_t kExtendedMapLength = 529;

double unitComponent(double c) {
    if (!std::isfinite(c)) return 0.0;
    return std::clamp(c, 0.0, 1.0);
}

void setIds(KeyMap& map, std::initializer_list<int> ids, int colorIndex) {
    for (int id : ids) {
        if (static_cast<size_t>(id) < map.size()) map[id] = colorIndex;
    }
}

void growToFullLength(KeyMap& map) {
    if (map.size() < kShortMapLimit) {
        map.resize(kExtendedMapLength, kColorA);
    } else if (map.size() < static_cast<size_t>(kKeyIdLimit)) {
        map.resize(kKeyIdLimit, kColorA);
    }
}

} // namespace

std::string ProfileStore::keyFor(std::string_view stem, int profile) {
    return std::string(stem) + std::to_string(profile);
}

std::vector<std::string> ProfileStore::profileKeys(int profile) {
    std::vector<std::string> keys;
    for (const ProfileColor& c : profileColors())
        keys.push_back(keyFor(c.stem, profile));
    keys.push_back(keyFor(kKeyMapStem, profile));
    keys.push_back(keyFor(kCooldownFlagStem, profile));
    return keys;
}

Color ProfileStore::loadNamedColor(std::string_view stem, int profile,
                                   const Color& fallback) const {
    auto stored = defaults_.getColor(keyFor(stem, profile));
    if (!stored) return {fallback.red, fallback.green, fallback.blue, 1.0};
    return {unitComponent(stored->red), unitComponent(stored->green), unitComponent(stored->blue),
            unitComponent(stored->alpha)};
}

void ProfileStore::loadProfileColors(ColorSet& colorSet, int profile) const {
    const auto colors = profileColors();
    for (int index : colorStorageOrder()) {
        const ProfileColor& c = colors[index];
        colorSet[index] = loadNamedColor(c.stem, profile, c.defaultColor);
    }
}

void ProfileStore::saveProfileColors(const ColorSet& colorSet, int profile) {
    const auto colors = profileColors();
    for (int index : colorStorageOrder()) {
        defaults_.setColor(keyFor(colors[index].stem, profile), colorSet[index]);
    }
}

void ProfileStore::applyDefaultKeyMap(KeyMap& map) {
    for (int32_t id : canvasKeyIds())
        setIds(map, {id}, kColorE);
    setIds(map, {4, 7, 10, 13}, kColorA);
    setIds(map, {1, 15, 42, 29, 56, 312, 285, 54, 53, 28, 14, 311, 327, 329, 337, 335}, kColorB);
    setIds(map, {17, 30, 31, 32, 328, 333, 336, 331}, kColorC);
    setIds(map, {349, 70, 325}, kColorG);
    setIds(map, {41, 58, 26, 27, 43,  39, 40,  51,  52,  69,  55,  74,  71,  72,  73,  76,  75, 77,
                 78, 79, 80, 81, 284, 83, 512, 513, 514, 515, 516, 517, 518, 519, 520, 521, 522},
           kColorH);
    setIds(map, {16, 18, 44, 45, 57, 338, 339, 309, 82}, kColorK);
    setIds(map, {3, 6, 9, 12}, kColorL);
}

KeyMap ProfileStore::defaultKeyToColorMap() {
    KeyMap map(kExtendedMapLength, kColorA);
    applyDefaultKeyMap(map);
    return map;
}

void ProfileStore::loadKeyToColorMap(KeyMap& keyMap, int profile) const {
    auto stored = defaults_.getIntArray(keyFor(kKeyMapStem, profile));
    const bool anyUsable =
        stored && (stored->empty() || std::any_of(stored->begin(), stored->end(),
                                                  [](auto& v) { return v && isColorIndex(*v); }));
    if (!anyUsable) {
        // Nothing stored, or nothing in it that could be a color index: the default map.
        growToFullLength(keyMap);
        applyDefaultKeyMap(keyMap);
        return;
    }
    KeyMap fallback(std::max(stored->size(), kExtendedMapLength), kColorA);
    applyDefaultKeyMap(fallback);
    KeyMap loaded(stored->size());
    for (size_t i = 0; i < stored->size(); ++i) {
        const auto& v = (*stored)[i];
        loaded[i] = (v && isColorIndex(*v)) ? static_cast<int>(*v) : fallback[i];
    }
    growToFullLength(loaded);
    keyMap = std::move(loaded);
}

void ProfileStore::saveKeyToColorMap(const KeyMap& keyMap, int profile) {
    defaults_.setIntArray(keyFor(kKeyMapStem, profile),
                          std::vector<int64_t>(keyMap.begin(), keyMap.end()));
}

bool ProfileStore::loadCooldownFlag(int profile) const {
    return defaults_.getBool(keyFor(kCooldownFlagStem, profile)).value_or(false);
}

void ProfileStore::saveCooldownFlag(int profile, bool on) {
    defaults_.setBool(keyFor(kCooldownFlagStem, profile), on);
}

} // namespace et
