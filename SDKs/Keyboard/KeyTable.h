#pragma once
// Every key of the Corvane Talon once: its identifier, the KeyName the keyboard is sent, its
// bitmap cell, its label and the names OpenRGB devices give its LED. The cell list, the key
// menus' list, the extra keys and the OpenRGB names are all read off this table; the drawing
// (CanvasLayout) keeps its own, as it orders the keys differently.
#include "KeyList.h"

#include <CorvaneLED.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace et {

// Names tried in order, the usual OpenRGB name first; unused places stay empty. OpenRGB 1.0
// renamed the regional keys ("Ø/Ä" became "Ä Ø"): both spellings are here.
using LedNames = std::array<std::string_view, 8>;

struct KeyRow {
    int32_t id;      // key identifier
    int32_t keyName; // what the keyboard is sent
    int row;         // bitmap cell; -1 for the keys without one
    int column;
    std::string_view label; // exact, spaces included; "©" marks the combat keys
    LedNames ledNames;
};

// A grid key's identifier is its KeyName.
constexpr KeyRow onGrid(int32_t keyName, int row, int column, std::string_view label,
                        LedNames names) {
    return {keyName, keyName, row, column, label, names};
}
constexpr KeyRow offGrid(int32_t id, int32_t keyName, std::string_view label, LedNames names) {
    return {id, keyName, -1, -1, label, names};
}

