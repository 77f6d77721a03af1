#include "Version.h"

#include <climits>
#include <string_view>

#ifndef CORVANELED_VERSION_STRING
#error "the build sets CORVANELED_VERSION_STRING"
#endif

namespace corvled {

const char* versionString() { return CORVANELED_VERSION_STRING; }

namespace {
// Leading optional sign and digits, as CoreFoundation's integer value of a string reads it;
// saturates instead of overflowing.
int leadingInt(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    long long value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > INT_MAX) value = INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}
} // namespace

bool parseVersion(const char* text, int* major, int* minor, int* build) {
    int parts[3] = {0, 0, 0};
    if (!text) {
        *major = *minor = *build = 0;
        return false;
    }
    std::string_view rest(text);
    for (int i = 0; i < 3 && !rest.empty(); ++i) {
        const size_t dot = rest.find('.');
        parts[i] = leadingInt(rest.substr(0, dot));
        if (dot == std::string_view::npos) break;
        rest.remove_prefix(dot + 1);
    }
    *major = parts[0];
    *minor = parts[1];
    *build = parts[2];
    return true;
}

} // namespace corvled
