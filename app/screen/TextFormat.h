#pragma once
// Number, rectangle and date texts of the screen link's log lines.
#include "Rect.h"

#include <chrono>
#include <string>

namespace et {

// Shortest text that reads back as the same value, with ".0" on whole numbers: "80.0",
// "49.5". The float overload keeps single-precision values short ("52.3", not
// "52.29999923706055").
std::string shortestDecimal(double value);
std::string shortestDecimal(float value);

// "{{x, y}, {width, height}}", numbers without a trailing ".0".
std::string describeRect(const Rect& rect);

// "2024-05-01 12:34:56 +0000", in UTC.
std::string describeDate(std::chrono::system_clock::time_point when);

} // namespace et
