#pragma once
// Entry points of the JSON value library: text to tree, tree to text, and the scanning
// steps the parser is built from. The end of the text is its NUL terminator; no step
// ever reads past it.
#include <string>

#include "JSONValue.h"

class JSON {
  public:
    // Containers nested deeper than this are rejected, so hostile text cannot exhaust
    // the stack.
    static constexpr int MaxDepth = 512;

    // UTF-8 text. Text that is not valid UTF-8 gives null.
    static JSONValue* Parse(const char* text);
    // One value, optionally surrounded by whitespace, and nothing else; null otherwise.
    // The caller owns the result.
    static JSONValue* Parse(const wchar_t* text);
    // Indent of 2 blanks per level from depth 0; empty for a null pointer.
    static std::wstring Stringify(const JSONValue* value);

    // Advances over tab, line feed, carriage return and blank; false at the end of text.
    static bool SkipWhitespace(const wchar_t** cursor);
    // Reads the rest of a string whose opening quote has been consumed, up to and
    // including the closing quote. False on a bad escape, a raw control character other
    // than tab, or the end of the text.
    static bool ExtractString(const wchar_t** cursor, std::wstring& out);
    // Accumulates decimal digits as value × 10 + digit.
    static double ParseInt(const wchar_t** cursor);
    // The fraction of the digits after a decimal point: first digit × 0.1, then × 0.01 …
    static double ParseDecimal(const wchar_t** cursor);
};
