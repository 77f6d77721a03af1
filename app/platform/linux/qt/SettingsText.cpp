#include "SettingsText.h"

#include <charconv>
#include <cmath>

namespace et::settings_text {

namespace {

std::string_view trim(std::string_view s) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (x != b[i]) return false;
    }
    return true;
}

std::optional<bool> boolWord(std::string_view s) {
    if (equalsIgnoringCase(s, "true") || equalsIgnoringCase(s, "yes")) return true;
    if (equalsIgnoringCase(s, "false") || equalsIgnoringCase(s, "no")) return false;
    return std::nullopt;
}

std::optional<int64_t> exactInt(std::string_view s) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    int64_t v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
    return v;
}

std::optional<double> finiteNumber(std::string_view s) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double v = 0.0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

std::vector<std::string_view> tokens(std::string_view text) {
    std::vector<std::string_view> out;
    size_t i = 0;
    const auto isSep = [](char c) {
        return c == ' ' || c == ',' || c == '\t' || c == '\r' || c == '\n';
    };
    while (i < text.size()) {
        while (i < text.size() && isSep(text[i]))
            ++i;
        size_t start = i;
        while (i < text.size() && !isSep(text[i]))
            ++i;
        if (i > start) out.push_back(text.substr(start, i - start));
    }
    return out;
}

} // namespace

std::string formatBool(bool v) {
    return v ? "true" : "false";
}

std::string formatInt(int64_t v) {
    return std::to_string(v);
}

std::string formatDouble(double v) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    if (ec != std::errc()) return "0";
    return std::string(buf, end);
}

std::string formatIntList(const std::vector<int64_t>& v) {
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
        if (i) out += ' ';
        out += std::to_string(v[i]);
    }
    return out;
}

std::string formatColor(const Color& c) {
    return formatDouble(c.red) + ' ' + formatDouble(c.green) + ' ' + formatDouble(c.blue) + ' ' +
           formatDouble(c.alpha);
}

std::optional<bool> parseBool(std::string_view text) {
    text = trim(text);
    if (auto w = boolWord(text)) return w;
    if (auto d = finiteNumber(text)) return *d != 0.0;
    return std::nullopt;
}

std::optional<int64_t> parseInt(std::string_view text) {
    text = trim(text);
    if (auto i = exactInt(text)) return i;
    if (auto d = finiteNumber(text)) {
        // Beyond ±2^63 there is no integer to give.
        if (*d >= -9.2e18 && *d <= 9.2e18) return static_cast<int64_t>(*d);
        return std::nullopt;
    }
    if (auto w = boolWord(text)) return *w ? 1 : 0;
    return std::nullopt;
}

std::optional<double> parseDouble(std::string_view text) {
    text = trim(text);
    if (auto d = finiteNumber(text)) return d;
    if (auto w = boolWord(text)) return *w ? 1.0 : 0.0;
    return std::nullopt;
}

std::vector<std::optional<int64_t>> parseIntList(std::string_view text) {
    std::vector<std::optional<int64_t>> out;
    for (std::string_view t : tokens(text))
        out.push_back(exactInt(t));
    return out;
}

std::optional<Color> parseColor(std::string_view text) {
    const auto parts = tokens(text);
    if (parts.size() != 3 && parts.size() != 4) return std::nullopt;
    double c[4] = {0.0, 0.0, 0.0, 1.0};
    for (size_t i = 0; i < parts.size(); ++i) {
        auto v = finiteNumber(parts[i]);
        if (!v) return std::nullopt;
        c[i] = *v;
    }
    return Color{c[0], c[1], c[2], c[3]};
}

} // namespace et::settings_text
