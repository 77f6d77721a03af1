#include "TextFormat.h"

#include <charconv>
#include <ctime>
#include <string_view>

namespace et {

namespace {
template <typename T> std::string shortest(T value) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc()) return "nan";
    return std::string(buffer, end);
}

std::string withPointZero(std::string text) {
    if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
    return text;
}
} // namespace

std::string shortestDecimal(double value) {
    return withPointZero(shortest(value));
}
std::string shortestDecimal(float value) {
    return withPointZero(shortest(value));
}

std::string describeRect(const Rect& rect) {
    return "{{" + shortest(rect.x) + ", " + shortest(rect.y) + "}, {" + shortest(rect.width) +
           ", " + shortest(rect.height) + "}}";
}

std::string describeDate(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char buffer[64];
    const size_t n = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S +0000", &utc);
    return std::string(buffer, n);
}

} // namespace et
