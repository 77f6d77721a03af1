#pragma once
// The text form of settings values in the INI file: readable by a person, exact for
// doubles (shortest form that reads back to the same value), and lenient about what a
// person may have typed. Parsers return nullopt for anything they cannot read.
#include "Color.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace et::settings_text {

std::string formatBool(bool v);
std::string formatInt(int64_t v);
std::string formatDouble(double v);
// Integers separated by single spaces.
std::string formatIntList(const std::vector<int64_t>& v);
// "red green blue alpha".
std::string formatColor(const Color& c);

// "true"/"yes"/"false"/"no" in any case, or a number (non-zero is true).
std::optional<bool> parseBool(std::string_view text);
// An integer, or a finite number truncated toward zero, or a boolean word.
std::optional<int64_t> parseInt(std::string_view text);
// A finite number, or a boolean word.
std::optional<double> parseDouble(std::string_view text);
// Elements separated by spaces or commas; an element that is not an integer is nullopt.
std::vector<std::optional<int64_t>> parseIntList(std::string_view text);
// Three or four finite numbers (alpha 1 when missing).
std::optional<Color> parseColor(std::string_view text);

} // namespace et::settings_text
