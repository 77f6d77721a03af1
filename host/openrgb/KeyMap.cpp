#include "KeyMap.h"

#include <CorvaneLED.h>

#include <algorithm>
#include <cctype>
#include <unordered_map>

namespace orgb {

namespace {

// Where a board has no key of the kind, the nearest stand-in drivers use comes last
// (many boards put Fn where the right Windows key was).
const std::vector<KeyLeds>& table() {
    static const std::vector<KeyLeds> keys = {
        {CLK_Escape, {"Escape", "Esc"}},
        {CLK_F1, {"F1"}},
        {CLK_F2, {"F2"}},
        {CLK_F3, {"F3"}},
        {CLK_F4, {"F4"}},
        {CLK_F5, {"F5"}},
        {CLK_F6, {"F6"}},
        {CLK_F7, {"F7"}},
        {CLK_F8, {"F8"}},
        {CLK_F9, {"F9"}},
        {CLK_F10, {"F10"}},
        {CLK_F11, {"F11"}},
        {CLK_F12, {"F12"}},
        {CLK_PrintScreen, {"Print Screen", "PrtSc", "Print"}},
        {CLK_ScrollLock, {"Scroll Lock", "ScrLk"}},
        {CLK_PauseBreak, {"Pause/Break", "Pause"}},
        {CLK_GraveAccentAndTilde, {"`", "~", "½/§", "²", "半角/全角"}},
        {CLK_1, {"1"}},
        {CLK_2, {"2"}},
        {CLK_3, {"3"}},
        {CLK_4, {"4"}},
        {CLK_5, {"5"}},
        {CLK_6, {"6"}},
        {CLK_7, {"7"}},
        {CLK_8, {"8"}},
        {CLK_9, {"9"}},
        {CLK_0, {"0"}},
        {CLK_MinusAndUnderscore, {"-", "-/_", "ß"}},
        {CLK_EqualsAndPlus, {"=", "+/?", "^"}},
        {CLK_Backspace, {"Backspace"}},
        {CLK_Insert, {"Insert", "Ins"}},
        {CLK_Home, {"Home"}},
        {CLK_PageUp, {"Page Up", "PgUp"}},
        {CLK_NumLock, {"Num Lock"}},
        {CLK_KeypadSlash, {"Number Pad /", "Numpad /"}},
        {CLK_KeypadAsterisk, {"Number Pad *", "Numpad *"}},
        {CLK_KeypadMinus, {"Number Pad -", "Numpad -"}},
        {CLK_Tab, {"Tab"}},
        {CLK_Q, {"Q"}},
        {CLK_W, {"W"}},
        {CLK_E, {"E"}},
        {CLK_R, {"R"}},
        {CLK_T, {"T"}},
        {CLK_Y, {"Y"}},
        {CLK_U, {"U"}},
        {CLK_I, {"I"}},
        {CLK_O, {"O"}},
        {CLK_P, {"P"}},
        {CLK_BracketLeft, {"[", "Ü", "Å"}},
        {CLK_BracketRight, {"]", "+"}},
        // Scan code 0x2B is backslash on ANSI boards and the key left of Enter on ISO ones.
        {CLK_Backslash, {"\\ (ANSI)", "\\", "#"}},
        {CLK_Delete, {"Delete", "Del"}},
        {CLK_End, {"End"}},
        {CLK_PageDown, {"Page Down", "PgDn"}},
        {CLK_Keypad7, {"Number Pad 7", "Numpad 7"}},
        {CLK_Keypad8, {"Number Pad 8", "Numpad 8"}},
        {CLK_Keypad9, {"Number Pad 9", "Numpad 9"}},
        {CLK_KeypadPlus, {"Number Pad +", "Numpad +"}},
        {CLK_CapsLock, {"Caps Lock"}},
        {CLK_A, {"A"}},
        {CLK_S, {"S"}},
        {CLK_D, {"D"}},
        {CLK_F, {"F"}},
        {CLK_G, {"G"}},
        {CLK_H, {"H"}},
        {CLK_J, {"J"}},
        {CLK_K, {"K"}},
        {CLK_L, {"L"}},
        {CLK_SemicolonAndColon, {";", "Ö", "Ø/Ä"}},
        {CLK_ApostropheAndDoubleQuote, {"'", "Ä", "Æ/Ö"}},
        {CLK_Enter, {"Enter", "Enter (ISO)", "Return"}},
        {CLK_Keypad4, {"Number Pad 4", "Numpad 4"}},
        {CLK_Keypad5, {"Number Pad 5", "Numpad 5"}},
        {CLK_Keypad6, {"Number Pad 6", "Numpad 6"}},
        {CLK_LeftShift, {"Left Shift"}},
        {CLK_Z, {"Z"}},
        {CLK_X, {"X"}},
        {CLK_C, {"C"}},
        {CLK_V, {"V"}},
        {CLK_B, {"B"}},
        {CLK_N, {"N"}},
        {CLK_M, {"M"}},
        {CLK_CommaAndLessThan, {","}},
        {CLK_PeriodAndBiggerThan, {"."}},
        {CLK_SlashAndQuestionMark, {"/", "-/_"}},
        {CLK_RightShift, {"Right Shift"}},
        {CLK_UpArrow, {"Up Arrow", "Up"}},
        {CLK_Keypad1, {"Number Pad 1", "Numpad 1"}},
        {CLK_Keypad2, {"Number Pad 2", "Numpad 2"}},
        {CLK_Keypad3, {"Number Pad 3", "Numpad 3"}},
        {CLK_KeypadEnter, {"Number Pad Enter", "Numpad Enter"}},
        {CLK_LeftCtrl, {"Left Control", "Left Ctrl"}},
        {CLK_LeftGui, {"Left Windows", "Left Super", "Left GUI", "Left Win"}},
        {CLK_LeftAlt, {"Left Alt"}},
        {CLK_Space, {"Space", "Spacebar"}},
        {CLK_RightAlt, {"Right Alt", "AltGr"}},
        {CLK_RightGui, {"Right Windows", "Right Super", "Right GUI", "Right Win", "Right Fn"}},
        {CLK_Application, {"Menu", "Context Menu", "Application"}},
        {CLK_RightCtrl, {"Right Control", "Right Ctrl"}},
        {CLK_LeftArrow, {"Left Arrow", "Left"}},
        {CLK_DownArrow, {"Down Arrow", "Down"}},
        {CLK_RightArrow, {"Right Arrow", "Right"}},
        {CLK_Keypad0, {"Number Pad 0", "Numpad 0"}},
        {CLK_KeypadPeriodAndDelete, {"Number Pad .", "Numpad .", "Number Pad Del"}},
        {CLK_P1, {"G1", "M1", "Macro 1", "P1"}},
        {CLK_P2, {"G2", "M2", "Macro 2", "P2"}},
        {CLK_P3, {"G3", "M3", "Macro 3", "P3"}},
        {CLK_P4, {"G4", "M4", "Macro 4", "P4"}},
        {CLK_P5, {"G5", "M5", "Macro 5", "P5"}},
        {CLK_P6, {"G6", "M6", "Macro 6", "P6"}},
        {CLK_P7, {"G7", "M7", "Macro 7", "P7"}},
        {CLK_P8, {"G8", "M8", "Macro 8", "P8"}},
        {CLK_P9, {"G9", "M9", "Macro 9", "P9"}},
        {CLK_CrestLogo, {"Logo", "Logo LED", "Logo 1"}},
        {CLK_TalonBadge, {"Badge", "Logo 2", "Logo LED 2"}},
    };
    return keys;
}

} // namespace

std::span<const KeyLeds> keyLedNames() {
    return table();
}

std::string normalizedLedName(std::string_view name) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!name.empty() && blank(name.front()))
        name.remove_prefix(1);
    while (!name.empty() && blank(name.back()))
        name.remove_suffix(1);
    std::string out(name);
    // ASCII letters only: the UTF-8 bytes of other letters stay as they are.
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (out.rfind("key:", 0) == 0) {
        out.erase(0, 4);
        while (!out.empty() && blank(out.front()))
            out.erase(0, 1);
    }
    return out;
}

