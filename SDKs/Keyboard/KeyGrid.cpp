#include "KeyGrid.h"

#include <CorvaneLED.h>

namespace et {

namespace {

constexpr KeyCell kCells[] = {
    // Row 0
    {CLK_Escape, 0, 0},
    {CLK_F1, 0, 1},
    {CLK_F2, 0, 2},
    {CLK_F3, 0, 3},
    {CLK_F4, 0, 4},
    {CLK_F5, 0, 5},
    {CLK_F6, 0, 6},
    {CLK_F7, 0, 7},
    {CLK_F8, 0, 8},
    {CLK_F9, 0, 9},
    {CLK_F10, 0, 10},
    {CLK_F11, 0, 11},
    {CLK_F12, 0, 12},
    {CLK_PrintScreen, 0, 13},
    {CLK_ScrollLock, 0, 14},
    {CLK_PauseBreak, 0, 15},
    // Row 1
    {CLK_GraveAccentAndTilde, 1, 0},
    {CLK_1, 1, 1},
    {CLK_2, 1, 2},
    {CLK_3, 1, 3},
    {CLK_4, 1, 4},
    {CLK_5, 1, 5},
    {CLK_6, 1, 6},
    {CLK_7, 1, 7},
    {CLK_8, 1, 8},
    {CLK_9, 1, 9},
    {CLK_0, 1, 10},
    {CLK_MinusAndUnderscore, 1, 11},
    {CLK_EqualsAndPlus, 1, 12},
    {CLK_Backspace, 1, 13},
    {CLK_Insert, 1, 14},
    {CLK_Home, 1, 15},
    {CLK_PageUp, 1, 16},
    {CLK_NumLock, 1, 17},
    {CLK_KeypadSlash, 1, 18},
    {CLK_KeypadAsterisk, 1, 19},
    {CLK_KeypadMinus, 1, 20},
    // Row 2
    {CLK_Tab, 2, 0},
    {CLK_Q, 2, 1},
    {CLK_W, 2, 2},
    {CLK_E, 2, 3},
    {CLK_R, 2, 4},
    {CLK_T, 2, 5},
    {CLK_Y, 2, 6},
    {CLK_U, 2, 7},
    {CLK_I, 2, 8},
    {CLK_O, 2, 9},
    {CLK_P, 2, 10},
    {CLK_BracketLeft, 2, 11},
    {CLK_BracketRight, 2, 12},
    {CLK_Backslash, 2, 13},
    {CLK_Delete, 2, 14},
    {CLK_End, 2, 15},
    {CLK_PageDown, 2, 16},
    {CLK_Keypad7, 2, 17},
    {CLK_Keypad8, 2, 18},
    {CLK_Keypad9, 2, 19},
    {CLK_KeypadPlus, 2, 20},
    // Row 3
    {CLK_CapsLock, 3, 0},
    {CLK_A, 3, 1},
    {CLK_S, 3, 2},
    {CLK_D, 3, 3},
    {CLK_F, 3, 4},
    {CLK_G, 3, 5},
    {CLK_H, 3, 6},
    {CLK_J, 3, 7},
    {CLK_K, 3, 8},
    {CLK_L, 3, 9},
    {CLK_SemicolonAndColon, 3, 10},
    {CLK_ApostropheAndDoubleQuote, 3, 11},
    {CLK_Enter, 3, 13},
    {CLK_Keypad4, 3, 17},
    {CLK_Keypad5, 3, 18},
    {CLK_Keypad6, 3, 19},
    // Row 4
    {CLK_LeftShift, 4, 0},
    {CLK_Z, 4, 2},
    {CLK_X, 4, 3},
    {CLK_C, 4, 4},
    {CLK_V, 4, 5},
    {CLK_B, 4, 6},
    {CLK_N, 4, 7},
    {CLK_M, 4, 8},
    {CLK_CommaAndLessThan, 4, 9},
    {CLK_PeriodAndBiggerThan, 4, 10},
    {CLK_SlashAndQuestionMark, 4, 11},
    {CLK_RightShift, 4, 13},
    {CLK_UpArrow, 4, 15},
    {CLK_Keypad1, 4, 17},
    {CLK_Keypad2, 4, 18},
    {CLK_Keypad3, 4, 19},
    {CLK_KeypadEnter, 4, 20},
    // Row 5
    {CLK_LeftCtrl, 5, 0},
    {CLK_LeftGui, 5, 1},
    {CLK_LeftAlt, 5, 2},
    {CLK_Space, 5, 5},
    {CLK_RightAlt, 5, 11},
    {CLK_RightGui, 5, 12},
    {CLK_Application, 5, 13},
    {CLK_RightCtrl, 5, 14},
    {CLK_LeftArrow, 5, 15},
    {CLK_DownArrow, 5, 16},
    {CLK_RightArrow, 5, 17},
    {CLK_Keypad0, 5, 18},
    {CLK_KeypadPeriodAndDelete, 5, 19},
};
static_assert(std::size(kCells) == 104);

// Grid keys are all below 0x200, so a flat array answers lookups without hashing.
constexpr int kLookupSize = 0x200;

struct OffsetLookup {
    std::array<int16_t, kLookupSize> offsets{};
    constexpr OffsetLookup() {
        offsets.fill(-1);
        for (const KeyCell& c : kCells)
            offsets[c.keyName] = static_cast<int16_t>(c.offset());
    }
};
constexpr OffsetLookup kLookup;

} // namespace

std::span<const KeyCell> keyCells() {
    return kCells;
}

std::optional<int> keyCellOffset(int32_t keyName) {
    if (keyName < 0 || keyName >= kLookupSize) return std::nullopt;
    const int offset = kLookup.offsets[keyName];
    if (offset < 0) return std::nullopt;
    return offset;
}

bool paintKey(LightingBitmap& bitmap, int32_t keyName, int red, int green, int blue) {
    auto offset = keyCellOffset(keyName);
    if (!offset) return false;
    paintCell(bitmap, *offset, red, green, blue);
    return true;
}

} // namespace et
