#include "KeyGroups.h"

#include "CanvasLayout.h"
#include "KeyGrid.h"

#include <CorvaneLED.h>

#include <vector>

namespace et {

namespace {

// Band positions are the keys' left edges in the drawing, counted from where the grid keys'
// part of it starts (the macro keys sit left of that): Escape is at 6.
constexpr int kBandOrigin = 40;

constexpr int32_t kCombatKeys[] = {
    CLK_LeftShift, CLK_LeftCtrl,    CLK_LeftGui,   CLK_LeftAlt,    CLK_Space,    CLK_RightAlt,
    CLK_RightGui,  CLK_Application, CLK_RightCtrl, CLK_RightShift, CLK_UpArrow,  CLK_LeftArrow,
    CLK_DownArrow, CLK_RightArrow,  CLK_CrestLogo, CLK_TalonBadge, CLK_CapsLock, CLK_Enter,
};
static_assert(std::size(kCombatKeys) == 18);

constexpr int32_t kDeadBright[] = {
    CLK_CapsLock,   CLK_3,       CLK_R,       CLK_I,    CLK_B,
    CLK_RightShift, CLK_Keypad9, CLK_Keypad2, CLK_Home, CLK_Backspace,
    CLK_Escape,     CLK_F7,      CLK_X,       CLK_P7,   CLK_P4,
};
static_assert(std::size(kDeadBright) == 15);

constexpr int32_t kDeadDim[] = {
    CLK_LeftCtrl, CLK_5, CLK_U,      CLK_M,         CLK_F10,         CLK_W,
    CLK_Space,    CLK_P, CLK_Delete, CLK_DownArrow, CLK_KeypadSlash, CLK_P1,
};
static_assert(std::size(kDeadDim) == 12);

} // namespace

std::span<const KeyBandPosition> keyBandPositions() {
    static const std::vector<KeyBandPosition> positions = [] {
        std::vector<KeyBandPosition> v;
        for (const KeyRect& r : canvasKeyRects())
            if (keyCellOffset(r.id)) v.push_back({r.id, r.x - kBandOrigin});
        return v;
    }();
    return positions;
}
std::span<const int32_t> combatKeys() {
    return kCombatKeys;
}
std::span<const int32_t> deadBrightKeys() {
    return kDeadBright;
}
std::span<const int32_t> deadDimKeys() {
    return kDeadDim;
}
const std::array<std::span<const int32_t>, 6>& shadowRows() {
    static const std::array<std::vector<int32_t>, kBitmapRows> keys = [] {
        std::array<std::vector<int32_t>, kBitmapRows> rows;
        for (const KeyCell& c : keyCells())
            rows[static_cast<size_t>(c.row)].push_back(c.keyName);
        return rows;
    }();
    static const std::array<std::span<const int32_t>, 6> rows = {keys[0], keys[1], keys[2],
                                                                 keys[3], keys[4], keys[5]};
    return rows;
}

} // namespace et
