#include "KeyList.h"

#include "KeyTable.h"

#include <algorithm>

namespace et {

namespace {

constexpr auto kKeyList = [] {
    std::array<KeyLabel, 1 + std::size(kKeyTable)> list{{{kNoKey, "  No Key"}}};
    for (size_t i = 0; i < std::size(kKeyTable); ++i)
        list[i + 1] = {kKeyTable[i].id, kKeyTable[i].label};
    return list;
}();
static_assert(kKeyList.size() == 116);

constexpr auto kExtraKeys = [] {
    std::array<ExtraKey, std::size(kKeyTable) - kGridKeyCount> extras{};
    for (size_t i = 0; i < extras.size(); ++i) {
        const KeyRow& k = kKeyTable[kGridKeyCount + i];
        if (k.row >= 0) throw "the keys without a cell follow the grid keys";
        // keyNameForId finds an extra key by its identifier.
        if (k.id != kFirstExtraKeyId + static_cast<int32_t>(i)) throw "extra keys out of order";
        extras[i] = {k.id, k.keyName};
    }
    return extras;
}();

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
    labels.reserve(kKeyList.size());
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
