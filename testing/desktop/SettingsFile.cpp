#include "SettingsFile.h"

#include <charconv>
#include <cmath>

namespace et::e2e {

namespace {
std::string number(double v) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : "0";
}

struct Text {
    std::string operator()(bool v) const { return v ? "true" : "false"; }
    std::string operator()(int64_t v) const { return std::to_string(v); }
    std::string operator()(double v) const { return number(v); }
    std::string operator()(const std::string& v) const { return v; }
    std::string operator()(const std::vector<int64_t>& v) const {
        std::string out;
        for (size_t i = 0; i < v.size(); ++i)
            out += (i ? " " : "") + std::to_string(v[i]);
        return out;
    }
    std::string operator()(const Color& c) const {
        return number(c.red) + " " + number(c.green) + " " + number(c.blue) + " " + number(c.alpha);
    }
};
} // namespace

SettingsFile& SettingsFile::set(const std::string& key, bool value) {
    values_[key] = value;
    return *this;
}

SettingsFile& SettingsFile::set(const std::string& key, int64_t value) {
    values_[key] = value;
    return *this;
}

SettingsFile& SettingsFile::set(const std::string& key, double value) {
    values_[key] = value;
    return *this;
}

SettingsFile& SettingsFile::set(const std::string& key, const std::string& value) {
    values_[key] = value;
    return *this;
}

SettingsFile& SettingsFile::setColor(const std::string& key, const Color& value) {
    values_[key] = value;
    return *this;
}

SettingsFile& SettingsFile::calibratedForCellWidth(double cellWidth) {
    // Sample i falls at offset + i × width / 11: the middle of cell i.
    set("scanOffset", static_cast<int64_t>(std::lround(cellWidth / 2)));
    set("scanWidth", 11 * cellWidth);
    return *this;
}

std::string SettingsFile::text() const {
    std::string out = "[General]\n";
    for (const auto& [key, value] : values_)
        out += key + "=" + std::visit(Text{}, value) + "\n";
    return out;
}

void SettingsFile::applyTo(MemoryDefaults& defaults) const {
    for (const auto& [key, value] : values_) {
        std::visit(
            [&](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, bool>)
                    defaults.setBool(key, v);
                else if constexpr (std::is_same_v<T, int64_t>)
                    defaults.setInt(key, v);
                else if constexpr (std::is_same_v<T, double>)
                    defaults.setDouble(key, v);
                else if constexpr (std::is_same_v<T, std::string>)
                    defaults.setString(key, v);
                else if constexpr (std::is_same_v<T, std::vector<int64_t>>)
                    defaults.setIntArray(key, v);
                else
                    defaults.setColor(key, v);
            },
            value);
    }
}

} // namespace et::e2e
