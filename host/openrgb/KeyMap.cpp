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

// A normalised name with a trailing " led N" cut: "space led 2" → "space".
std::string withoutLedNumber(std::string name) {
    const size_t digits = name.find_last_not_of("0123456789") + 1;
    if (digits == name.size() || digits < 5 || name.compare(digits - 5, 5, " led ") != 0)
        return name;
    name.resize(name.find_last_not_of(' ', digits - 5) + 1);
    return name;
}

// What the log calls a key: its usual LED name, for the keys without one the application's.
std::string usualName(const KeyLeds& key) {
    if (key.keyName >= CLK_P1 && key.keyName <= CLK_P9)
        return "P" + std::to_string(key.keyName - CLK_P1 + 1);
    if (key.keyName == CLK_CrestLogo) return "crest logo";
    if (key.keyName == CLK_TalonBadge) return "Talon Badge";
    return std::string(key.names.front());
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

KeyResolution resolveKeys(const std::vector<std::string>& ledNames,
                          const std::map<int32_t, std::string>& remaps) {
    using Names = std::unordered_map<std::string, std::vector<int>>;
    Names exact, numbered;
    for (size_t i = 0; i < ledNames.size(); ++i) {
        const std::string name = normalizedLedName(ledNames[i]);
        exact[name].push_back(static_cast<int>(i));
        if (const std::string cut = withoutLedNumber(name); cut != name)
            numbered[cut].push_back(static_cast<int>(i));
    }
    KeyResolution result;
    std::vector<bool> taken(ledNames.size(), false);
    auto take = [&](int32_t key, const Names& names, std::string_view name) {
        const auto it = names.find(normalizedLedName(name));
        if (it == names.end() || result.ledsForKey.count(key)) return;
        std::vector<int> leds;
        for (int led : it->second)
            if (!taken[static_cast<size_t>(led)]) leds.push_back(led);
        for (int led : leds)
            taken[static_cast<size_t>(led)] = true;
        if (!leds.empty()) result.ledsForKey[key] = std::move(leds);
    };
    for (const auto& [key, name] : remaps)
        take(key, exact, name);
    // Every key's usual name is matched before any alias, and every exact name before any
    // numbered one, so an alias never takes the LED another key is named by.
    for (const Names* names : {&exact, &numbered})
        for (size_t rank = 0; rank < et::LedNames{}.size(); ++rank)
            for (const KeyLeds& key : table())
                if (rank < key.names.size()) take(key.keyName, *names, key.names[rank]);
    for (const KeyLeds& key : table())
        if (!result.ledsForKey.count(key.keyName)) result.missing.push_back(usualName(key));
    return result;
}

std::optional<int32_t> keyNamed(std::string_view name) {
    const std::string wanted = normalizedLedName(name);
    for (const KeyLeds& key : table())
        if (normalizedLedName(usualName(key)) == wanted) return key.keyName;
    // Aliases in rank order, as keys are resolved: "-/_" is the minus key's before the slash's.
    for (size_t rank = 0; rank < et::LedNames{}.size(); ++rank)
        for (const KeyLeds& key : table())
            if (rank < key.names.size() && normalizedLedName(key.names[rank]) == wanted)
                return key.keyName;
    return std::nullopt;
}

} // namespace orgb
