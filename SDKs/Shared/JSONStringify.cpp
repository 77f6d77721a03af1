// The text form of a JSON tree: the layout the configuration file is written in.
#include <charconv>
#include <cmath>

#include "JSON.h"

namespace {

void appendUnicodeEscape(std::wstring& out, unsigned code) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    out += L"\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out.push_back(digits[(code >> shift) & 0xF]);
}

// %.15g, but never with a locale's decimal comma: the file must read back the same in
// every program that loads the library.
void appendNumber(std::wstring& out, double value) {
    if (!std::isfinite(value)) {
        out += L"null";
        return;
    }
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    out.append(buffer, result.ptr);
}

} // namespace

std::wstring JSON::Stringify(const JSONValue* value) {
    return value ? value->Stringify(2, 0) : std::wstring();
}

void JSONValue::AddIndent(std::wstring& out, int indentSize, int depth) {
    if (indentSize > 0 && depth > 0) out.append(static_cast<std::size_t>(indentSize) * depth, L' ');
}

std::wstring JSONValue::StringifyString(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + 2);
    out.push_back(L'"');
    for (const wchar_t c : text) {
        switch (c) {
        case L'\b':
            out += L"\\b";
            break;
        case L'\t':
            out += L"\\t";
            break;
        case L'\n':
            out += L"\\n";
            break;
        case L'\f':
            out += L"\\f";
            break;
        case L'\r':
            out += L"\\r";
            break;
        case L'"':
            out += L"\\\"";
            break;
        case L'/':
            out += L"\\/";
            break;
        case L'\\':
            out += L"\\\\";
            break;
        default: {
            const auto code = static_cast<unsigned>(c);
            if (code >= 32 && code <= 126) {
                out.push_back(c);
            } else if (code >= 0x10000 && code <= 0x10FFFF) {
                // Four hex digits hold 16 bits: characters beyond them are written as
                // a surrogate pair instead of being cut to their low bits.
                const unsigned offset = code - 0x10000;
                appendUnicodeEscape(out, 0xD800 + (offset >> 10));
                appendUnicodeEscape(out, 0xDC00 + (offset & 0x3FF));
            } else {
                appendUnicodeEscape(out, code & 0xFFFF);
            }
        }
        }
    }
    out.push_back(L'"');
    return out;
}

std::wstring JSONValue::Stringify(int indentSize, int depth) const {
    std::wstring out;
    StringifyInto(out, indentSize, depth);
    return out;
}

// Appends to one buffer instead of returning a string per node, so that a document costs
// one pass rather than one copy per nesting level.
void JSONValue::StringifyInto(std::wstring& out, int indentSize, int depth) const {
    switch (type_) {
    case JSONType_Null:
        out += L"null";
        break;
    case JSONType_Bool:
        out += bool_ ? L"true" : L"false";
        break;
    case JSONType_String:
        out += StringifyString(string_);
        break;
    case JSONType_Number:
        appendNumber(out, number_);
        break;
    case JSONType_Array: {
        out += L"[\n";
        for (std::size_t i = 0; i < array_.size(); ++i) {
            AddIndent(out, indentSize, depth);
            array_[i]->StringifyInto(out, indentSize, depth + 1);
            if (i + 1 < array_.size()) out.push_back(L',');
            out.push_back(L'\n');
        }
        AddIndent(out, indentSize, depth);
        out.push_back(L']');
        break;
    }
    case JSONType_Object: {
        out += L"{\n";
        std::size_t remaining = object_.size();
        for (const auto& [name, value] : object_) {
            AddIndent(out, indentSize, depth);
            out += StringifyString(name);
            out += L": ";
            value->StringifyInto(out, indentSize, depth + 1);
            if (--remaining > 0) out.push_back(L',');
            out.push_back(L'\n');
        }
        AddIndent(out, indentSize, depth);
        out.push_back(L'}');
        break;
    }
    }
}
