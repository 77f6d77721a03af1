// Parsing: the grammar, the number arithmetic, escapes, and hostile input (cut-off text,
// deep nesting) that must fail cleanly.
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "JSON.h"

namespace {

std::unique_ptr<JSONValue> parse(const std::wstring& text) {
    return std::unique_ptr<JSONValue>(JSON::Parse(text.c_str()));
}

// A copy of `text` in a heap block exactly as long as the text and its terminator, so
// that AddressSanitizer reports any read beyond the end.
std::unique_ptr<JSONValue> parseExact(const std::wstring& text) {
    auto block = std::make_unique<wchar_t[]>(text.size() + 1);
    std::wmemcpy(block.get(), text.c_str(), text.size() + 1);
    return std::unique_ptr<JSONValue>(JSON::Parse(block.get()));
}

double number(const std::wstring& text) {
    auto value = parse(text);
    EXPECT_TRUE(value && value->IsNumber()) << text.size();
    return value ? value->AsNumber() : NAN;
}

std::wstring string(const std::wstring& text) {
    auto value = parse(text);
    EXPECT_TRUE(value && value->IsString());
    return value ? value->AsString() : L"<none>";
}

} // namespace

TEST(JsonParse, ContainersAcceptTheGrammarAndRejectStrayCommasAndMissingSeparators) {
    for (const wchar_t* good : {L"[1,2]", L"[ ]", L"{ }", L" [ 1 , [ {} ] ]\n", L"{\"a\" : [1]}",
                                L"\t{\"a\":1,\r\n\"b\":null}"})
        EXPECT_NE(parse(good), nullptr) << good;
    for (const wchar_t* bad : {L"[1,2,]", L"[1 2]", L"{\"a\":1,}", L"[,1]", L"{\"a\" 1}", L"[1]]",
                               L"{\"a\":1}x", L"", L"  \n", L"\f1", L"[1}", L"{\"a\"}"})
        EXPECT_EQ(parse(bad), nullptr) << bad;

    auto object = parse(L"{\"z\":1,\"a\":{\"b\":[true]}}");
    ASSERT_TRUE(object && object->IsObject());
    EXPECT_EQ(object->CountChildren(), 2u);
    EXPECT_TRUE(object->Child(L"a")->Child(L"b")->Child(size_t{0})->AsBool());
}

TEST(JsonParse, LiteralsIgnoreCaseButMustBeComplete) {
    auto upper = parse(L"  TRUE  ");
    ASSERT_TRUE(upper && upper->IsBool());
    EXPECT_TRUE(upper->AsBool());
    EXPECT_FALSE(parse(L"fAlSe")->AsBool());
    EXPECT_TRUE(parse(L"Null")->IsNull());
    for (const wchar_t* bad : {L"nul", L"tru", L"fals", L"truex", L"[nul]", L"t"})
        EXPECT_EQ(parseExact(bad), nullptr) << bad;
}

TEST(JsonParse, NumbersFollowTheGrammarAndItsArithmetic) {
    EXPECT_EQ(number(L"-0.25e1"), -2.5);
    EXPECT_EQ(number(L"0"), 0.0);
    EXPECT_TRUE(std::signbit(number(L"-0")));
    EXPECT_EQ(number(L"1E+2"), 100.0);
    EXPECT_EQ(number(L"25e-2"), 0.25);
    EXPECT_EQ(number(L"3.5"), 3.5);
    EXPECT_EQ(number(L"9007199254740991"), 9007199254740991.0);
    EXPECT_TRUE(std::isinf(number(L"1e999999999"))); // must also return promptly
    EXPECT_EQ(number(L"1e-999999999"), 0.0);
    for (const wchar_t* bad : {L"1.", L"1e", L"1e+", L"01", L"-01", L"-", L".5", L"+1", L"0x10",
                               L"1.e3", L"[-]", L"- 1"})
        EXPECT_EQ(parseExact(bad), nullptr) << bad;
}