KeyResolution resolveKeys(const std::vector<std::string>& ledNames) {
    std::unordered_map<std::string, int> byName;
    for (size_t i = 0; i < ledNames.size(); ++i)
        byName.emplace(normalizedLedName(ledNames[i]), static_cast<int>(i)); // first one wins
    KeyResolution result;
    std::vector<bool> taken(ledNames.size(), false);
    // Every key's usual name is matched before any alias, so an alias never takes the LED
    // another key is named by.
    for (size_t rank = 0; rank < 8; ++rank) {
        for (const KeyLeds& key : table()) {
            if (rank >= key.names.size() || result.ledForKey.count(key.keyName)) continue;
            const auto it = byName.find(normalizedLedName(key.names[rank]));
            if (it == byName.end() || taken[static_cast<size_t>(it->second)]) continue;
            taken[static_cast<size_t>(it->second)] = true;
            result.ledForKey[key.keyName] = it->second;
        }
    }
    for (const KeyLeds& key : table()) {
        if (result.ledForKey.count(key.keyName)) continue;
        if (key.keyName >= CLK_P1 && key.keyName <= CLK_P9)
            result.missing.push_back("P" + std::to_string(key.keyName - CLK_P1 + 1));
        else if (key.keyName == CLK_CrestLogo)
            result.missing.emplace_back("crest logo");
        else if (key.keyName == CLK_TalonBadge)
            result.missing.emplace_back("Talon Badge");
        else
            result.missing.emplace_back(key.names.front());
    }
    return result;
}

} // namespace orgb
