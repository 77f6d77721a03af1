#include "MemoryDefaults.h"

namespace et {

// Numbers convert between bool, integer and double as NSUserDefaults does; anything else
// is "not that type".
namespace {
std::optional<double> asNumber(const MemoryDefaults::Value& v) {
    if (auto b = std::get_if<bool>(&v)) return *b ? 1.0 : 0.0;
    if (auto i = std::get_if<int64_t>(&v)) return static_cast<double>(*i);
    if (auto d = std::get_if<double>(&v)) return *d;
    return std::nullopt;
}
} // namespace

std::optional<bool> MemoryDefaults::getBool(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    auto n = asNumber(it->second);
    if (!n) return std::nullopt;
    return *n != 0.0;
}

std::optional<int64_t> MemoryDefaults::getInt(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    if (auto i = std::get_if<int64_t>(&it->second)) return *i;
    auto n = asNumber(it->second);
    if (!n || *n != *n || *n > 9.2e18 || *n < -9.2e18) return std::nullopt;
    return static_cast<int64_t>(*n);
}

std::optional<double> MemoryDefaults::getDouble(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return asNumber(it->second);
}

std::optional<std::string> MemoryDefaults::getString(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    if (auto s = std::get_if<std::string>(&it->second)) return *s;
    return std::nullopt;
}

std::optional<std::vector<std::optional<int64_t>>>
MemoryDefaults::getIntArray(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    auto a = std::get_if<std::vector<int64_t>>(&it->second);
    if (!a) return std::nullopt;
    return std::vector<std::optional<int64_t>>(a->begin(), a->end());
}

std::optional<Color> MemoryDefaults::getColor(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    if (auto c = std::get_if<Color>(&it->second)) return *c;
    return std::nullopt;
}

} // namespace et
