#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

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

}  // namespace
}  // namespace orb
