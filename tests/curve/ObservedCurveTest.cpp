#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "curve/ObservedCurve.h"

namespace orb {
namespace {

const std::string kHeader = "radius_kpc,speed_kms,error_kms,gas_kms,disk_kms\n";

TEST(Ngc3198, TheShippedFileReadsWhole)
{
    EXPECT_TRUE(ngc3198Text().starts_with("# Observed rotation curve of the spiral galaxy NGC 3198"));
    EXPECT_NE(ngc3198Text().find("doi:10.3847/0004-6256/152/6/157"), std::string_view::npos);
    const auto rows = ngc3198Curve();
    ASSERT_TRUE(rows) << rows.error();
    ASSERT_EQ(rows->size(), 43u);
    const ObservedRow& r = (*rows)[5];
    EXPECT_EQ(r.radiusKpc, 1.93);
    EXPECT_EQ(r.speedKms, 76.90);
    EXPECT_EQ(r.errorKms, 10.30);
    EXPECT_EQ(r.gasKms, -0.05);
    EXPECT_EQ(r.diskKms, 83.17);
    EXPECT_NEAR(visibleSpeed(r), std::sqrt(-0.05 * 0.05 + 0.5 * 83.17 * 83.17), 1e-12);
    EXPECT_EQ(rows->back().radiusKpc, 44.08);
    EXPECT_EQ(rows->back().speedKms, 149);
    // Visible matter alone falls short of the flat outer curve.
    EXPECT_LT(visibleSpeed(rows->back()), 0.6 * rows->back().speedKms);
}

TEST(ObservedCurve, VisibleSpeedIsZeroWhereTheSumIsNegative)
{
    EXPECT_EQ(visibleSpeed({1, 50, 1, -10, 1}), 0);
    EXPECT_EQ(visibleSpeed({1, 50, 1, 0, 0}), 0);
    EXPECT_EQ(visibleSpeed({1, 50, 1, 3, 0}), 3);
    EXPECT_NEAR(visibleSpeed({1, 50, 1, 0, 2}), std::sqrt(2.0), 1e-15);
    // Squares that would overflow are scaled first.
    EXPECT_NEAR(visibleSpeed({1, 50, 1, -1e200, 2e200}), 1e200, 1e186);
    // A disk pulling outwards counts against, like the gas: V_bar^2 = gas |gas| + 0.5 disk |disk|.
    EXPECT_NEAR(visibleSpeed({1, 50, 1, 3, -2}), std::sqrt(7.0), 1e-15);
    EXPECT_EQ(visibleSpeed({1, 50, 1, 1, -2}), 0);
    EXPECT_EQ(visibleSpeedSquared({1, 50, 1, 1, -2}), -1);
    EXPECT_EQ(visibleSpeedSquared({1, 50, 1, -3, 4}), -1);
    EXPECT_EQ(visibleSpeedSquared({1, 50, 1, 1e200, -1e200}), DBL_MAX);  // 0.5e400, too large, but positive
    EXPECT_EQ(visibleSpeedSquared({1, 50, 1, 1e200, -2e200}), -DBL_MAX);
    EXPECT_EQ(visibleSpeedSquared({1, 50, 1, 0, 0}), 0);
}

TEST(ObservedCurve, LenientAboutLayoutStrictAboutNumbers)
{
    const auto ok = parseObservedCurve("\xEF\xBB\xBF# note\r\n\r\n" + std::string("  ") + kHeader +
                                           "# mid-table note\n1,2,3,-4,5\r\n 2.5 , 3 ,0, 0,0 \n\n",
                                       "x.csv");
    ASSERT_TRUE(ok) << ok.error();
    ASSERT_EQ(ok->size(), 2u);
    EXPECT_EQ((*ok)[1].radiusKpc, 2.5);
    EXPECT_EQ((*ok)[0].gasKms, -4);

    struct Case {
        std::string text;
        const char* message;
    } cases[] = {
        {"", "x.csv: no header"},
        {"# only notes\n", "x.csv: no header"},
        {kHeader + "# nothing\n", "x.csv: no rows"},
        {"radius,speed\n1,2\n", "x.csv, line 1: the header must be"},
        {kHeader + "1,2,3,4\n", "x.csv, line 2: expected 5 columns"},
        {kHeader + "1,2,3,4,5,6\n", "x.csv, line 2: expected 5 columns"},
        {kHeader + "1,abc,3,4,5\n", "x.csv, line 2: speed_kms \"abc\" is not a finite number"},
        {kHeader + "1,,3,4,5\n", "x.csv, line 2: speed_kms \"\" is not"},
        {kHeader + "1,2,3,4,nan\n", "x.csv, line 2: disk_kms \"nan\" is not"},
        {kHeader + "1e999,2,3,4,5\n", "x.csv, line 2: radius_kpc"},
        {"# a\n\n" + kHeader + "1,2,3,4,5\n1,2,3,4,5\n", "x.csv, line 5: radius_kpc must grow"},
        {kHeader + "0,2,3,4,5\n", "x.csv, line 2: radius_kpc must be above 0"},
        {kHeader + "1,-2,3,4,5\n", "x.csv, line 2: speed_kms must not be negative"},
        {kHeader + "1,2,-3,4,5\n", "x.csv, line 2: error_kms must not be negative"},
    };
    for (const Case& c : cases) {
        const auto r = parseObservedCurve(c.text, "x.csv");
        ASSERT_FALSE(r) << c.text;
        EXPECT_TRUE(r.error().starts_with(c.message)) << r.error();
    }
}

}  // namespace
}  // namespace orb
