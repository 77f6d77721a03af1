#include "MessageText.h"

namespace et {

namespace {

// Length of the UTF-8 sequence that starts with `lead`; 0 for a byte that cannot lead.
size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 0;
}

std::optional<uint32_t> decodeAt(std::string_view text, size_t at, size_t& length) {
    if (at >= text.size()) return std::nullopt;
    const auto lead = static_cast<unsigned char>(text[at]);
    length = sequenceLength(lead);
    if (length == 0 || at + length > text.size()) return std::nullopt;
    if (length == 1) return lead;
    uint32_t value = lead & (0x7Fu >> length);
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        value = (value << 6) | (next & 0x3Fu);
    }
    return value;
}

} // namespace

std::string hexBytes(std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(text.size() * 2);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0x0F]);
    }
    return hex;
}

std::optional<uint32_t> argumentScalar(std::string_view message) {
    size_t first = 0;
    if (!decodeAt(message, 0, first)) return std::nullopt;
    size_t second = 0;
    return decodeAt(message, first, second);
}

} // namespace et
