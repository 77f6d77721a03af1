#include "CanvasLayout.h"

#include <CorvaneLED.h>

#include <algorithm>

namespace et {

namespace {

constexpr int w = xwidth;
constexpr int h = yrowh;

constexpr KeyRect kRects[] = {
    {CLK_Escape, 46, yrow1, w, h},
    {CLK_F1, 100, yrow1, w, h},
    {CLK_F2, 132, yrow1, w, h},
    {CLK_F3, 166, yrow1, w, h},
    {CLK_F4, 201, yrow1, w, h},
    {CLK_F5, 255, yrow1, w, h},
    {CLK_F6, 288, yrow1, w, h},
    {CLK_F7, 322, yrow1, w, h},
    {CLK_F8, 355, yrow1, w, h},
    {CLK_F9, 410, yrow1, w, h},
    {CLK_F10, 443, yrow1, w, h},
    {CLK_F11, 476, yrow1, w, h},
    {CLK_F12, 509, yrow1, w, h},
    {CLK_PrintScreen, 554, yrow1, w, h},
    {CLK_ScrollLock, 587, yrow1, w, h},
    {CLK_PauseBreak, 620, yrow1, w, h},

    {CLK_GraveAccentAndTilde, 46, yrow2, w, h},
    {CLK_1, 78, yrow2, w, h},
    {CLK_2, 112, yrow2, w, h},
    {CLK_3, 144, yrow2, w, h},
    {CLK_4, 177, yrow2, w, h},
    {CLK_5, 210, yrow2, w, h},
    {CLK_6, 243, yrow2, w, h},
    {CLK_7, 277, yrow2, w, h},
    {CLK_8, 310, yrow2, w, h},
    {CLK_9, 344, yrow2, w, h},
    {CLK_0, 376, yrow2, w, h},
    {CLK_MinusAndUnderscore, 410, yrow2, w, h},
    {CLK_EqualsAndPlus, 443, yrow2, w, h},
    {CLK_Backspace, 476, yrow2, 55, h},
    {CLK_Insert, 552, yrow2, w, h},
    {CLK_Home, 586, yrow2, w, h},
    {CLK_PageUp, 619, yrow2, w, h},
    {CLK_NumLock, 663, yrow2, w, h},
    {CLK_KeypadSlash, 696, yrow2, w, h},
    {CLK_KeypadAsterisk, 729, yrow2, w, h},
    {CLK_KeypadMinus, 762, yrow2, w, h},
    {512, 5, yrow2, w, h},

    {CLK_Tab, 46, yrow3, 42, h},
    {CLK_Q, 95, yrow3, w, h},
    {CLK_W, 128, yrow3, w, h},
    {CLK_E, 162, yrow3, w, h},
    {CLK_R, 193, yrow3, w, h},
    {CLK_T, 226, yrow3, w, h},
    {CLK_Y, 259, yrow3, w, h},
    {CLK_U, 292, yrow3, w, h},
    {CLK_I, 326, yrow3, w, h},
    {CLK_O, 357, yrow3, w, h},
    {CLK_P, 392, yrow3, w, h},
    {CLK_BracketLeft, 426, yrow3, w, h},
    {CLK_BracketRight, 458, yrow3, w, h},
    {CLK_Backslash, 493, yrow3, 38, h},
    {CLK_Delete, 552, yrow3, w, h},
    {CLK_End, 586, yrow3, w, h},
    {CLK_PageDown, 619, yrow3, w, h},
    {CLK_Keypad7, 663, yrow3, w, h},
    {CLK_Keypad8, 696, yrow3, w, h},
    {CLK_Keypad9, 729, yrow3, w, h},
    {513, 5, yrow3, w, h},

    {CLK_CapsLock, 46, yrow4, 42, h},
    {CLK_A, 103, yrow4, w, h},
    {CLK_S, 135, yrow4, w, h},
    {CLK_D, 168, yrow4, w, h},
    {CLK_F, 203, yrow4, w, h},
    {CLK_G, 235, yrow4, w, h},
    {CLK_H, 269, yrow4, w, h},
    {CLK_J, 300, yrow4, w, h},
    {CLK_K, 333, yrow4, w, h},
    {CLK_L, 367, yrow4, w, h},
    {CLK_SemicolonAndColon, 398, yrow4, w, h},
    {CLK_ApostropheAndDoubleQuote, 433, yrow4, w, h},
    {CLK_Enter, 467, yrow4, 64, h},
    {CLK_Keypad4, 663, yrow4, w, h},
    {CLK_Keypad5, 696, yrow4, w, h},
    {CLK_Keypad6, 729, yrow4, w, h},
    {CLK_KeypadPlus, 762, yrow4, w, 57},
    {514, 5, yrow4, w, h},

    {CLK_LeftShift, 46, yrow5, 63, h},
    {CLK_Z, 119, yrow5, w, h},
    {CLK_X, 153, yrow5, w, h},
    {CLK_C, 185, yrow5, w, h},
    {CLK_V, 219, yrow5, w, h},
    {CLK_B, 251, yrow5, w, h},
    {CLK_N, 284, yrow5, w, h},
    {CLK_M, 317, yrow5, w, h},
    {CLK_CommaAndLessThan, 349, yrow5, w, h},
    {CLK_PeriodAndBiggerThan, 383, yrow5, w, h},
    {CLK_SlashAndQuestionMark, 416, yrow5, w, h},
    {CLK_RightShift, 450, yrow5, 81, h},
    {CLK_UpArrow, 585, yrow5, w, 25},
    {CLK_Keypad1, 663, yrow5, w, h},
    {CLK_Keypad2, 696, yrow5, w, h},
    {CLK_Keypad3, 729, yrow5, w, h},
    {515, 5, yrow5, w, h},

    {CLK_LeftCtrl, 46, yrow6, 38, h},
    {CLK_LeftGui, 96, yrow6, 29, h},
    {CLK_LeftAlt, 137, yrow6, 30, h},
    {CLK_Space, 254, yrow6, 26, h},
    {CLK_RightAlt, 369, yrow6, 30, h},
    {CLK_RightGui, 410, yrow6, 30, h},
    {CLK_Application, 451, yrow6, 30, h},
    {CLK_RightCtrl, 491, yrow6, 39, h},
    {CLK_LeftArrow, 553, yrow6, w, 25},
    {CLK_DownArrow, 585, yrow6, w, 25},
    {CLK_RightArrow, 618, yrow6, w, 25},
    {CLK_Keypad0, 664, yrow6, 55, h},
    {CLK_KeypadPeriodAndDelete, 729, yrow6, w, h},
    {CLK_KeypadEnter, 762, yrow6, w, 57},

    {516, 5, 56, w, h},
    {517, 100, 262, w, h},
    {518, 132, 262, w, h},
    {519, 166, 262, w, h},
    {520, 201, 262, w, h},
    {521, 5, 223, 29, 31},
    {522, 148, 4, 60, 10},
};
static_assert(std::size(kRects) == 115);

} // namespace

std::span<const KeyRect> canvasKeyRects() {
    return kRects;
}

const std::vector<int32_t>& canvasKeyIds() {
    static const std::vector<int32_t> ids = [] {
        std::vector<int32_t> v;
        for (const KeyRect& r : kRects) {
            if (r.id >= 1 && r.id <= 527) v.push_back(r.id);
        }
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
        return v;
    }();
    return ids;
}

std::optional<int32_t> canvasKeyAt(double x, double y) {
    for (const KeyRect& r : kRects) {
        if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height) return r.id;
    }
    return std::nullopt;
}

} // namespace et
