#pragma once
// Which keyboard key fires each of the 30 mappable action-bar slots (bars A and B with 12
// slots, bar C with 6), their defaults and storage under "key101"…"key612", and the
// snapshot the key-mapping window restores on Cancel. The cooldown display reads the maps
// by slot character: "1"…"9", ":", ";", "<" for slots 1–12.
#include "Defaults.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace et {

inline constexpr int kSlotsPerBar = 12;
inline constexpr int kMappedSlotCount = 30;

class BarMap {
  public:
    explicit BarMap(const std::array<int32_t, kSlotsPerBar>& keys) : keys_(keys) {}

    // The key identifier bound to a slot character; 0 (no key) for a character that
    // names no slot.
    int32_t operator[](char32_t slotCharacter) const;
    void set(char32_t slotCharacter, int32_t keyId);

    // By slot number 1–12; 0 / ignored outside.
    int32_t slot(int number) const;
    void setSlot(int number, int32_t keyId);

    static char slotCharacter(int number) { return static_cast<char>('0' + number); }

  private:
    std::array<int32_t, kSlotsPerBar> keys_;
};

// One mappable slot: its menu number (101–112 bar A, 501–506 bar C, 601–612 bar B).
struct ActionSlot {
    int menu;
    char bar; // 'A', 'B' or 'C'
    int slot; // 1–12
};

class ActionBarMaps {
  public:
    explicit ActionBarMaps(Defaults& defaults);

    BarMap barMapA;
    BarMap barMapB;
    BarMap barMapC;
    // The 30 slot values when the key-mapping window opened, in the fixed slot order.
    std::array<int32_t, kMappedSlotCount> saveActionBarKeyMap{};

    // The fixed slot order: bar A 1–12, bar C 1–6, bar B 1–12.
    static std::span<const ActionSlot, kMappedSlotCount> slots();
    // "key" + the menu number.
    static std::string settingsKey(const ActionSlot& slot);

    // Reads the 30 stored slots; a missing one takes its default, a stored value that is
    // not a key of the key list (negative, too large, unknown, unreadable) is no key.
    void loadActionBarKeyMaps();
    // Writes the 30 slots (the window's OK).
    void storeActionBarKeyMaps();

    std::array<int32_t, kMappedSlotCount> slotValues() const;
    void takeSnapshot();
    // Puts the snapshot back (the window's Cancel); nothing is written.
    void restoreSnapshot();

    // A menu chose the item titled `label`: binds that key to the menu's slot. False, and
    // the slot unchanged, for an unknown menu or a title that is no key's label.
    bool chooseKeyForMenu(int menu, std::string_view label);
    // The label the menu shows for its slot's key; nullopt for an unknown menu or a key
    // without a label.
    std::optional<std::string_view> labelForMenu(int menu) const;

  private:
    BarMap& bar(char name);
    const BarMap& bar(char name) const;
    static const ActionSlot* findSlot(int menu);

    Defaults& defaults_;
};

} // namespace et
