// The settings text form: exact round trips for doubles and colors, leniency toward what a
// person types, and nullopt for anything unreadable.
#include "SettingsText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace et;
using namespace et::settings_text;
using ::testing::ElementsAre;
using ::testing::Optional;

TEST(SettingsText, DoublesAndColorsReadBackBitForBit) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> values{0.0,    1.0,  0.1,   1.0 / 3.0,    0.3, std::nextafter(1.0, 0.0),
                               5e-324, -2.5, 1e300, 123456789.125};
    for (int i = 0; i < 1000; ++i)
        values.push_back(unit(rng));
    for (double v : values)
        EXPECT_THAT(parseDouble(formatDouble(v)), Optional(v)) << formatDouble(v);
    for (int i = 0; i < 200; ++i) {
        const Color c{unit(rng), unit(rng), unit(rng), unit(rng)};
        EXPECT_THAT(parseColor(formatColor(c)), Optional(c));
    }
}

TEST(SettingsText, HandTypedValuesAreUnderstoodAndUnreadableOnesAreNullopt) {
    EXPECT_THAT(parseBool("YES"), Optional(true));
    EXPECT_THAT(parseBool(" no "), Optional(false));
    EXPECT_THAT(parseBool("1"), Optional(true));
    EXPECT_THAT(parseBool("0.0"), Optional(false));
    EXPECT_THAT(parseInt(" 42 "), Optional(42));
    EXPECT_THAT(parseInt("+7"), Optional(7));
    EXPECT_THAT(parseInt("-3.9"), Optional(-3));
    EXPECT_THAT(parseInt("true"), Optional(1));
    EXPECT_THAT(parseInt("-9223372036854775808"), Optional(std::numeric_limits<int64_t>::min()));
    EXPECT_THAT(parseDouble("2.5e-1"), Optional(0.25));
    EXPECT_THAT(parseColor("0.5, 0.25, 1"), Optional(Color{0.5, 0.25, 1.0, 1.0}));
    EXPECT_THAT(parseIntList("4, 5,6  7"), ElementsAre(4, 5, 6, 7));
    EXPECT_TRUE(parseIntList("").empty());

    for (const char* bad : {"", "abc", "maybe", "nan", "inf", "-inf", "1 2", "0x10", "1e999"}) {
        EXPECT_FALSE(parseBool(bad)) << bad;
        EXPECT_FALSE(parseDouble(bad)) << bad;
        EXPECT_FALSE(parseInt(bad)) << bad;
    }
    EXPECT_FALSE(parseInt("1e30")) << "no integer that large";
    EXPECT_THAT(parseInt("-9.2e18"), Optional(-9200000000000000000)) << "the bound is one";
    for (const char* bad :
         {"", "0.5 0.5", "0.5 0.5 0.5 1 0", "0.5 nan 0.5", "red green blue", "0.5 0.5 inf"})
        EXPECT_FALSE(parseColor(bad)) << bad;
    EXPECT_THAT(parseIntList("4 x 5.5 -2 99999999999999999999"),
                ElementsAre(Optional(4), std::nullopt, std::nullopt, Optional(-2), std::nullopt));
}
