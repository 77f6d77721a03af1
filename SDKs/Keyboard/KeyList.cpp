#include "KeyList.h"

#include <CorvaneLED.h>

#include <algorithm>

namespace et {

namespace {

constexpr KeyLabel kKeyList[] = {
    {0, "  No Key"},
    {CLK_Escape, "Esc"},
    {CLK_F1, "F 1"},
    {CLK_F2, "F 2"},
    {CLK_F3, "F 3"},
    {CLK_F4, "F 4"},
    {CLK_F5, "F 5"},
    {CLK_F6, "F 6"},
    {CLK_F7, "F 7"},
    {CLK_F8, "F 8"},
    {CLK_F9, "F 9"},
    {CLK_F10, "F10"},
    {CLK_F11, "F11"},
    {CLK_F12, "F12"},
    {CLK_PrintScreen, "Print Scrn"},
    {CLK_ScrollLock, "Scroll Lock"},
    {CLK_PauseBreak, "Pause|Break"},

    {CLK_GraveAccentAndTilde, "~"},
    {CLK_1, " 1"},
    {CLK_2, " 2"},
    {CLK_3, " 3"},
    {CLK_4, " 4"},
    {CLK_5, " 5"},
    {CLK_6, " 6"},
    {CLK_7, " 7"},
    {CLK_8, " 8"},
    {CLK_9, " 9"},
    {CLK_0, " 0"},
    {CLK_MinusAndUnderscore, "-"},
    {CLK_EqualsAndPlus, "="},
    {CLK_Backspace, "Backspace"},
    {CLK_Insert, "Insert"},
    {CLK_Home, "Home"},
    {CLK_PageUp, "Page Up"},
    {CLK_NumLock, "Num Lock"},
    {CLK_KeypadSlash, "NumPad /"},
    {CLK_KeypadAsterisk, "NumPad *"},
    {CLK_KeypadMinus, "NumPad -"},

    {CLK_Tab, "Tab"},
    {CLK_Q, " Q"},
    {CLK_W, " W"},
    {CLK_E, " E"},
    {CLK_R, " R"},
    {CLK_T, " T"},
    {CLK_Y, " Y"},
    {CLK_U, " U"},
    {CLK_I, " I"},
    {CLK_O, " O"},
    {CLK_P, " P"},
    {CLK_BracketLeft, "["},
    {CLK_BracketRight, "]"},
    {CLK_Backslash, "\\"},
    {CLK_Delete, "Delete"},
    {CLK_End, "End"},
    {CLK_PageDown, "Page Down"},
    {CLK_Keypad7, "NumPad 7"},
    {CLK_Keypad8, "NumPad 8"},
    {CLK_Keypad9, "NumPad 9"},
    {CLK_KeypadPlus, "NumPad +"},

    {CLK_CapsLock, "Caps Lock ©"},
    {CLK_A, " A"},
    {CLK_S, " S"},
    {CLK_D, " D"},
    {CLK_F, " F"},
    {CLK_G, " G"},
    {CLK_H, " H"},
    {CLK_J, " J"},
    {CLK_K, " K"},
    {CLK_L, " L"},
    {CLK_SemicolonAndColon, ";"},
    {CLK_ApostropheAndDoubleQuote, "'"},
    {CLK_Enter, "Enter ©"},
    {CLK_Keypad4, "NumPad 4"},
    {CLK_Keypad5, "NumPad 5"},
    {CLK_Keypad6, "NumPad 6"},

    {CLK_LeftShift, "Left Shift ©"},
    {CLK_Z, " Z"},
    {CLK_X, " X"},
    {CLK_C, " C"},
    {CLK_V, " V"},
    {CLK_B, " B"},
    {CLK_N, " N"},
    {CLK_M, " M"},
    {CLK_CommaAndLessThan, ","},
    {CLK_PeriodAndBiggerThan, "."},
    {CLK_SlashAndQuestionMark, "/"},
    {CLK_RightShift, "Right Shift ©"},
    {CLK_UpArrow, "Arrow Up ©"},
    {CLK_Keypad1, "NumPad 1"},
    {CLK_Keypad2, "NumPad 2"},
    {CLK_Keypad3, "NumPad 3"},
    {CLK_KeypadEnter, "NumPad Enter"},

    {CLK_LeftCtrl, "Left Control ©"},
    {CLK_LeftGui, "Left Windows ©"},
    {CLK_LeftAlt, "Left Alt ©"},
    {CLK_Space, "Spacebar ©"},
    {CLK_RightAlt, "Right Alt ©"},
    {CLK_RightGui, "Right Windows ©"},
    {CLK_Application, "Context Menu ©"},
    {CLK_RightCtrl, "Right Control ©"},
    {CLK_LeftArrow, "Arrow Left ©"},
    {CLK_DownArrow, "Arrow Down ©"},
    {CLK_RightArrow, "Arrow Right ©"},
    {CLK_Keypad0, "NumPad 0"},
    {CLK_KeypadPeriodAndDelete, "NumPad ."},

    {512, "P1"},
    {513, "P2"},
    {514, "P3"},
    {515, "P4"},
    {516, "P5"},
    {517, "P6"},
    {518, "P7"},
    {519, "P8"},
    {520, "P9"},
    {kCrestLogoId, "Crest Logo ©"},
    {kTalonBadgeId, "Talon Badge ©"},
};
static_assert(std::size(kKeyList) == 116);

constexpr ExtraKey kExtraKeys[] = {
    {512, CLK_P1},
    {513, CLK_P2},
    {514, CLK_P3},
    {515, CLK_P4},
    {516, CLK_P5},
    {517, CLK_P6},
    {518, CLK_P7},
    {519, CLK_P8},
    {520, CLK_P9},
    {kCrestLogoId, CLK_CrestLogo},
    {kTalonBadgeId, CLK_TalonBadge},
};

} // namespace

std::span<const KeyLabel> keyList() {
    return kKeyList;
}

const std::map<int32_t, std::string>& keyNameTable() {
    static const std::map<int32_t, std::string> table = [] {
        std::map<int32_t, std::string> t;
        for (const KeyLabel& k : kKeyList)
            t.emplace(k.id, std::string(k.label));
        return t;
    }();
    return table;
}

std::optional<std::string_view> labelForKey(int32_t id) {
    const auto& table = keyNameTable();
    auto it = table.find(id);
    if (it == table.end()) return std::nullopt;
    return std::string_view(it->second);
}

std::string keyLegend(int32_t id) {
    static const std::map<std::string_view, std::string_view> shortForms = {
        {"Print Scrn", "PrtSc"},  {"Scroll Lock", "ScrLk"},
        {"Pause|Break", "Pause"}, {"Backspace", "Back"},
        {"Insert", "Ins"},        {"Delete", "Del"},
        {"Page Up", "PgUp"},      {"Page Down", "PgDn"},
        {"Num Lock", "Num"},      {"Caps Lock", "Caps"},
        {"Left Shift", "Shift"},  {"Right Shift", "Shift"},
        {"Left Control", "Ctrl"}, {"Right Control", "Ctrl"},
        {"Left Alt", "Alt"},      {"Right Alt", "Alt"},
        {"Left Windows", "Win"},  {"Right Windows", "Win"},
        {"Context Menu", "Menu"}, {"Spacebar", "Space"},
        {"Arrow Up", "\u2191"},   {"Arrow Down", "\u2193"},
        {"Arrow Left", "\u2190"}, {"Arrow Right", "\u2192"},
        {"Crest Logo", "Crest"},  {"Talon Badge", "Talon Badge"},
    };
    const auto label = labelForKey(id);
    if (!label || id == kNoKey) return {};
    std::string text(*label);
    // The key menus mark the keys that pulse in combat; a drawing shows the key only.
    if (const auto mark = text.rfind(" \u00A9"); mark != std::string::npos) text.erase(mark);
    text.erase(0, text.find_first_not_of(' '));
    if (text.rfind("NumPad ", 0) == 0) return text.substr(7);
    if (auto it = shortForms.find(text); it != shortForms.end()) return std::string(it->second);
    std::erase(text, ' ');
    return text;
}

std::optional<int32_t> keyForLabel(std::string_view label) {
    for (const KeyLabel& k : kKeyList) {
        if (k.label == label) return k.id;
    }
    return std::nullopt;
}

std::vector<std::string> sortedKeyLabels() {
    std::vector<std::string> labels;
    labels.reserve(std::size(kKeyList));
    for (const KeyLabel& k : kKeyList)
        labels.emplace_back(k.label);
    // std::string compares its chars as unsigned bytes, which for UTF-8 is code point order.
    std::sort(labels.begin(), labels.end());
    return labels;
}

std::span<const ExtraKey> extraKeys() {
    return kExtraKeys;
}

bool isExtraKeyId(int32_t id) {
    return id >= kFirstExtraKeyId && id <= kTalonBadgeId;
}

int32_t keyNameForId(int32_t id) {
    if (!isExtraKeyId(id)) return id;
    return kExtraKeys[id - kFirstExtraKeyId].keyName;
}

} // namespace et
