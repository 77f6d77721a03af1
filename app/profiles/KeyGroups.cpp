#include "KeyGroups.h"

#include <CorvaneLED.h>

namespace et {

namespace {

constexpr KeyBandPosition kBandPositions[] = {
    {CLK_Escape, 6},
    {CLK_F1, 60},
    {CLK_F2, 92},
    {CLK_F3, 126},
    {CLK_F4, 161},
    {CLK_F5, 215},
    {CLK_F6, 248},
    {CLK_F7, 282},
    {CLK_F8, 315},
    {CLK_F9, 370},
    {CLK_F10, 403},
    {CLK_F11, 436},
    {CLK_F12, 469},
    {CLK_PrintScreen, 514},
    {CLK_ScrollLock, 547},
    {CLK_PauseBreak, 580},

    {CLK_GraveAccentAndTilde, 6},
    {CLK_1, 38},
    {CLK_2, 72},
    {CLK_3, 104},
    {CLK_4, 137},
    {CLK_5, 170},
    {CLK_6, 203},
    {CLK_7, 237},
    {CLK_8, 270},
    {CLK_9, 304},
    {CLK_0, 336},
    {CLK_MinusAndUnderscore, 370},
    {CLK_EqualsAndPlus, 403},
    {CLK_Backspace, 436},
    {CLK_Insert, 512},
    {CLK_Home, 546},
    {CLK_PageUp, 579},
    {CLK_NumLock, 623},
    {CLK_KeypadSlash, 656},
    {CLK_KeypadAsterisk, 689},
    {CLK_KeypadMinus, 722},

    {CLK_Tab, 6},
    {CLK_Q, 55},
    {CLK_W, 88},
    {CLK_E, 122},
    {CLK_R, 153},
    {CLK_T, 186},
    {CLK_Y, 219},
    {CLK_U, 252},
    {CLK_I, 286},
    {CLK_O, 317},
    {CLK_P, 352},
    {CLK_BracketLeft, 386},
    {CLK_BracketRight, 418},
    {CLK_Backslash, 453},
    {CLK_Delete, 512},
    {CLK_End, 546},
    {CLK_PageDown, 579},
    {CLK_Keypad7, 623},
    {CLK_Keypad8, 656},
    {CLK_Keypad9, 689},

    {CLK_CapsLock, 6},
    {CLK_A, 63},
    {CLK_S, 95},
    {CLK_D, 128},
    {CLK_F, 163},
    {CLK_G, 195},
    {CLK_H, 229},
    {CLK_J, 260},
    {CLK_K, 293},
    {CLK_L, 327},
    {CLK_SemicolonAndColon, 358},
    {CLK_ApostropheAndDoubleQuote, 393},
    {CLK_Enter, 427},
    {CLK_Keypad4, 623},
    {CLK_Keypad5, 656},
    {CLK_Keypad6, 689},
    {CLK_KeypadPlus, 722},

    {CLK_LeftShift, 6},
    {CLK_Z, 79},
    {CLK_X, 113},
    {CLK_C, 145},
    {CLK_V, 179},
    {CLK_B, 211},
    {CLK_N, 244},
    {CLK_M, 277},
    {CLK_CommaAndLessThan, 309},
    {CLK_PeriodAndBiggerThan, 343},
    {CLK_SlashAndQuestionMark, 376},
    {CLK_RightShift, 410},
    {CLK_UpArrow, 545},
    {CLK_Keypad1, 623},
    {CLK_Keypad2, 656},
    {CLK_Keypad3, 689},

    {CLK_LeftCtrl, 6},
    {CLK_LeftGui, 56},
    {CLK_LeftAlt, 97},
    {CLK_Space, 214},
    {CLK_RightAlt, 329},
    {CLK_RightGui, 370},
    {CLK_Application, 411},
    {CLK_RightCtrl, 451},
    {CLK_LeftArrow, 513},
    {CLK_DownArrow, 545},
    {CLK_RightArrow, 578},
    {CLK_Keypad0, 624},
    {CLK_KeypadPeriodAndDelete, 689},
    {CLK_KeypadEnter, 722},
};
static_assert(std::size(kBandPositions) == 104);

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

constexpr int32_t kShadowRow1[] = {
    CLK_Escape, CLK_F1, CLK_F2,  CLK_F3,  CLK_F4,  CLK_F5,          CLK_F6,         CLK_F7,
    CLK_F8,     CLK_F9, CLK_F10, CLK_F11, CLK_F12, CLK_PrintScreen, CLK_ScrollLock, CLK_PauseBreak,
};
constexpr int32_t kShadowRow2[] = {
    CLK_GraveAccentAndTilde,
    CLK_1,
    CLK_2,
    CLK_3,
    CLK_4,
    CLK_5,
    CLK_6,
    CLK_7,
    CLK_8,
    CLK_9,
    CLK_0,
    CLK_MinusAndUnderscore,
    CLK_EqualsAndPlus,
    CLK_Backspace,
    CLK_Insert,
    CLK_Home,
    CLK_PageUp,
    CLK_NumLock,
    CLK_KeypadSlash,
    CLK_KeypadAsterisk,
    CLK_KeypadMinus,
};
constexpr int32_t kShadowRow3[] = {
    CLK_Tab,
    CLK_Q,
    CLK_W,
    CLK_E,
    CLK_R,
    CLK_T,
    CLK_Y,
    CLK_U,
    CLK_I,
    CLK_O,
    CLK_P,
    CLK_BracketLeft,
    CLK_BracketRight,
    CLK_Backslash,
    CLK_Delete,
    CLK_End,
    CLK_PageDown,
    CLK_Keypad7,
    CLK_Keypad8,
    CLK_Keypad9,
    CLK_KeypadPlus,
};
constexpr int32_t kShadowRow4[] = {
    CLK_CapsLock,
    CLK_A,
    CLK_S,
    CLK_D,
    CLK_F,
    CLK_G,
    CLK_H,
    CLK_J,
    CLK_K,
    CLK_L,
    CLK_SemicolonAndColon,
    CLK_ApostropheAndDoubleQuote,
    CLK_Enter,
    CLK_Keypad4,
    CLK_Keypad5,
    CLK_Keypad6,
};
constexpr int32_t kShadowRow5[] = {
    CLK_LeftShift,
    CLK_Z,
    CLK_X,
    CLK_C,
    CLK_V,
    CLK_B,
    CLK_N,
    CLK_M,
    CLK_CommaAndLessThan,
    CLK_PeriodAndBiggerThan,
    CLK_SlashAndQuestionMark,
    CLK_RightShift,
    CLK_UpArrow,
    CLK_Keypad1,
    CLK_Keypad2,
    CLK_Keypad3,
    CLK_KeypadEnter,
};
constexpr int32_t kShadowRow6[] = {
    CLK_LeftCtrl,
    CLK_LeftGui,
    CLK_LeftAlt,
    CLK_Space,
    CLK_RightAlt,
    CLK_RightGui,
    CLK_Application,
    CLK_RightCtrl,
    CLK_LeftArrow,
    CLK_DownArrow,
    CLK_RightArrow,
    CLK_Keypad0,
    CLK_KeypadPeriodAndDelete,
};
static_assert(std::size(kShadowRow1) == 16 && std::size(kShadowRow2) == 21 &&
              std::size(kShadowRow3) == 21 && std::size(kShadowRow4) == 16 &&
              std::size(kShadowRow5) == 17 && std::size(kShadowRow6) == 13);

const std::array<std::span<const int32_t>, 6> kShadowRows = {
    kShadowRow1, kShadowRow2, kShadowRow3, kShadowRow4, kShadowRow5, kShadowRow6,
};

} // namespace

std::span<const KeyBandPosition> keyBandPositions() {
    return kBandPositions;
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
    return kShadowRows;
}

} // namespace et
