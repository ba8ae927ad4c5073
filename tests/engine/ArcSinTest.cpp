#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "engine/ArcSin.h"

namespace orb {
namespace {

constexpr double kHalfPi = 1.5707963267949;  // the program's own constant, not M_PI / 2

TEST(ArcSin, ValuesInsideTheRange)
{
    // The arc tangent form loses a little near 1, nothing that shows on screen.
    for (double x : {0.0, 0.5, -0.5, 0.7071067811865476, -0.9, 0.999999, 1e-300})
        EXPECT_NEAR(ArcSin(x), std::asin(x), 1e-12) << x;
    EXPECT_EQ(ArcSin(0.0), 0.0);
}

TEST(ArcSin, EndsAndBeyondGiveTheFixedHalfPi)
{
    // Exactly +-1 and quotients pushed past 1 by rounding: the fixed constant,
    // never NaN.
    for (double x : {1.0, std::nextafter(1.0, 2.0), 1.5, DBL_MAX, std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(ArcSin(x), kHalfPi) << x;
        EXPECT_EQ(ArcSin(-x), -kHalfPi) << -x;
    }
    EXPECT_EQ(ArcSin(std::numeric_limits<double>::quiet_NaN()), 0);
    // Just inside 1 is still the arc tangent form, finite and below the constant.
    const double nearOne = ArcSin(std::nextafter(1.0, 0.0));
    EXPECT_TRUE(std::isfinite(nearOne));
    EXPECT_GT(nearOne, 1.5707);
    EXPECT_LE(nearOne, M_PI / 2);
}

}  // namespace
}  // namespace orb
