#include "StripScript.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace et::strip {

namespace {
const Color kBlack{0, 0, 0, 1}, kWhite{1, 1, 1, 1}, kRed{1, 0, 0, 1}, kGreen{0, 1, 0, 1},
    kBlue{0, 0, 1, 1}, kCyan{0, 1, 1, 1}, kMagenta{1, 0, 1, 1}, kYellow{1, 1, 0, 1};

std::string rest(const std::string& line, size_t from) {
    while (from < line.size() && line[from] == ' ')
        ++from;
    return from < line.size() ? line.substr(from) : std::string();
}

std::optional<int> parseInt(const std::string& s) {
    int value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

std::optional<double> parseNumber(const std::string& s) {
    double value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::string> unescape(const std::string& text, std::string& error) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c > 127) {
            error = "characters above 127 cannot be sent";
            return std::nullopt;
        }
        if (c != '\\') {
            out.push_back(static_cast<char>(c));
            continue;
        }
        if (++i >= text.size()) {
            error = "text ends inside an escape";
            return std::nullopt;
        }
        switch (text[i]) {
        case '\\':
            out.push_back('\\');
            break;
        case 'n':
            out.push_back('\n');
            break;
        case 't':
            out.push_back('\t');
            break;
        case 'x': {
            int value = -1;
            if (i + 2 < text.size()) {
                auto [end, ec] =
                    std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
                if (ec != std::errc() || end != text.data() + i + 3) value = -1;
            }
            if (value < 0 || value > 127) {
                error = "\\x needs two hex digits of a value from 00 to 7f";
                return std::nullopt;
            }
            out.push_back(static_cast<char>(value));
            i += 2;
            break;
        }
        default:
            error = std::string("unknown escape \\") + text[i];
            return std::nullopt;
        }
    }
    return out;
}

Cells withData(unsigned char value, const Color& data, bool confirm) {
    Cells cells = blankFrame();
    cells[0] = kWhite;
    cells[1] = confirm ? kWhite : kBlack;
    for (int bit = 0; bit < 7; ++bit)
        if (value & (64 >> bit)) cells[static_cast<size_t>(2 + bit)] = data;
    cells[9] = kWhite;
    return cells;
}
} // namespace

std::optional<Color> parseColor(const std::string& word) {
    static const std::pair<const char*, Color> names[] = {
        {"black", kBlack}, {"white", kWhite}, {"red", kRed},         {"green", kGreen},
        {"blue", kBlue},   {"cyan", kCyan},   {"magenta", kMagenta}, {"yellow", kYellow}};
    for (const auto& [name, color] : names)
        if (word == name) return color;
    if (word.size() == 7 && word[0] == '#') {
        unsigned value = 0;
        auto [end, ec] = std::from_chars(word.data() + 1, word.data() + 7, value, 16);
        if (ec == std::errc() && end == word.data() + 7)
            return Color{((value >> 16) & 0xff) / 255.0, ((value >> 8) & 0xff) / 255.0,
                         (value & 0xff) / 255.0, 1.0};
    }
    return std::nullopt;
}

Parsed parseLine(const std::string& rawLine) {
    std::string line = rawLine;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    if (verb.empty() || verb[0] == '#') return {Nothing{}, {}};
    const std::string argument = rest(line, line.find(verb) + verb.size());

    if (verb == "width") {
        auto w = parseNumber(argument);
        if (!w || *w <= 0.0 || *w > 1000.0) return {std::nullopt, "width needs pixels, 0–1000"};
        return {SetWidth{*w}, {}};
    }
    if (verb == "hold" || verb == "sleep") {
        auto ms = parseInt(argument);
        if (!ms || *ms < 0) return {std::nullopt, verb + " needs milliseconds"};
        if (verb == "hold") return {SetHold{*ms}, {}};
        return {Sleep{*ms}, {}};
    }
    if (verb == "color") {
        auto c = parseColor(argument);
        if (!c) return {std::nullopt, "unknown color '" + argument + "'"};
        return {SetColor{*c}, {}};
    }
    if (verb == "send") {
        std::string error;
        auto text = unescape(argument, error);
        if (!text) return {std::nullopt, error};
        return {Send{*text}, {}};
    }
    if (verb == "calibrate") return {ShowFrame{calibrationFrame()}, {}};
    if (verb == "clear") return {ShowFrame{blankFrame()}, {}};
    if (verb == "frame") {
        Cells cells;
        std::string word;
        size_t n = 0;
        while (words >> word) {
            auto c = parseColor(word);
            if (!c) return {std::nullopt, "unknown color '" + word + "'"};
            if (n == cells.size()) return {std::nullopt, "a frame has 11 cells"};
            cells[n++] = *c;
        }
        if (n != cells.size()) return {std::nullopt, "a frame has 11 cells"};
        return {ShowFrame{cells}, {}};
    }
    if (verb == "echo") return {Echo{argument}, {}};
    if (verb == "quit") return {Quit{}, {}};
    if (verb == "hide" || verb == "show") return {Visibility{verb == "show"}, {}};
    return {std::nullopt, "unknown command '" + verb + "'"};
}

std::optional<GameGeometry> parseGeometry(const std::string& text) {
    GameGeometry g;
    char sx = '+', sy = '+';
    int consumed = 0;
    const char* p = text.c_str();
    if (std::sscanf(p, "%dx%d%n", &g.width, &g.height, &consumed) != 2) return std::nullopt;
    p += consumed;
    if (*p) {
        consumed = 0;
        if (std::sscanf(p, "%c%d%c%d%n", &sx, &g.x, &sy, &g.y, &consumed) != 4 || p[consumed] ||
            (sx != '+' && sx != '-') || (sy != '+' && sy != '-'))
            return std::nullopt;
        if (sx == '-') g.x = -g.x;
        if (sy == '-') g.y = -g.y;
    }
    const auto inRange = [](int v, int low, int high) { return v >= low && v <= high; };
    if (!inRange(g.width, 1, 16384) || !inRange(g.height, 1, 16384) ||
        !inRange(g.x, -16384, 16384) || !inRange(g.y, -16384, 16384))
        return std::nullopt;
    return g;
}

Cells offerFrame(unsigned char value, const Color& data) {
    return withData(value, data, false);
}
Cells confirmFrame(unsigned char value, const Color& data) {
    return withData(value, data, true);
}

Cells calibrationFrame() {
    return {kRed, kBlack, kCyan, kWhite, kMagenta, kBlue, kYellow, kRed, kGreen, kWhite, kBlack};
}

Cells blankFrame() {
    Cells cells;
    cells.fill(kBlack);
    return cells;
}

} // namespace et::strip
