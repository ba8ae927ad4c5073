#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/Numbers.h"

namespace orb {
namespace {

TEST(Numbers, LenientReadsTheLeadingNumber)
{
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {".42", 0.42},      {"12abc", 12},   {"abc", 0},       {"", 0},         {"  -7.5", -7.5},
        {"+3", 3},          {"1e3", 1000},   {"2E-2x", 0.02},  {"1e", 1},       {"1e+", 1},
        {"-", 0},           {".", 0},        {"5.", 5},        {"-.5", -0.5},   {" 12 34", 12},
        {"0x1A", 0},        {"1e-400", 0},   {"\t8", 8},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(val(c.text), c.value) << '"' << c.text << '"';
    // Too large for a double: the largest finite one, never infinity.
    EXPECT_EQ(val("1e999"), DBL_MAX);
    EXPECT_EQ(val("-1e999"), -DBL_MAX);
    EXPECT_EQ(val(std::string(400, '9')), DBL_MAX);
}

TEST(Numbers, StrictNeedsTheWholeText)
{
    EXPECT_EQ(strictNumber(" 2.5 "), 2.5);
    EXPECT_EQ(strictNumber(".42"), 0.42);
    EXPECT_EQ(strictNumber("-1e3"), -1000);
    for (const char* bad : {"", " ", "12abc", "abc", "1 2", "1e999", "nan", "inf", "--1", "1,5", "."})
        EXPECT_FALSE(strictNumber(bad)) << '"' << bad << '"';
}

TEST(Numbers, WholeConversionsRoundHalvesToEvenAndRefuseOutOfRange)
{
    struct Case {
        double x;
        std::optional<std::int16_t> v;
    } cases[] = {
        {0.5, 0},      {1.5, 2},       {2.5, 2},         {-0.5, 0},      {-1.5, -2},
        {2.4999, 2},   {32767, 32767}, {32767.5, std::nullopt}, {-32768, -32768},
        {-32768.5, -32768}, {-32769, std::nullopt}, {1e300, std::nullopt}, {NAN, std::nullopt},
        {INFINITY, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(toInt16(c.x), c.v) << c.x;
    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    EXPECT_FALSE(toInt32(2147483648.0));
    EXPECT_EQ(toInt32(-2.5), -2);
    EXPECT_EQ(strictInt16("12.5"), 12);
    EXPECT_FALSE(strictInt16("40000"));
    EXPECT_FALSE(strictInt16("12a"));
}

TEST(Numbers, TextForms)
{
    EXPECT_EQ(numText(0.1), "0.1");
    EXPECT_EQ(numText(0.03), "0.03");
    EXPECT_EQ(numText(0.5), "0.5");
    EXPECT_EQ(numText(15360), "15360");
    EXPECT_EQ(numText(-200), "-200");
    EXPECT_EQ(numText(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(numText(1e20), "1E+20");
    EXPECT_EQ(numText(0.00001), "0.00001");
    EXPECT_EQ(numText(0.1 + 0.2), "0.3");
    for (double v : {0.1, 1.0 / 3, -1e-300, 123456789.123456789, 5e-324})
        EXPECT_EQ(strictNumber(shortestText(v)), v);
}

TEST(Numbers, ShownNumbersAlwaysReadBack)
{
    // The 15-digit rounding of the largest double lies above it; the text rounds
    // its last digit down instead, so an edited field still parses.
    EXPECT_EQ(numText(DBL_MAX), "1.79769313486231E+308");
    EXPECT_EQ(numText(-DBL_MAX), "-1.79769313486231E+308");
    EXPECT_EQ(numText(INFINITY), numText(DBL_MAX));
    EXPECT_EQ(numText(NAN), "0");
    EXPECT_EQ(numText(999999999999999.9), "1E+15");  // rounded, not cut
    EXPECT_EQ(numText(2.99999999999999999e-5), "0.00003");
    for (double x : {DBL_MAX, -DBL_MAX, std::nextafter(DBL_MAX, 0.0), DBL_MIN, DBL_TRUE_MIN, -DBL_TRUE_MIN,
                     3 * DBL_TRUE_MIN, std::nextafter(DBL_MIN, 0.0), 1e-320})
        EXPECT_TRUE(strictNumber(numText(x))) << numText(x);
    // Subnormals are far coarser than 15 digits: they read back exactly.
    for (double x : {DBL_TRUE_MIN, -DBL_TRUE_MIN, 3 * DBL_TRUE_MIN, 1e-320})
        EXPECT_EQ(strictNumber(numText(x)), x) << numText(x);

    // Across every magnitude: the text reads back to the 15-digit rounding of
    // the value, the closest a 15-digit text can come.
    std::uint64_t bits = 0x9E3779B97F4A7C15ULL;
    for (int k = 0; k < 20000; ++k) {
        bits = bits * 6364136223846793005ULL + 1442695040888963407ULL;
        double x = 0;
        std::memcpy(&x, &bits, sizeof x);
        if (!std::isfinite(x)) continue;
        const std::string text = numText(x);
        const auto back = strictNumber(text);
        ASSERT_TRUE(back) << text;
        char rounded[40];
        std::snprintf(rounded, sizeof rounded, "%.14e", x);
        const double nearest = std::strtod(rounded, nullptr);
        if (std::isfinite(nearest)) ASSERT_EQ(*back, nearest) << text << " for " << rounded;
    }
}

TEST(Numbers, WholeNumbersAreCheckedBeforeAnyConversion)
{
    struct Case {
        double v;
        long long lo, hi;
        std::optional<long long> whole;
    } cases[] = {
        {1e300, 0, 999, std::nullopt},   {-1e300, LLONG_MIN, LLONG_MAX, std::nullopt},
        {1e300, LLONG_MIN, LLONG_MAX, std::nullopt},
        {NAN, 0, 999, std::nullopt},     {INFINITY, LLONG_MIN, LLONG_MAX, std::nullopt},
        {2.5, 0, 999, std::nullopt},     {DBL_TRUE_MIN, 0, 999, std::nullopt},
        {999, 0, 999, 999},              {1000, 0, 999, std::nullopt},  {-1, 0, 999, std::nullopt},
        {-0.0, 0, 999, 0},               {3, 3, 3, 3},
        {9223372036854775808.0, LLONG_MIN, LLONG_MAX, std::nullopt},  // 2^63, just past the type
        {-9223372036854775808.0, LLONG_MIN, LLONG_MAX, LLONG_MIN},
        {9007199254740993.0, 0, LLONG_MAX, 9007199254740992LL},       // the double nearest 2^53 + 1
    };
    for (const auto& c : cases) EXPECT_EQ(wholeNumber(c.v, c.lo, c.hi), c.whole) << c.v;
}

}  // namespace
}  // namespace orb
