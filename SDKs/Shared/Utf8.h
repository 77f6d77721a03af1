#pragma once
// Strict UTF-8 ↔ wide-string conversion, independent of the process's locale, so a file
// reads the same in every program that loads the library.
#include <optional>
#include <string>
#include <string_view>

namespace corvjson {

// Nothing for malformed input: overlong forms, surrogates, code points above U+10FFFF,
// stray or missing continuation bytes.
std::optional<std::wstring> decodeUtf8(std::string_view bytes);

// Characters that are not Unicode scalar values are written as U+FFFD.
std::string encodeUtf8(std::wstring_view text);

} // namespace corvjson
