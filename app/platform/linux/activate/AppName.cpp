#include "AppName.h"

#include <algorithm>
#include <cctype>

namespace et::activate {

namespace {
std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}
std::string replaced(std::string s, char from, char to) {
    std::replace(s.begin(), s.end(), from, to);
    return s;
}
} // namespace

std::string normalizedAppName(const std::string& name) {
    std::string out;
    for (char c : lower(name))
        if (c != ' ' && c != '-' && c != '_' && c != '\t') out += c;
    if (out.size() > 4 && out.compare(out.size() - 4, 4, ".exe") == 0) out.resize(out.size() - 4);
    return out;
}

std::vector<std::string> executableCandidates(const std::string& name) {
    std::vector<std::string> out;
    auto add = [&](const std::string& s) {
        if (!s.empty() && s.find('/') == std::string::npos &&
            std::find(out.begin(), out.end(), s) == out.end())
            out.push_back(s);
    };
    add(name);
    const std::string l = lower(name);
    add(l);
    add(replaced(l, ' ', '-'));
    add(replaced(l, ' ', '_'));
    std::string joined;
    for (char c : l)
        if (c != ' ') joined += c;
    add(joined);
    return out;
}

} // namespace et::activate
