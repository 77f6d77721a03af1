#include "KeyMap.h"

#include "KeyTable.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

namespace orgb {

namespace {

const std::vector<KeyLeds>& table() {
    static const std::vector<KeyLeds> keys = [] {
        std::vector<KeyLeds> v;
        for (const et::KeyRow& k : et::kKeyTable) {
            KeyLeds& leds = v.emplace_back(KeyLeds{k.keyName, {}});
            for (std::string_view name : k.ledNames)
                if (!name.empty()) leds.names.push_back(name);
        }
        return v;
    }();
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
