#include "HostRecord.h"

#include <cstdlib>

namespace et::e2e {

namespace {

// The value text after "name": in a flat object, up to the next comma or brace; a string
// value without its quotes.
std::optional<std::string> rawField(const std::string& line, const std::string& name) {
    const std::string tag = "\"" + name + "\":";
    const auto at = line.find(tag);
    if (at == std::string::npos) return std::nullopt;
    size_t from = at + tag.size();
    if (from < line.size() && line[from] == '"') {
        const auto close = line.find('"', from + 1);
        if (close == std::string::npos) return std::nullopt;
        return line.substr(from + 1, close - from - 1);
    }
    size_t to = from;
    while (to < line.size() && line[to] != ',' && line[to] != '}')
        ++to;
    return line.substr(from, to - from);
}

int32_t intField(const std::string& line, const std::string& name) {
    auto text = rawField(line, name);
    return text ? static_cast<int32_t>(std::strtol(text->c_str(), nullptr, 10)) : 0;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

std::optional<HostRecord> parseHostLine(const std::string& line, double at) {
    if (line.empty() || line.front() != '{') return std::nullopt;
    auto cmd = rawField(line, "cmd");
    auto time = rawField(line, "t");
    if (!cmd || !time) return std::nullopt;
    HostRecord record;
    record.at = at;
    record.hostTime = std::strtod(time->c_str(), nullptr);
    record.cmd = *cmd;
    record.key = intField(line, "key");
    record.r = intField(line, "r");
    record.g = intField(line, "g");
    record.b = intField(line, "b");
    record.device = intField(line, "device");
    if (auto hex = rawField(line, "bitmap")) {
        for (size_t i = 0; i + 1 < hex->size(); i += 2) {
            const int high = hexDigit((*hex)[i]), low = hexDigit((*hex)[i + 1]);
            if (high < 0 || low < 0) return std::nullopt;
            record.bitmap.push_back(static_cast<uint8_t>(high * 16 + low));
        }
    }
    return record;
}

std::vector<HostRecord> parseHostLines(const std::vector<std::string>& lines) {
    std::vector<HostRecord> records;
    for (const auto& line : lines)
        if (auto r = parseHostLine(line, 0.0)) records.push_back(std::move(*r));
    return records;
}

} // namespace et::e2e
