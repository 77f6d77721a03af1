#include "ColorTable.h"

namespace et {

namespace {

constexpr ProfileColor kColors[kColorCount] = {
    {kColorI, "I", "colorIColor", "colorI", 9, {1.0, 0.5, 0.0, 1.0}},
    {kCooldownColor,
     "cooldown color",
     "OnCooldownNumberKeyColor",
     "keyCoolColor",
     0,
     {0.3, 0.0, 0.0, 1.0}},
    {kColorJ, "J", "colorJColor", "colorJ", 10, {1.0, 0.0, 0.5, 1.0}},
    {kColorK, "K", "colorKColor", "colorK", 11, {0.0, 1.0, 0.5, 1.0}},
    {kColorA, "A", "colorAColor", "colorA", 1, {0.0, 1.0, 1.0, 1.0}},
    {kColorB, "B", "colorBColor", "colorB", 2, {1.0, 1.0, 0.0, 1.0}},
    {kColorC, "C", "colorCColor", "colorC", 3, {0.0, 1.0, 0.0, 1.0}},
    {kColorD, "D", "colorDColor", "colorD", 4, {1.0, 0.0, 0.0, 1.0}},
    {kColorE, "E", "colorEColor", "colorE", 5, {0.0, 0.0, 0.5, 1.0}},
    {kColorF, "F", "colorFColor", "colorF", 6, {1.0, 0.0, 1.0, 1.0}},
    {kColorG, "G", "colorGColor", "colorG", 7, {0.0, 0.0, 0.0, 1.0}},
    {kColorH, "H", "colorHColor", "colorH", 8, {0.4, 0.3, 0.4, 1.0}},
    {kColorL, "L", "colorLColor", "colorL", 12, {0.0, 0.5, 1.0, 1.0}},
};

constexpr int kStorageOrder[kColorCount] = {
    kCooldownColor, kColorA, kColorB, kColorC, kColorD, kColorE, kColorF,
    kColorG,        kColorH, kColorI, kColorJ, kColorK, kColorL,
};

} // namespace

std::span<const ProfileColor, kColorCount> profileColors() {
    return kColors;
}

std::span<const int, kColorCount> colorStorageOrder() {
    return kStorageOrder;
}

ColorSet defaultColorSet() {
    ColorSet set;
    for (const ProfileColor& c : kColors)
        set[c.index] = c.defaultColor;
    return set;
}

int paintButtonColorIndex(int tag) {
    if (tag >= 1 && tag <= 8) return kColorA + (tag - 1);
    if (tag == 9) return kColorI;
    if (tag == 10) return kColorJ;
    if (tag == 11) return kColorK;
    return kColorL;
}

int colorWellColorIndex(int tag) {
    if (tag >= 1 && tag <= 11) return paintButtonColorIndex(tag);
    if (tag == 12) return kColorL;
    return kCooldownColor;
}

} // namespace et
