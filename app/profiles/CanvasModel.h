#pragma once
// What the color programmer's canvas edits: its own copies of one profile's colors, key map
// and cooldown flag, plus the keys its cooldown preview shows dimmed. Plain data, so the
// profile model, the cooldown display and the Qt view can share it.
#include "ColorTable.h"

#include <cstdint>
#include <set>

namespace et {

struct CanvasModel {
    ColorSet keyColorSet = [] {
        ColorSet s;
        s.fill(Color::black());
        return s;
    }();
    KeyMap keysToColors = KeyMap(1, kColorA);
    bool usingActionbarCooldowns = false;
    std::set<int32_t> dimmedKeys;
    int paintColor = kColorA;
};

} // namespace et
