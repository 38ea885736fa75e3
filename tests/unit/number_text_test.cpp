// Numbers read from what a user typed, in a window's field or the settings file: atoi's and
// atof's results for decimal text, and never an infinity, a NaN or an out-of-range conversion.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "core/number_text.h"

namespace {

TEST(NumberText, IndexTextReadsLikeAtoiWithinThe32BitRange) {
    EXPECT_EQ(readWholeNumber(" 42x"), 42);
    EXPECT_EQ(readWholeNumber("-7"), -7);
    EXPECT_EQ(readWholeNumber("+3"), 3);
    EXPECT_EQ(readWholeNumber("x1"), 0);
    EXPECT_EQ(readWholeNumber(""), 0);
    EXPECT_EQ(readWholeNumber(nullptr), 0);
    EXPECT_EQ(readWholeNumber("2147483647"), INT32_MAX);
    EXPECT_EQ(readWholeNumber("2147483648"), INT32_MAX);
    EXPECT_EQ(readWholeNumber("-2147483649"), INT32_MIN);
    EXPECT_EQ(readWholeNumber("123456789012345678901234567890"), INT32_MAX);
}

TEST(NumberText, ScalingTextReadsOnlyTheLeadingDecimalNumber) {
    EXPECT_EQ(readDecimalNumber("  2.5"), 2.5f);
    EXPECT_EQ(readDecimalNumber("5."), 5.0f);
    EXPECT_EQ(readDecimalNumber(".5"), 0.5f);
    EXPECT_EQ(readDecimalNumber("-.5e1"), -5.0f);
    EXPECT_EQ(readDecimalNumber("1e"), 1.0f);
    EXPECT_EQ(readDecimalNumber("1e+"), 1.0f);
    EXPECT_EQ(readDecimalNumber("3e-1z"), 0.3f);
    EXPECT_EQ(readDecimalNumber("+"), 0.0f);
    EXPECT_EQ(readDecimalNumber("."), 0.0f);
    EXPECT_EQ(readDecimalNumber("abc"), 0.0f);
    EXPECT_EQ(readDecimalNumber(nullptr), 0.0f);
    EXPECT_EQ(readDecimalNumber("inf"), 0.0f);
    EXPECT_EQ(readDecimalNumber("-infinity"), 0.0f);
    EXPECT_EQ(readDecimalNumber("nan"), 0.0f);
    EXPECT_EQ(readDecimalNumber("0x10"), 0.0f);
    EXPECT_EQ(readDecimalNumber("1e60"), FLT_MAX);
    EXPECT_EQ(readDecimalNumber("-1e60"), -FLT_MAX);
    EXPECT_EQ(readDecimalNumber("1e-60"), 0.0f);
    EXPECT_EQ(readDecimalNumber(std::string(300, '9').c_str()), FLT_MAX);
}

// Text made only of decimal spellings (blanks of every kind, signs, digits, points, exponents,
// junk after the number) reads exactly as atof and atoi read it, sign of zero included.
TEST(NumberText, DecimalTextReadsBitForBitAsAtofAndAtoi) {
    auto sameAsAtof = [](const std::string &text) {
        const double expected = std::atof(text.c_str());
        if (!(std::fabs(expected) <= static_cast<double>(FLT_MAX))) return; // held, not UB
        const float wanted = static_cast<float>(expected);
        const float read = readDecimalNumber(text.c_str());
        EXPECT_EQ(std::memcmp(&wanted, &read, sizeof read), 0)
            << "'" << text << "': atof " << wanted << ", read " << read;
    };
    auto sameAsAtoi = [](const std::string &text) {
        const long long wide = std::strtoll(text.c_str(), nullptr, 10);
        if (wide < INT32_MIN || wide > INT32_MAX) return; // atoi is undefined there
        EXPECT_EQ(readWholeNumber(text.c_str()), std::atoi(text.c_str())) << "'" << text << "'";
    };
    const char *const samples[] = {
        " \t\n\v\f\r2.5", "+3",    "+.5",           "-0",   "-0.0e5",       "007",   "1.e2",
        "1.5E+3kg",       "2e-3,", "  -12.75e-1 x", "00x5", "3.4028234e38", "1e-45", "1e-50",
        "-1e-50",         "9x",    "..5",           "+-1",  "- 1",          "1 2",   "0.1",
        "0.0000005",      "-1e",   "1e+",           "1e-",  "  +0012"};
    for (const char *text : samples) {
        sameAsAtof(text);
        sameAsAtoi(text);
    }
    std::mt19937 random(20240612u);
    const char alphabet[] = " \t+-.eE0123456789k";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 2);
    std::uniform_int_distribution<int> length(1, 14);
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        for (int n = length(random); n > 0; --n)
            text += alphabet[pick(random)];
        sameAsAtof(text);
        sameAsAtoi(text);
        if (::testing::Test::HasFailure()) break;
    }
    // Where atof reads more than decimals, only the decimal prefix counts.
    EXPECT_EQ(readDecimalNumber("0x10"), 0.0f);
    EXPECT_TRUE(std::signbit(readDecimalNumber(" -0x10")));
    EXPECT_FALSE(std::signbit(readDecimalNumber("+0x10")));
}

TEST(NumberText, WordsForInfinityAndNotANumberAndHexadecimalAreNoNumber) {
    for (const char *text :
         {"inf", "-INF", "Infinity", "\tinf", "nan", "-nan", "NaN(123)", "+nancy", "information"})
        EXPECT_EQ(readDecimalNumber(text), 0.0f) << text;
    EXPECT_EQ(readDecimalNumber("0x1p-3"), 0.0f);
    EXPECT_EQ(readWholeNumber("0x10"), 0);
}

TEST(NumberText, WholeNumbersReadAsAtoiReadsThem) {
    // Blanks are gone from settings values before conversion, but other white space stays.
    for (const char *text : {"42", "+7", "-13", "\t5", "\r\v9", "007", "0x10", "12.9", "1e3",
                             "2147483647", "-2147483648", "", "-", "x1", "+-3"})
        EXPECT_EQ(readWholeNumber(text), std::atoi(text)) << text;
}

} // namespace
