#pragma once
// Reading a message's text: its bytes in hex for the log, and the scalar value of the
// character that follows the code.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace et {

// The UTF-8 bytes as two lower-case hex digits each, nothing between them: "C" → "43".
std::string hexBytes(std::string_view text);

// The Unicode scalar value of the character after the first one; nullopt when there is
// none or its UTF-8 is broken.
std::optional<uint32_t> argumentScalar(std::string_view message);

} // namespace et
