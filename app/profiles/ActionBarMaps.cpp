#include "ActionBarMaps.h"

#include "KeyList.h"

#include <CorvaneLED.h>

namespace et {

namespace {

constexpr std::array<int32_t, kSlotsPerBar> kDefaultA = {
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
};
constexpr std::array<int32_t, kSlotsPerBar> kDefaultB = {
    CLK_F1, CLK_F2, CLK_F3, CLK_F4, kNoKey, CLK_F5, CLK_F6, CLK_F7, CLK_F8, kNoKey, CLK_F9, CLK_F10,
};
constexpr std::array<int32_t, kSlotsPerBar> kDefaultC = {};

constexpr std::array<ActionSlot, kMappedSlotCount> kSlots = [] {
    std::array<ActionSlot, kMappedSlotCount> s{};
    int i = 0;
    for (int n = 1; n <= 12; ++n)
        s[i++] = {100 + n, 'A', n};
    for (int n = 1; n <= 6; ++n)
        s[i++] = {500 + n, 'C', n};
    for (int n = 1; n <= 12; ++n)
        s[i++] = {600 + n, 'B', n};
    return s;
}();

int32_t defaultFor(const ActionSlot& s) {
    const auto& table = s.bar == 'A' ? kDefaultA : s.bar == 'B' ? kDefaultB : kDefaultC;
    return table[s.slot - 1];
}

} // namespace

int32_t BarMap::operator[](char32_t slotCharacter) const {
    return slot(static_cast<int>(slotCharacter) - '0');
}

void BarMap::set(char32_t slotCharacter, int32_t keyId) {
    setSlot(static_cast<int>(slotCharacter) - '0', keyId);
}

int32_t BarMap::slot(int number) const {
    if (number < 1 || number > kSlotsPerBar) return kNoKey;
    return keys_[number - 1];
}

void BarMap::setSlot(int number, int32_t keyId) {
    if (number < 1 || number > kSlotsPerBar) return;
    keys_[number - 1] = keyId;
}

ActionBarMaps::ActionBarMaps(Defaults& defaults)
    : barMapA(kDefaultA), barMapB(kDefaultB), barMapC(kDefaultC), defaults_(defaults) {
    takeSnapshot();
}

std::span<const ActionSlot, kMappedSlotCount> ActionBarMaps::slots() {
    return kSlots;
}

std::string ActionBarMaps::settingsKey(const ActionSlot& slot) {
    return "key" + std::to_string(slot.menu);
}

BarMap& ActionBarMaps::bar(char name) {
    return name == 'A' ? barMapA : name == 'B' ? barMapB : barMapC;
}

const BarMap& ActionBarMaps::bar(char name) const {
    return name == 'A' ? barMapA : name == 'B' ? barMapB : barMapC;
}

const ActionSlot* ActionBarMaps::findSlot(int menu) {
    for (const ActionSlot& s : kSlots)
        if (s.menu == menu) return &s;
    return nullptr;
}

void ActionBarMaps::loadActionBarKeyMaps() {
    for (const ActionSlot& s : kSlots) {
        const std::string key = settingsKey(s);
        int32_t id = defaultFor(s);
        if (defaults_.contains(key)) {
            // A hand-edited value that names no key would leave the menu with nothing to
            // select; it binds no key instead.
            const auto stored = defaults_.getInt(key);
            id = (stored && *stored >= 0 && *stored <= 0x7FFFFFFF &&
                  labelForKey(static_cast<int32_t>(*stored)))
                     ? static_cast<int32_t>(*stored)
                     : kNoKey;
        }
        bar(s.bar).setSlot(s.slot, id);
    }
}

void ActionBarMaps::storeActionBarKeyMaps() {
    for (const ActionSlot& s : kSlots)
        defaults_.setInt(settingsKey(s), bar(s.bar).slot(s.slot));
    defaults_.sync();
}

std::array<int32_t, kMappedSlotCount> ActionBarMaps::slotValues() const {
    std::array<int32_t, kMappedSlotCount> v{};
    for (size_t i = 0; i < kSlots.size(); ++i)
        v[i] = bar(kSlots[i].bar).slot(kSlots[i].slot);
    return v;
}

void ActionBarMaps::takeSnapshot() {
    saveActionBarKeyMap = slotValues();
}

void ActionBarMaps::restoreSnapshot() {
    for (size_t i = 0; i < kSlots.size(); ++i)
        bar(kSlots[i].bar).setSlot(kSlots[i].slot, saveActionBarKeyMap[i]);
}

bool ActionBarMaps::chooseKeyForMenu(int menu, std::string_view label) {
    const ActionSlot* s = findSlot(menu);
    if (!s) return false;
    const auto id = keyForLabel(label);
    if (!id) return false;
    bar(s->bar).setSlot(s->slot, *id);
    return true;
}

std::optional<std::string_view> ActionBarMaps::labelForMenu(int menu) const {
    const ActionSlot* s = findSlot(menu);
    if (!s) return std::nullopt;
    return labelForKey(bar(s->bar).slot(s->slot));
}

} // namespace et
