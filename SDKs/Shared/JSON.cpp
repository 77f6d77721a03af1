#include "JSON.h"

#include <cstring>
#include <memory>

#include "Utf8.h"

namespace {

bool isDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// The value of one hexadecimal digit of either case, or -1.
int hexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Reads exactly four hex digits at `at`. Stops at the first non-digit, so a terminator
// inside the four places ends the scan instead of being stepped over.
bool readHex4(const wchar_t* at, unsigned& code) {
    code = 0;
    for (int i = 0; i < 4; ++i) {
        const int digit = hexValue(at[i]);
        if (digit < 0) return false;
        code = code * 16 + static_cast<unsigned>(digit);
    }
    return true;
}

bool isHighSurrogate(unsigned code) {
    return code >= 0xD800 && code <= 0xDBFF;
}
bool isLowSurrogate(unsigned code) {
    return code >= 0xDC00 && code <= 0xDFFF;
}

} // namespace

JSONValue* JSON::Parse(const char* text) {
    if (!text) return nullptr;
    const std::optional<std::wstring> wide = corvjson::decodeUtf8({text, std::strlen(text)});
    if (!wide) return nullptr;
    return Parse(wide->c_str());
}

JSONValue* JSON::Parse(const wchar_t* text) {
    if (!text) return nullptr;
    const wchar_t* cursor = text;
    if (!SkipWhitespace(&cursor)) return nullptr;
    std::unique_ptr<JSONValue> value(JSONValue::Parse(&cursor));
    if (!value) return nullptr;
    if (SkipWhitespace(&cursor)) return nullptr; // something other than the end follows
    return value.release();
}

bool JSON::SkipWhitespace(const wchar_t** cursor) {
    const wchar_t*& at = *cursor;
    while (*at == L' ' || *at == L'\t' || *at == L'\n' || *at == L'\r')
        ++at;
    return *at != L'\0';
}

bool JSON::ExtractString(const wchar_t** cursor, std::wstring& out) {
    const wchar_t*& at = *cursor;
    out.clear();
    for (;;) {
        const wchar_t c = *at;
        if (c == L'\0') return false;
        if (c == L'"') {
            ++at;
            return true;
        }
        if (c != L'\\') {
            if (c < 32 && c != L'\t') return false;
            out.push_back(c);
            ++at;
            continue;
        }
        ++at; // past the backslash; *at is now the escape letter (or the terminator)
        switch (*at) {
        case L'"':
            out.push_back(L'"');
            break;
        case L'/':
            out.push_back(L'/');
            break;
        case L'\\':
            out.push_back(L'\\');
            break;
        case L'b':
            out.push_back(L'\b');
            break;
        case L'f':
            out.push_back(L'\f');
            break;
        case L'n':
            out.push_back(L'\n');
            break;
        case L'r':
            out.push_back(L'\r');
            break;
        case L't':
            out.push_back(L'\t');
            break;
        case L'u': {
            unsigned code;
            if (!readHex4(at + 1, code)) return false;
            at += 4;
            // A pair of escapes that spells one character outside the basic plane is
            // joined, so such a character survives a write and a read unchanged.
            unsigned low;
            if (isHighSurrogate(code) && at[1] == L'\\' && at[2] == L'u' && readHex4(at + 3, low) &&
                isLowSurrogate(low)) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                at += 6;
            }
            out.push_back(static_cast<wchar_t>(code));
            break;
        }
        default:
            return false;
        }
        ++at;
    }
}

double JSON::ParseInt(const wchar_t** cursor) {
    const wchar_t*& at = *cursor;
    double value = 0;
    while (isDigit(*at)) {
        value = value * 10 + (*at - L'0');
        ++at;
    }
    return value;
}

double JSON::ParseDecimal(const wchar_t** cursor) {
    const wchar_t*& at = *cursor;
    double value = 0;
    double scale = 1;
    while (isDigit(*at)) {
        // Dividing by an exact power of ten keeps short fractions exact (0.25 is 0.25).
        scale *= 10;
        value += (*at - L'0') / scale;
        ++at;
    }
    return value;
}
