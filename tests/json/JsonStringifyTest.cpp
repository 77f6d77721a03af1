// The text form: layout, number format and escapes, which the configuration file's
// exact bytes depend on.
#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

#include "JSON.h"

namespace {

std::wstring reformat(const wchar_t* text) {
    std::unique_ptr<JSONValue> value(JSON::Parse(text));
    return value ? JSON::Stringify(value.get()) : L"<parse error>";
}

std::wstring numberText(double value) {
    const JSONValue node(value);
    return JSON::Stringify(&node);
}

} // namespace

TEST(JsonStringify, ContainersIndentMembersAndClosingBracketAtTheirOwnDepth) {
    EXPECT_EQ(reformat(L"{\"b\":[1,{}],\"a\":{\"c\":[]}}"), L"{\n"
                                                            L"\"a\": {\n"
                                                            L"  \"c\": [\n"
                                                            L"    ]\n"
                                                            L"  },\n"
                                                            L"\"b\": [\n"
                                                            L"  1,\n"
                                                            L"  {\n"
                                                            L"    }\n"
                                                            L"  ]\n"
                                                            L"}");
    EXPECT_EQ(reformat(L"[]"), L"[\n]");
    EXPECT_EQ(reformat(L"[[]]"), L"[\n[\n  ]\n]");
    EXPECT_EQ(JSONValue(JSONArray{new JSONValue(true)}).Stringify(4, 1), L"[\n    true\n    ]");
    EXPECT_EQ(JSON::Stringify(nullptr), L"");
}

TEST(JsonStringify, MembersAreOrderedByPlainCharacterComparison) {
    EXPECT_EQ(reformat(L"{\"red\":1,\"blue\":2,\"Zed\":3,\"green\":4}"),
              L"{\n\"Zed\": 3,\n\"blue\": 2,\n\"green\": 4,\n\"red\": 1\n}");
}

TEST(JsonStringify, NumbersUseFifteenSignificantDigitsAndNullForNonFinite) {
    EXPECT_EQ(numberText(255), L"255");
    EXPECT_EQ(numberText(0.5), L"0.5");
    EXPECT_EQ(numberText(1e20), L"1e+20");
    EXPECT_EQ(numberText(1e-7), L"1e-07");
    EXPECT_EQ(numberText(1.0 / 3), L"0.333333333333333");
    EXPECT_EQ(numberText(123456789012345678.0), L"1.23456789012346e+17");
    EXPECT_EQ(numberText(-0.0), L"-0");
    EXPECT_EQ(numberText(std::numeric_limits<double>::infinity()), L"null");
    EXPECT_EQ(numberText(std::nan("")), L"null");
}

TEST(JsonStringify, NumbersIgnoreALocaleWithADecimalComma) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    bool switched = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name)) {
            switched = true;
            break;
        }
    const std::wstring text = numberText(3.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
    if (!switched) GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ(text, L"3.5");
}

TEST(JsonStringify, StringsEscapeControlsSlashAndEverythingOutsidePrintableAscii) {
    const JSONValue text(std::wstring(L"a/b\"c\\d\b\t\n\f\r\u00e9\u0001\u007f~") +
                         wchar_t(0x1D11E));
    EXPECT_EQ(JSON::Stringify(&text),
              L"\"a\\/b\\\"c\\\\d\\b\\t\\n\\f\\r\\u00E9\\u0001\\u007F~\\uD834\\uDD1E\"");
    EXPECT_EQ(JSONValue::StringifyString(std::wstring(1, L'\0')), L"\"\\u0000\"");
}

TEST(JsonStringify, ParsingTheTextGivesTheSameTree) {
    const wchar_t* source = L"{\"s\":\"\\u00e9\\uD83D\\uDE00/\\u0000\",\"n\":[-1.5,1e+300,0],"
                            L"\"o\":{\"t\":true,\"f\":false,\"z\":null}}";
    const std::wstring once = reformat(source);
    EXPECT_EQ(reformat(once.c_str()), once);
}
