#pragma once
// Which LED of an OpenRGB device shows which KeyName. Devices name their LEDs, not their
// scan codes: "Key: A", "Key: Number Pad 1", with ANSI/ISO variants and the spellings
// different drivers use, so each KeyName has a list of names tried in order (the names
// are a column of the keyboard's key table).
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orgb {

struct KeyLeds {
    int32_t keyName;
    std::vector<std::string_view> names; // first is the usual OpenRGB name
};

// Every KeyName the host can light: the 104 grid keys, P1–P9, crest logo and Talon Badge.
std::span<const KeyLeds> keyLedNames();

// Case-insensitive, with or without the "Key: " prefix and surrounding blanks.
std::string normalizedLedName(std::string_view name);

struct KeyResolution {
    std::map<int32_t, std::vector<int>> ledsForKey; // KeyName → its LEDs' indexes
    std::vector<std::string> missing;               // usual names of the keys the device lacks
};

// Each key gets the LEDs of its name: first by the player's remaps (KeyName → LED name), then
// by the names of the table exactly (normalised), then by names that drivers number for keys
// of several LEDs ("Key: Space LED 2"), all of whose LEDs light. An LED shows one key only.
KeyResolution resolveKeys(const std::vector<std::string>& ledNames,
                          const std::map<int32_t, std::string>& remaps = {});

// The key a player means by `name` (normalised): the name the log gives a missing key
// ("Escape", "Number Pad Enter", "P1", "crest logo"), else any name drivers give its LED.
std::optional<int32_t> keyNamed(std::string_view name);

} // namespace orgb
