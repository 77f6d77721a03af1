// libFuzzer target for the profile-file import. A file the import refuses changes nothing;
// a file it takes leaves nine profiles in range that export cleanly, and whose export
// imports back to the same values.
#include "KeyList.h"
#include "MemoryDefaults.h"
#include "ProfileFile.h"
#include "ProfileStore.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// A store whose profile 3 differs from the defaults, so a change shows in the export.
void seedStore(et::ProfileStore& store) {
    et::ColorSet set = et::defaultColorSet();
    set[et::kColorA] = {0.25, 0.5, 0.75, 1.0};
    store.saveProfileColors(set, 3);
    store.saveCooldownFlag(3, true);
    store.defaults().setDouble(std::string(et::kBlinkTimeKey), 0.5);
}

bool sameValues(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Most inputs are edits of a valid file: that reaches the checks past the first marker.
std::vector<unsigned char> fileFrom(const uint8_t* data, size_t size) {
    if (size == 0 || data[0] % 4 == 0) return {data + (size ? 1 : 0), data + size};
    static const std::vector<unsigned char> valid = [] {
        et::MemoryDefaults defaults;
        et::ProfileStore store(defaults);
        seedStore(store);
        return et::exportProfileFile(store, "41");
    }();
    std::vector<unsigned char> file = valid;
    size_t at = 1;
    if (data[0] % 4 == 1 && size >= 3) { // cut it short
        file.resize((data[1] << 8 | data[2]) % (file.size() + 1));
        at = 3;
    }
    for (; at + 3 <= size; at += 3) { // then overwrite bytes: offset (2 bytes), value
        const size_t offset = (data[at] << 8 | data[at + 1]) % (file.size() + 1);
        if (offset == file.size())
            file.push_back(data[at + 2]);
        else
            file[offset] = data[at + 2];
    }
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<unsigned char> file = fileFrom(data, size);

    et::MemoryDefaults defaults;
    et::ProfileStore store(defaults);
    seedStore(store);
    static const std::vector<float> before = et::exportProfileValues(store, "7");

    const et::ProfileImport result = et::importProfileFile(file, store);
    const std::vector<float> after = et::exportProfileValues(store, "7");
    if (result.status != et::kProfileFileDone) {
        if (!sameValues(before, after)) __builtin_trap(); // a refused file changed the store
        return 0;
    }
    if (result.readPastEnd) __builtin_trap(); // accepted a file that ran out
    if (file.size() < et::kProfileFileValues * 4) __builtin_trap();

    // What was taken is within range.
    if (after.size() != et::kProfileFileValues) __builtin_trap();
    const double blink = defaults.getDouble(std::string(et::kBlinkTimeKey)).value_or(-1);
    if (!(blink >= 0.0 && blink <= 5.0)) __builtin_trap();
    for (int n = 1; n <= et::kProfileCount; ++n) {
        et::ColorSet set = et::defaultColorSet();
        store.loadProfileColors(set, n);
        for (const et::Color& c : set)
            for (double v : {c.red, c.green, c.blue})
                if (!(v >= 0.0 && v <= 1.0)) __builtin_trap();
        et::KeyMap map;
        store.loadKeyToColorMap(map, n);
        if (map.size() < static_cast<size_t>(et::kKeyIdLimit)) __builtin_trap();
        for (int index : map)
            if (!et::isColorIndex(index)) __builtin_trap();
    }

    // Export and import again: nothing moves.
    const std::vector<unsigned char> again = et::encodeProfileValues(after);
    et::MemoryDefaults otherDefaults;
    et::ProfileStore other(otherDefaults);
    if (et::importProfileFile(again, other).status != et::kProfileFileDone) __builtin_trap();
    if (!sameValues(et::exportProfileValues(other, "7"), after)) __builtin_trap();
    return 0;
}
