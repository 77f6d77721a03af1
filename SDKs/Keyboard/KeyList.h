#pragma once
// The application's key identifiers and their labels: the vocabulary of the key menus,
// the canvas and the profile file. A key identifier equals the KeyName of the 104 grid
// keys; the eleven keys without a bitmap cell are numbered 512–522 and translated to
// their KeyName only when they reach the keyboard.
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace et {

inline constexpr int32_t kNoKey = 0;
inline constexpr int32_t kFirstExtraKeyId = 512; // P1; P9 is 520
inline constexpr int32_t kCrestLogoId = 521;
inline constexpr int32_t kTalonBadgeId = 522;
// Key maps hold an entry for every identifier 0–527.
inline constexpr int32_t kKeyIdLimit = 528;

struct KeyLabel {
    int32_t id;
    std::string_view label;
};

// The 116 rows in keyboard order, "  No Key" first. Labels are exact, spaces included.
std::span<const KeyLabel> keyList();

// keyNameTable: identifier → label for the 116 rows.
const std::map<int32_t, std::string>& keyNameTable();

std::optional<std::string_view> labelForKey(int32_t id);
// What a drawing of the keyboard prints on the key (UTF-8): the label without its mark and
// spaces, shortened to fit a small key ("PrtSc", "Shift", "↑", "7" for NumPad 7). Empty
// for an identifier that names no key.
std::string keyLegend(int32_t id);
// The identifier whose label equals `label` exactly.
std::optional<int32_t> keyForLabel(std::string_view label);

// The 116 labels sorted by Unicode scalar values (UTF-8 byte order is the same order).
std::vector<std::string> sortedKeyLabels();

// An extra key (P1–P9, crest logo, Talon Badge): its identifier and its KeyName.
struct ExtraKey {
    int32_t id;
    int32_t keyName;
};

// The eleven extra keys in the order they are lit: P1–P9, logo, badge.
std::span<const ExtraKey> extraKeys();

bool isExtraKeyId(int32_t id);

// The KeyName to send for an identifier: 512–522 translated, everything else unchanged.
int32_t keyNameForId(int32_t id);

} // namespace et