TEST(JsonParse, StringEscapesDecodeAndBadOnesFail) {
    EXPECT_EQ(string(L"\"\\u00e9\""), L"\u00e9");
    EXPECT_EQ(string(L"\"\\u00E9\\u0041\""), L"\u00e9A");
    EXPECT_EQ(string(L"\"\\\"\\\\\\/\\b\\f\\n\\r\\t\""), L"\"\\/\b\f\n\r\t");
    EXPECT_EQ(string(L"\"a\tb\""), L"a\tb"); // a raw tab is allowed
    EXPECT_EQ(string(L"\"\\u0000\"").size(), 1u);
    // A surrogate pair spells one character; a lone surrogate is kept as it is.
    EXPECT_EQ(string(L"\"\\uD834\\uDD1E\""), std::wstring(1, wchar_t(0x1D11E)));
    EXPECT_EQ(string(L"\"\\uD834x\""), (std::wstring{wchar_t(0xD834), L'x'}));
    for (const wchar_t* bad : {L"\"\\x\"", L"\"\\u12\"", L"\"\\u12", L"\"\\u", L"\"\\", L"\"abc",
                               L"\"a\nb\"", L"\"\\uD834\\u", L"\"\\U0041\""})
        EXPECT_EQ(parseExact(bad), nullptr) << bad;
}

TEST(JsonParse, RepeatedMemberNameKeepsTheLastValue) {
    auto object = parse(L"{\"a\":1,\"a\":[2],\"a\":3}");
    ASSERT_TRUE(object);
    EXPECT_EQ(object->CountChildren(), 1u);
    EXPECT_EQ(object->Child(L"a")->AsNumber(), 3.0);
}

TEST(JsonParse, TextCutOffAnywhereFailsWithoutReadingPastItsEnd) {
    const std::wstring documents[] = {
        L"{\"key\": \"speed\", \"value\": [true, false, null, -1.5e-3, \"\\u00e9\\n\"]}",
        L"[{\"a\":{}},[[]],\"x\",0]",
        L"{ \"a\" : \"\\uD834\\uDD1E\" }",
    };
    for (const std::wstring& document : documents) {
        ASSERT_NE(parseExact(document), nullptr);
        for (std::size_t length = 0; length < document.size(); ++length)
            EXPECT_EQ(parseExact(document.substr(0, length)), nullptr) << length;
    }
}

TEST(JsonParse, NestingIsBoundedInsteadOfOverflowingTheStack) {
    const auto nested = [](int levels, const std::wstring& open, const std::wstring& close) {
        std::wstring text;
        for (int i = 0; i < levels; ++i)
            text += open;
        text += L"1";
        for (int i = 0; i < levels; ++i)
            text += close;
        return text;
    };
    EXPECT_NE(parse(nested(JSON::MaxDepth, L"[", L"]")), nullptr);
    EXPECT_EQ(parse(nested(JSON::MaxDepth + 1, L"[", L"]")), nullptr);
    EXPECT_NE(parse(nested(JSON::MaxDepth, L"{\"a\":", L"}")), nullptr);
    EXPECT_EQ(parse(nested(JSON::MaxDepth + 1, L"{\"a\":", L"}")), nullptr);
    EXPECT_EQ(parse(std::wstring(1000000, L'[')), nullptr);
}

TEST(JsonParse, NarrowTextIsUtf8WhateverTheLocale) {
    std::unique_ptr<JSONValue> value(JSON::Parse("[\"\xC3\xA9\xF0\x9D\x84\x9E\"]"));
    ASSERT_TRUE(value);
    EXPECT_EQ(value->Child(size_t{0})->AsString(), (std::wstring{L'\u00e9', wchar_t(0x1D11E)}));
    // Invalid UTF-8: a stray continuation byte, an overlong slash, an encoded surrogate,
    // a code point beyond U+10FFFF and a sequence cut short.
    for (const char* bad : {"[\"\x80\"]", "[\"\xC0\xAF\"]", "[\"\xED\xA0\x80\"]",
                            "[\"\xF4\x90\x80\x80\"]", "[\"\xE2\x82"})
        EXPECT_EQ(std::unique_ptr<JSONValue>(JSON::Parse(bad)), nullptr);
    EXPECT_EQ(JSON::Parse(static_cast<const char*>(nullptr)), nullptr);
}

TEST(JsonParse, ValueParseAdvancesTheCursorPastOneValue) {
    const wchar_t* text = L"[1, 2] rest";
    const wchar_t* cursor = text;
    std::unique_ptr<JSONValue> value(JSONValue::Parse(&cursor));
    ASSERT_TRUE(value);
    EXPECT_EQ(cursor, text + 6);
    EXPECT_FALSE(JSON::SkipWhitespace(&(cursor = L" \t\r\n")));
}
