// The JSON library: the grammar and its number arithmetic, escapes and UTF-8, hostile input
// (cut-off text, deep nesting) that must fail cleanly and the exact text form the
// configuration file depends on.
#include "JSON.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

namespace {

using Node = std::unique_ptr<JSONValue>;

// A copy of `text` in a heap block exactly as long as the text and its terminator, so
// that AddressSanitizer reports any read beyond the end.
Node parse(const std::wstring& text) {
    auto block = std::make_unique<wchar_t[]>(text.size() + 1);
    std::wmemcpy(block.get(), text.c_str(), text.size() + 1);
    return Node(JSON::Parse(block.get()));
}

std::wstring reformat(const std::wstring& text) {
    const Node value = parse(text);
    return value ? JSON::Stringify(value.get()) : L"<parse error>";
}

} // namespace

TEST(Json, GrammarAcceptsAndRejects) {
    // Each good text with its text form: literals ignore case, numbers follow the arithmetic.
    const std::pair<const wchar_t*, const wchar_t*> good[] = {
        {L" [ 1 , [ {} ] ]\n", L"[\n1,\n[\n  {\n    }\n  ]\n]"},
        {L"\t{\"a\":1,\r\n\"b\":null}", L"{\n\"a\": 1,\n\"b\": null\n}"},
        {L"{\"a\":1,\"a\":[2],\"a\":3}", L"{\n\"a\": 3\n}"}, // the last value wins
        {L"  TRUE  ", L"true"},
        {L"fAlSe", L"false"},
        {L"Null", L"null"},
        {L"-0.25e1", L"-2.5"},
        {L"-0", L"-0"},
        {L"1E+2", L"100"},
        {L"25e-2", L"0.25"},
        {L"9007199254740991", L"9.00719925474099e+15"},
        {L"1e999999999", L"null"}, // infinite, and returned promptly
        {L"1e-999999999", L"0"},
    };
    for (const auto& [text, form] : good)
        EXPECT_EQ(reformat(text), form) << text;
    // The rest of the grammar's rejections are the conformance corpus's; these go
    // through the wide entry point.
    const wchar_t* bad[] = {L"[1,2,]", L"{\"a\" 1}", L"", L"truex", L"01", L"1.", L"- 1"};
    for (const wchar_t* text : bad)
        EXPECT_EQ(parse(text), nullptr) << text;
    const wchar_t* cursor = L"[1, 2] rest"; // one value, and the cursor stops after it
    const Node value(JSONValue::Parse(&cursor));
    EXPECT_TRUE(value && std::wstring(cursor) == L" rest");
}

TEST(Json, StringEscapesAndUtf8) {
    const std::pair<const wchar_t*, std::wstring> good[] = {
        {L"\"\\u00e9\\u0041\"", L"\u00e9A"},
        {L"\"\\\"\\\\\\/\\b\\f\\n\\r\\t\"", L"\"\\/\b\f\n\r\t"},
        {L"\"a\tb\"", L"a\tb"}, // a raw tab is allowed
        {L"\"\\u0000\"", std::wstring(1, L'\0')},
        {L"\"\\uD834\\uDD1E\"", std::wstring(1, wchar_t(0x1D11E))}, // a pair is one character
        {L"\"\\uD834x\"", std::wstring{wchar_t(0xD834), L'x'}},     // a lone one stays
    };
    for (const auto& [text, expected] : good) {
        const Node value = parse(text);
        ASSERT_TRUE(value && value->IsString()) << text;
        EXPECT_EQ(value->AsString(), expected) << text;
    }
    for (const wchar_t* bad : {L"\"\\x\"", L"\"\\u12\"", L"\"\\u12", L"\"\\", L"\"abc", L"\"a\nb\"",
                               L"\"\\uD834\\u", L"\"\\U0041\""})
        EXPECT_EQ(parse(bad), nullptr) << bad;

    // Narrow text is UTF-8 whatever the locale.
    const Node value(JSON::Parse("[\"\xC3\xA9\xF0\x9D\x84\x9E\"]"));
    ASSERT_TRUE(value);
    EXPECT_EQ(value->Child(size_t{0})->AsString(), (std::wstring{L'\u00e9', wchar_t(0x1D11E)}));
    // A stray continuation byte, an overlong slash, an encoded surrogate, a code point
    // beyond U+10FFFF and a sequence cut short.
    for (const char* bad : {"[\"\x80\"]", "[\"\xC0\xAF\"]", "[\"\xED\xA0\x80\"]",
                            "[\"\xF4\x90\x80\x80\"]", "[\"\xE2\x82"})
        EXPECT_EQ(Node(JSON::Parse(bad)), nullptr) << bad;
    EXPECT_EQ(JSON::Parse(static_cast<const char*>(nullptr)), nullptr);
}

