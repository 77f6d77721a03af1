#pragma once
// One line of corvane-host-sim's output, read back: the command and its decoded fields.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace et::e2e {

struct HostRecord {
    double at = 0.0;       // when the line reached the harness (steady clock, see now())
    double hostTime = 0.0; // the host's own timestamp, seconds since it started
    std::string cmd;       // "SetLightingWithBitmap", "SetLightingForKeyWithKeyName", …
    int32_t key = 0, r = 0, g = 0, b = 0, device = 0;
    std::vector<uint8_t> bitmap; // 504 bytes for a bitmap, else empty

    bool is(const char* name) const { return cmd == name; }
    bool isKey(int32_t keyName) const {
        return cmd == "SetLightingForKeyWithKeyName" && key == keyName;
    }
};

// Null for a line that is not a message (the host's own notes, a half line).
std::optional<HostRecord> parseHostLine(const std::string& line, double at);

// The records of a run of lines.
std::vector<HostRecord> parseHostLines(const std::vector<std::string>& lines);

} // namespace et::e2e