// Keyboard order: the grid keys row by row, then P1–P9, crest logo and Talon Badge in
// identifier order. Where a board has no key of the kind, the nearest stand-in drivers use
// comes last among the LED names (many boards put Fn where the right Windows key was).
inline constexpr KeyRow kKeyTable[] = {
    // Row 0
    onGrid(CLK_Escape, 0, 0, "Esc", {"Escape", "Esc"}),
    onGrid(CLK_F1, 0, 1, "F 1", {"F1"}),
    onGrid(CLK_F2, 0, 2, "F 2", {"F2"}),
    onGrid(CLK_F3, 0, 3, "F 3", {"F3"}),
    onGrid(CLK_F4, 0, 4, "F 4", {"F4"}),
    onGrid(CLK_F5, 0, 5, "F 5", {"F5"}),
    onGrid(CLK_F6, 0, 6, "F 6", {"F6"}),
    onGrid(CLK_F7, 0, 7, "F 7", {"F7"}),
    onGrid(CLK_F8, 0, 8, "F 8", {"F8"}),
    onGrid(CLK_F9, 0, 9, "F 9", {"F9"}),
    onGrid(CLK_F10, 0, 10, "F10", {"F10"}),
    onGrid(CLK_F11, 0, 11, "F11", {"F11"}),
    onGrid(CLK_F12, 0, 12, "F12", {"F12"}),
    onGrid(CLK_PrintScreen, 0, 13, "Print Scrn", {"Print Screen", "PrtSc", "Print"}),
    onGrid(CLK_ScrollLock, 0, 14, "Scroll Lock", {"Scroll Lock", "ScrLk"}),
    onGrid(CLK_PauseBreak, 0, 15, "Pause|Break", {"Pause/Break", "Pause"}),
    // Row 1
    onGrid(CLK_GraveAccentAndTilde, 1, 0, "~", {"`", "~", "½/§", "§ ½", "²", "半角/全角"}),
    onGrid(CLK_1, 1, 1, " 1", {"1"}),
    onGrid(CLK_2, 1, 2, " 2", {"2"}),
    onGrid(CLK_3, 1, 3, " 3", {"3"}),
    onGrid(CLK_4, 1, 4, " 4", {"4"}),
    onGrid(CLK_5, 1, 5, " 5", {"5"}),
    onGrid(CLK_6, 1, 6, " 6", {"6"}),
    onGrid(CLK_7, 1, 7, " 7", {"7"}),
    onGrid(CLK_8, 1, 8, " 8", {"8"}),
    onGrid(CLK_9, 1, 9, " 9", {"9"}),
    onGrid(CLK_0, 1, 10, " 0", {"0"}),
    onGrid(CLK_MinusAndUnderscore, 1, 11, "-", {"-", "-/_", "- _", "ß"}),
    onGrid(CLK_EqualsAndPlus, 1, 12, "=", {"=", "+/?", "+ ?", "^", "\\/`/´", "´ `"}),
    onGrid(CLK_Backspace, 1, 13, "Backspace", {"Backspace"}),
    onGrid(CLK_Insert, 1, 14, "Insert", {"Insert", "Ins"}),
    onGrid(CLK_Home, 1, 15, "Home", {"Home"}),
    onGrid(CLK_PageUp, 1, 16, "Page Up", {"Page Up", "PgUp"}),
    onGrid(CLK_NumLock, 1, 17, "Num Lock", {"Num Lock"}),
    onGrid(CLK_KeypadSlash, 1, 18, "NumPad /", {"Number Pad /", "Numpad /"}),
    onGrid(CLK_KeypadAsterisk, 1, 19, "NumPad *", {"Number Pad *", "Numpad *"}),
    onGrid(CLK_KeypadMinus, 1, 20, "NumPad -", {"Number Pad -", "Numpad -"}),
    // Row 2
    onGrid(CLK_Tab, 2, 0, "Tab", {"Tab"}),
    onGrid(CLK_Q, 2, 1, " Q", {"Q"}),
    onGrid(CLK_W, 2, 2, " W", {"W"}),
    onGrid(CLK_E, 2, 3, " E", {"E"}),
    onGrid(CLK_R, 2, 4, " R", {"R"}),
    onGrid(CLK_T, 2, 5, " T", {"T"}),
    onGrid(CLK_Y, 2, 6, " Y", {"Y"}),
    onGrid(CLK_U, 2, 7, " U", {"U"}),
    onGrid(CLK_I, 2, 8, " I", {"I"}),
    onGrid(CLK_O, 2, 9, " O", {"O"}),
    onGrid(CLK_P, 2, 10, " P", {"P"}),
    onGrid(CLK_BracketLeft, 2, 11, "[", {"[", "Ü", "Å"}),
    onGrid(CLK_BracketRight, 2, 12, "]", {"]", "+", "^/~", "¨ ^"}),
    // Scan code 0x2B is backslash on ANSI boards and the key left of Enter on ISO ones.
    onGrid(CLK_Backslash, 2, 13, "\\", {"\\ (ANSI)", "\\", "#", "'/*", "' *"}),
    onGrid(CLK_Delete, 2, 14, "Delete", {"Delete", "Del"}),
    onGrid(CLK_End, 2, 15, "End", {"End"}),
    onGrid(CLK_PageDown, 2, 16, "Page Down", {"Page Down", "PgDn"}),
    onGrid(CLK_Keypad7, 2, 17, "NumPad 7", {"Number Pad 7", "Numpad 7"}),
    onGrid(CLK_Keypad8, 2, 18, "NumPad 8", {"Number Pad 8", "Numpad 8"}),
    onGrid(CLK_Keypad9, 2, 19, "NumPad 9", {"Number Pad 9", "Numpad 9"}),
    onGrid(CLK_KeypadPlus, 2, 20, "NumPad +", {"Number Pad +", "Numpad +"}),
    // Row 3
    onGrid(CLK_CapsLock, 3, 0, "Caps Lock ©", {"Caps Lock"}),
    onGrid(CLK_A, 3, 1, " A", {"A"}),
    onGrid(CLK_S, 3, 2, " S", {"S"}),
    onGrid(CLK_D, 3, 3, " D", {"D"}),
    onGrid(CLK_F, 3, 4, " F", {"F"}),
    onGrid(CLK_G, 3, 5, " G", {"G"}),
    onGrid(CLK_H, 3, 6, " H", {"H"}),
    onGrid(CLK_J, 3, 7, " J", {"J"}),
    onGrid(CLK_K, 3, 8, " K", {"K"}),
    onGrid(CLK_L, 3, 9, " L", {"L"}),
    // ABNT boards have their "ç" in the semicolon's place.
    onGrid(CLK_SemicolonAndColon, 3, 10, ";", {";", "Ö", "Ø/Ä", "Ä Ø", "ç", "Ç"}),
    onGrid(CLK_ApostropheAndDoubleQuote, 3, 11, "'", {"'", "Ä", "Æ/Ö", "Ö Æ"}),
    onGrid(CLK_Enter, 3, 13, "Enter ©", {"Enter", "Enter (ISO)", "Return"}),
    onGrid(CLK_Keypad4, 3, 17, "NumPad 4", {"Number Pad 4", "Numpad 4"}),
    onGrid(CLK_Keypad5, 3, 18, "NumPad 5", {"Number Pad 5", "Numpad 5"}),
    onGrid(CLK_Keypad6, 3, 19, "NumPad 6", {"Number Pad 6", "Numpad 6"}),
    // Row 4
    onGrid(CLK_LeftShift, 4, 0, "Left Shift ©", {"Left Shift"}),
    onGrid(CLK_Z, 4, 2, " Z", {"Z"}),
    onGrid(CLK_X, 4, 3, " X", {"X"}),
    onGrid(CLK_C, 4, 4, " C", {"C"}),
    onGrid(CLK_V, 4, 5, " V", {"V"}),
    onGrid(CLK_B, 4, 6, " B", {"B"}),
    onGrid(CLK_N, 4, 7, " N", {"N"}),
    onGrid(CLK_M, 4, 8, " M", {"M"}),
    onGrid(CLK_CommaAndLessThan, 4, 9, ",", {","}),
    onGrid(CLK_PeriodAndBiggerThan, 4, 10, ".", {"."}),
    onGrid(CLK_SlashAndQuestionMark, 4, 11, "/", {"/", "-/_", "- _"}),
    onGrid(CLK_RightShift, 4, 13, "Right Shift ©", {"Right Shift"}),
    onGrid(CLK_UpArrow, 4, 15, "Arrow Up ©", {"Up Arrow", "Up"}),
    onGrid(CLK_Keypad1, 4, 17, "NumPad 1", {"Number Pad 1", "Numpad 1"}),
    onGrid(CLK_Keypad2, 4, 18, "NumPad 2", {"Number Pad 2", "Numpad 2"}),
    onGrid(CLK_Keypad3, 4, 19, "NumPad 3", {"Number Pad 3", "Numpad 3"}),
    onGrid(CLK_KeypadEnter, 4, 20, "NumPad Enter", {"Number Pad Enter", "Numpad Enter"}),
    // Row 5
    onGrid(CLK_LeftCtrl, 5, 0, "Left Control ©", {"Left Control", "Left Ctrl"}),
    onGrid(CLK_LeftGui, 5, 1, "Left Windows ©",
           {"Left Windows", "Left Super", "Left GUI", "Left Win"}),
    onGrid(CLK_LeftAlt, 5, 2, "Left Alt ©", {"Left Alt"}),
    onGrid(CLK_Space, 5, 5, "Spacebar ©", {"Space", "Spacebar"}),
    onGrid(CLK_RightAlt, 5, 11, "Right Alt ©", {"Right Alt", "AltGr"}),
    onGrid(CLK_RightGui, 5, 12, "Right Windows ©",
           {"Right Windows", "Right Super", "Right GUI", "Right Win", "Right Fn"}),
    onGrid(CLK_Application, 5, 13, "Context Menu ©", {"Menu", "Context Menu", "Application"}),
    onGrid(CLK_RightCtrl, 5, 14, "Right Control ©", {"Right Control", "Right Ctrl"}),
    onGrid(CLK_LeftArrow, 5, 15, "Arrow Left ©", {"Left Arrow", "Left"}),
    onGrid(CLK_DownArrow, 5, 16, "Arrow Down ©", {"Down Arrow", "Down"}),
    onGrid(CLK_RightArrow, 5, 17, "Arrow Right ©", {"Right Arrow", "Right"}),
    onGrid(CLK_Keypad0, 5, 18, "NumPad 0", {"Number Pad 0", "Numpad 0"}),
    onGrid(CLK_KeypadPeriodAndDelete, 5, 19, "NumPad .",
           {"Number Pad .", "Numpad .", "Number Pad Del"}),
    // Without a cell
    offGrid(512, CLK_P1, "P1", {"G1", "M1", "Macro 1", "P1"}),
    offGrid(513, CLK_P2, "P2", {"G2", "M2", "Macro 2", "P2"}),
    offGrid(514, CLK_P3, "P3", {"G3", "M3", "Macro 3", "P3"}),
    offGrid(515, CLK_P4, "P4", {"G4", "M4", "Macro 4", "P4"}),
    offGrid(516, CLK_P5, "P5", {"G5", "M5", "Macro 5", "P5"}),
    offGrid(517, CLK_P6, "P6", {"G6", "M6", "Macro 6", "P6"}),
    offGrid(518, CLK_P7, "P7", {"G7", "M7", "Macro 7", "P7"}),
    offGrid(519, CLK_P8, "P8", {"G8", "M8", "Macro 8", "P8"}),
    offGrid(520, CLK_P9, "P9", {"G9", "M9", "Macro 9", "P9"}),
    offGrid(kCrestLogoId, CLK_CrestLogo, "Crest Logo ©", {"Logo", "Logo LED", "Logo 1"}),
    offGrid(kTalonBadgeId, CLK_TalonBadge, "Talon Badge ©", {"Badge", "Logo 2", "Logo LED 2"}),
};
inline constexpr size_t kGridKeyCount = 104;
static_assert(std::size(kKeyTable) == kGridKeyCount + 11);

} // namespace et