TEST(Json, HostileInputFailsCleanly) {
    for (const std::wstring document :
         {L"{\"key\": \"speed\", \"value\": [true, false, null, -1.5e-3, \"\\u00e9\\n\"]}",
          L"[{\"a\":{}},[[]],\"x\",0]", L"{ \"a\" : \"\\uD834\\uDD1E\" }"}) {
        ASSERT_NE(parse(document), nullptr);
        for (std::size_t length = 0; length < document.size(); ++length)
            EXPECT_EQ(parse(document.substr(0, length)), nullptr) << length;
    }
    for (const auto& [open, close] : {std::pair{L"[", L"]"}, std::pair{L"{\"a\":", L"}"}}) {
        std::wstring text = L"1";
        for (int i = 0; i < JSON::MaxDepth; ++i)
            text = open + text + close;
        EXPECT_NE(parse(text), nullptr);
        EXPECT_EQ(parse(open + text + close), nullptr) << "deeper than the bound";
    }
    EXPECT_EQ(parse(std::wstring(1000000, L'[')), nullptr);
}

TEST(Json, TextForm) {
    EXPECT_EQ(reformat(L"{\"b\":[1,{}],\"a\":{\"c\":[]},\"Zed\":true}"),
              L"{\n\"Zed\": true,\n\"a\": {\n  \"c\": [\n    ]\n  },\n"
              L"\"b\": [\n  1,\n  {\n    }\n  ]\n}");
    EXPECT_EQ(JSONValue(JSONArray{new JSONValue(true)}).Stringify(4, 1), L"[\n    true\n    ]");
    EXPECT_EQ(JSON::Stringify(nullptr), L"");
    const std::pair<double, const wchar_t*> numbers[] = {
        {255, L"255"},
        {1e20, L"1e+20"},
        {1e-7, L"1e-07"},
        {1.0 / 3, L"0.333333333333333"},
        {123456789012345678.0, L"1.23456789012346e+17"},
        {std::nan(""), L"null"}};
    // Numbers ignore a user locale with a decimal comma, when one is installed.
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name)) break;
    const JSONValue half(0.5);
    EXPECT_EQ(JSON::Stringify(&half), L"0.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
    for (const auto& [number, text] : numbers) {
        const JSONValue node(number);
        EXPECT_EQ(JSON::Stringify(&node), text);
    }
    const JSONValue text(std::wstring(L"a/b\"c\\d\b\t\n\f\r\u00e9\u0001\u007f~") +
                         wchar_t(0x1D11E));
    EXPECT_EQ(JSON::Stringify(&text),
              L"\"a\\/b\\\"c\\\\d\\b\\t\\n\\f\\r\\u00E9\\u0001\\u007F~\\uD834\\uDD1E\"");
    const std::wstring once =
        reformat(L"{\"s\":\"\\u00e9\\uD83D\\uDE00/\\u0000\",\"n\":[-1.5,1e+300,0]}");
    EXPECT_EQ(reformat(once), once);
}
