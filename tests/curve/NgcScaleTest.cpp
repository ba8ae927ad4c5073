#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

#include "curve/NgcScale.h"
#include "support/Recording.h"

namespace orb {
namespace {

using test::place;
using test::quietWorld;

constexpr double kCx = 7680, kCy = 5760;

// Sol (gravity `sol`) and stars straight out at the given radii, turning
// clockwise at 20 twips per tick; the pair at `pair` twips when above 0.
RotationCurve curveAt(const std::vector<double>& radii, double sol = 100, double pair = 0)
{
    auto w = quietWorld(kMaxBody);
    place(*w, 0, kCx, kCy, 0, 0, sol);
    if (pair > 0) {
        place(*w, 1, kCx, kCy - pair, 0, 0, 0);
        place(*w, 2, kCx, kCy + pair, 0, 0, 0);
    }
    for (std::size_t k = 0; k < radii.size(); ++k) place(*w, 3 + static_cast<int>(k), kCx + radii[k], kCy, 0, 20, 0.1);
    RotationCurve c;
    c.update(*w, 2, 2);
    return c;
}

// 100 stars from 1000 to 4960 twips and three runaways far out.
std::vector<double> discRadii(double stretch = 1)
{
    std::vector<double> r;
    for (int k = 0; k < 100; ++k) r.push_back(stretch * (1000 + 40 * k));
    for (double far : {1e5, 2e5, 3e7}) r.push_back(far);
    return r;
}

TEST(NgcScale, TheOutermostPointLandsOnTheStarsEdgeWithNewtonsSpeedForItsVisibleMatter)
{
    const auto rows = ngc3198Curve();
    ASSERT_TRUE(rows);
    const ObservedRow& out = rows->back();
    const ObservedScale s = fixedNgcScale(*rows, curveAt(discRadii()));
    ASSERT_TRUE(s.matched);
    // 103 stars: the 95th percentile is the 98th nearest, 1000 + 40 x 97.
    EXPECT_EQ(s.edgeRadius, 4880);
    EXPECT_NEAR(out.radiusKpc * s.twipsPerKpc, 4880, 1e-9);
    const double newton = std::sqrt(10000 * 100 / 4880.0);
    EXPECT_NEAR(s.edgeSpeed, newton, 1e-12);
    EXPECT_NEAR(visibleSpeed(out) * s.speedPerKms, newton, 1e-12);
    EXPECT_EQ(s.simulatedPoints, 103);

    // Stars inside the attractors' zone do not set the edge: the pair at 300
    // twips leaves out everything within 1500.
    const ObservedScale z = fixedNgcScale(*rows, curveAt({500, 800, 1400, 2000}, 100, 300));
    EXPECT_EQ(z.simulatedPoints, 1);
    EXPECT_EQ(z.edgeRadius, 2000);
}

TEST(NgcScale, TheKeeperFixesTheScaleOnceUntilAskedAgain)
{
    const auto rows = ngc3198Curve();
    ASSERT_TRUE(rows);
    NgcScaleKeeper keeper;
    EXPECT_TRUE(keeper.pending());
    EXPECT_EQ(keeper.scale().twipsPerKpc, kDefaultTwipsPerKpc);
    EXPECT_EQ(keeper.scale().speedPerKms, kDefaultSpeedPerKms);

    // No stars yet: the default stays and the choice waits.
    EXPECT_FALSE(keeper.update(*rows, curveAt({})));
    EXPECT_TRUE(keeper.pending());
    EXPECT_FALSE(keeper.scale().matched);

    EXPECT_TRUE(keeper.update(*rows, curveAt(discRadii())));
    EXPECT_FALSE(keeper.pending());
    const ObservedScale fixed = keeper.scale();
    EXPECT_TRUE(fixed.matched);

    // The galaxy spreads to twice its size and sol gains mass: the scale stays.
    EXPECT_FALSE(keeper.update(*rows, curveAt(discRadii(2), 400)));
    EXPECT_EQ(keeper.scale().twipsPerKpc, fixed.twipsPerKpc);
    EXPECT_EQ(keeper.scale().speedPerKms, fixed.speedPerKms);

    // Rescaled: chosen again at the next update with stars, not before.
    keeper.rescaleNext();
    EXPECT_FALSE(keeper.update(*rows, curveAt({})));
    EXPECT_EQ(keeper.scale().twipsPerKpc, fixed.twipsPerKpc);
    EXPECT_TRUE(keeper.update(*rows, curveAt(discRadii(2), 400)));
    EXPECT_NEAR(keeper.scale().twipsPerKpc, 2 * fixed.twipsPerKpc, 1e-9);
    // sqrt(4 M / 2 R) = sqrt(2) times the speed.
    EXPECT_NEAR(keeper.scale().speedPerKms, std::sqrt(2.0) * fixed.speedPerKms, 1e-12);
}

TEST(NgcScale, DefaultsWhereNothingFixesAScale)
{
    const auto rows = ngc3198Curve();
    ASSERT_TRUE(rows);
    const std::vector<ObservedRow> dark = {{1, 50, 1, 0, 0}, {2, 60, 1, -3, 0}};  // no visible matter out there
    struct Case {
        const char* name;
        std::vector<ObservedRow> rows;
        RotationCurve curve;
    } cases[] = {
        {"no stars", *rows, curveAt({})},
        {"no rows", {}, curveAt({1000, 2000})},
        {"no attracting gravity", *rows, curveAt({1000, 2000}, 0)},
        {"negative gravity", *rows, curveAt({1000, 2000}, -100)},
        {"no visible matter at the outermost point", dark, curveAt({1000, 2000})},
        {"every star inside the zone", *rows, curveAt({1000, 2000}, 100, 1e300)},
        {"gravity of the largest double", *rows, curveAt({1e-300, 2e-300}, DBL_MAX)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ObservedScale s = fixedNgcScale(c.rows, c.curve);
        EXPECT_TRUE(std::isfinite(s.twipsPerKpc) && std::isfinite(s.speedPerKms));
        if (s.matched) {
            EXPECT_GT(s.twipsPerKpc, 0);
            EXPECT_GT(s.speedPerKms, 0);
            continue;
        }
        EXPECT_EQ(s.twipsPerKpc, kDefaultTwipsPerKpc);
        EXPECT_EQ(s.speedPerKms, kDefaultSpeedPerKms);
    }
}

TEST(NgcScale, NgcsOwnOuterCurveImpliesAnExponentNearOne)
{
    const auto rows = ngc3198Curve();
    ASSERT_TRUE(rows);
    // The visible matter gives under half the observed speed at the last point.
    EXPECT_NEAR(ngcOuterSpeedRatio(*rows), 2.30, 0.01);
    const ExponentFit f = ngcOuterExponent(*rows);
    ASSERT_TRUE(f.slope);
    EXPECT_EQ(f.points, 21);  // the rows beyond 8 kpc
    EXPECT_NEAR(f.exponent, 1, 0.1);
    EXPECT_NEAR(f.exponent, 1 - 2 * *f.slope, 1e-12);
    EXPECT_GT(f.exponentError, 0.005);
    EXPECT_LT(f.exponentError, 0.05);

    // A flat curve gives exactly 1; a Keplerian one 2. Rows without an error
    // or a speed are left out, not given an infinite weight.
    std::vector<ObservedRow> flat, kepler;
    for (int k = 1; k <= 10; ++k) {
        const double r = 5.0 * k;
        flat.push_back({r, 150, 3, 0, 0});
        kepler.push_back({r, 300 / std::sqrt(r), 2, 0, 0});
    }
    flat.push_back({60, 10, 0, 0, 0});
    flat.push_back({70, 0, 5, 0, 0});
    const ExponentFit ff = ngcOuterExponent(flat), fk = ngcOuterExponent(kepler);
    ASSERT_TRUE(ff.slope && fk.slope);
    EXPECT_EQ(ff.points, 9);
    EXPECT_NEAR(ff.exponent, 1, 1e-12);
    EXPECT_NEAR(fk.exponent, 2, 1e-12);
    EXPECT_FALSE(ngcOuterExponent(std::vector<ObservedRow>{{9, 100, 1, 0, 0}, {10, 100, 1, 0, 0}}).slope);
    EXPECT_EQ(ngcOuterSpeedRatio({}), 0);
}

}  // namespace
}  // namespace orb
