#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

#include "curve/Acceleration.h"
#include "support/Recording.h"

namespace orb {
namespace {

using test::place;
using test::quietWorld;

constexpr double kCx = 7680, kCy = 5760;
constexpr double kSol = 100;

void expectRel(double actual, double expected, double tol, const char* what)
{
    EXPECT_NEAR(actual, expected, tol * std::fabs(expected)) << what;
}

TEST(Acceleration, TheRelationOfMcGaughLelliAndSchombertAndItsLimits)
{
    const double gd = 1.2e-10;
    struct Case {
        double gBar, expected, tol;
    } cases[] = {
        {1e4 * gd, 1e4 * gd, 1e-12},                         // strong field: Newton
        {1e-8 * gd, std::sqrt(1e-8 * gd * gd), 1e-4},        // weak field: sqrt(g_bar g_dagger)
        {1e-300, std::sqrt(1e-300 * gd), 1e-12},             // no 0 / 0 however weak
        {gd, gd / (1 - std::exp(-1.0)), 1e-15},
        {0, 0, 0},
        {-gd, 0, 0},
        {NAN, 0, 0},
        {INFINITY, DBL_MAX, 0},
    };
    for (const Case& c : cases) EXPECT_NEAR(mlsAcceleration(c.gBar, gd), c.expected, c.tol * c.expected) << c.gBar;
    // Without a positive g_dagger the relation is Newton's.
    for (double bad : {0.0, -1.0, double(NAN), double(INFINITY)}) EXPECT_EQ(mlsAcceleration(3, bad), 3);

    // Above g_bar everywhere, approaching it from above.
    const auto curve = mlsCurve(1e-6, 1e3, 50, 1);
    ASSERT_EQ(curve.size(), 50u);
    EXPECT_EQ(curve.front().gBar, 1e-6);
    EXPECT_EQ(curve.back().gBar, 1e3);
    for (std::size_t k = 1; k < curve.size(); ++k) {
        EXPECT_GT(curve[k].gBar, curve[k - 1].gBar);
        EXPECT_GT(curve[k].gObs, curve[k].gBar);
        EXPECT_LT(curve[k].gObs / curve[k].gBar, curve[k - 1].gObs / curve[k - 1].gBar);
    }
    EXPECT_TRUE(mlsCurve(0, 1, 10, 1).empty());
    EXPECT_TRUE(mlsCurve(2, 1, 10, 1).empty());
    EXPECT_TRUE(mlsCurve(1, INFINITY, 10, 1).empty());
    EXPECT_TRUE(mlsCurve(1, 2, 1, 1).empty());
}

TEST(Acceleration, NgcsUnitsMapThroughTheScale)
{
    expectRel(kKms2PerKpc, 3.2408e-14, 1e-4, "(km/s)^2/kpc in m/s^2");
    ObservedScale s;
    s.twipsPerKpc = 100;
    s.speedPerKms = 0.1;
    expectRel(accelerationScale(s), 1e-4, 1e-15, "0.1^2 / 100");
    expectRel(mlsGDagger(s), 1.2e-10 / 3.2408e-14 * 1e-4, 1e-4, "g_dagger");

    // NGC 3198's points: g = V^2 / R, the visible matter's square signed.
    const std::vector<ObservedRow> rows = {{2, 100, 4, 30, 80}, {4, 120, 2, -10, 40}, {8, 150, 3, -50, 10}};
    const auto pts = observedAccelerations(rows, s);
    ASSERT_EQ(pts.size(), 3u);
    expectRel(pts[0].radius, 200, 1e-15, "radius");
    expectRel(pts[0].gObs, 100.0 * 100 / 2 * 1e-4, 1e-12, "g_obs");
    expectRel(pts[0].gObsError, 2 * 100.0 * 4 / 2 * 1e-4, 1e-12, "its error");
    expectRel(pts[0].gBar, (30.0 * 30 + 0.5 * 80 * 80) / 2 * 1e-4, 1e-12, "g_bar");
    expectRel(pts[1].gBar, (-100 + 0.5 * 1600) / 4.0 * 1e-4, 1e-12, "gas pulling outwards");
    expectRel(pts[2].gBar, (-2500 + 50) / 8.0 * 1e-4, 1e-12, "below 0: kept, signed");
    EXPECT_EQ(visibleSpeed(rows[2]), 0);
}

// Sol, the pair weightless at 200 twips (a zone of 1000), and ten stars on
// the circles of the law v^2 = 10000 f M r^(1 - e); one more star inside the
// zone and one turning backwards.
std::unique_ptr<World> lawGalaxy(double e, double f)
{
    auto w = quietWorld(20);
    place(*w, 0, kCx, kCy, 0, 0, kSol);
    place(*w, 1, kCx - 200, kCy, 0, 0, 0);
    place(*w, 2, kCx + 200, kCy, 0, 0, 0);
    for (int k = 0; k < 10; ++k) {
        const double r = 1500 + 400 * k;
        place(*w, 3 + k, kCx, kCy + r, -std::sqrt(10000 * f * kSol * std::pow(r, 1 - e)), 0, 0.1);
    }
    place(*w, 13, kCx + 700, kCy, 0, 30, 0.1);
    place(*w, 14, kCx + 3000, kCy, 0, -20, 0.1);
    return w;
}

TEST(Acceleration, StarsOnTheLawsCirclesShowTheirMassAndTheirAcceleration)
{
    struct Case {
        double e, r0;  // r0 = 0: f = 1
    } cases[] = {{2, 0}, {1.5, 3100}, {1, 3100}, {2.6, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "e " << c.e << " r0 " << c.r0);
        const double f = c.r0 > 0 ? std::pow(c.r0, c.e - 2) : 1;
        RotationCurve curve;
        curve.update(*lawGalaxy(c.e, f), c.e, 2, f);
        RadialAcceleration rar;
        rar.update(curve);
        EXPECT_TRUE(rar.bins().empty());
        ASSERT_EQ(rar.stars().size(), 10u);  // neither the star in the zone nor the backward one
        for (const AccelerationPoint& p : rar.stars()) {
            EXPECT_LE(p.body, 12);
            EXPECT_EQ(p.attracting, kSol);
            expectRel(p.gBar, 10000 * kSol / (p.radius * p.radius), 1e-12, "g_bar: Newton's pull of M(<r)");
            expectRel(p.gObs, p.speed * p.speed / p.radius, 1e-12, "g_obs");
            // g_obs / g_bar = f r^(2 - e): equal under Newton, and at r0 under "Same pull at r0".
            expectRel(p.gObs / p.gBar, f * std::pow(p.radius, 2 - c.e), 1e-12, "ratio");
            if (c.e == 2 || p.radius == c.r0) expectRel(p.gObs, p.gBar, 1e-12, "Newton");
            expectRel(p.dynamical, kSol, 1e-12, "the law needs exactly the attracting gravity");
        }
    }
}

TEST(Acceleration, BinsGiveTheirMeansWithAnErrorAndTheMassInside)
{
    auto w = lawGalaxy(2, 1);
    for (int k = 0; k < 10; ++k) w->gravity[3 + k] = 5;  // the stars attract too
    RotationCurve curve;
    curve.update(*w, 2, 999);
    BinnedCurve binned;
    binned.record(1, curve);
    RadialAcceleration rar;
    rar.update(curve, binned);
    EXPECT_EQ(rar.stars().size(), 10u);
    ASSERT_FALSE(rar.bins().empty());
    std::size_t k = 0;
    for (const CurveBin& c : binned.bins()) {
        if (!(c.speed > 0)) continue;
        ASSERT_LT(k, rar.bins().size());
        const AccelerationPoint& p = rar.bins()[k++];
        EXPECT_EQ(p.body, -1);
        EXPECT_EQ(p.radius, c.radius);
        EXPECT_EQ(p.attracting, curve.enclosedAt(c.radius));
        EXPECT_GT(p.attracting, kSol);
        expectRel(p.gObs, c.speed * c.speed / c.radius, 1e-12, "g_obs of the mean speed");
        expectRel(p.gObsError, 2 * c.speed * c.speedError / c.radius, 1e-12, "its error");
        expectRel(p.dynamical, c.speed * c.speed * c.radius / 10000, 1e-12, "M_dyn");
    }
    EXPECT_EQ(k, rar.bins().size());
}

TEST(Acceleration, EverythingStaysFinite)
{
    for (double x : {0.0, -1.0, 1e-300, 1e300, DBL_MAX, double(NAN), double(INFINITY), -double(INFINITY)}) {
        for (double y : {0.0, 1e-300, 3.0, 1e300, DBL_MAX, double(NAN), double(INFINITY)}) {
            EXPECT_TRUE(std::isfinite(observedAcceleration(x, y))) << x << ' ' << y;
            EXPECT_TRUE(std::isfinite(newtonAcceleration(x, y))) << x << ' ' << y;
            EXPECT_TRUE(std::isfinite(mlsAcceleration(x, y))) << x << ' ' << y;
            for (double e : {-9.0, 0.4, 2.0, 2.6, 1e300})
                EXPECT_TRUE(std::isfinite(dynamicalMass(x, y, e, y))) << x << ' ' << y << ' ' << e;
        }
        ObservedScale s;
        s.twipsPerKpc = x;
        s.speedPerKms = DBL_MAX;
        EXPECT_TRUE(std::isfinite(mlsGDagger(s)));
        for (const auto& p : observedAccelerations(std::vector<ObservedRow>{{1e-300, DBL_MAX, DBL_MAX, -DBL_MAX, DBL_MAX}}, s))
            EXPECT_TRUE(std::isfinite(p.radius + p.gBar) && std::isfinite(p.gObs) && std::isfinite(p.gObsError));
    }
    auto w = quietWorld(10);
    place(*w, 0, 0, 0, 0, 0, DBL_MAX);
    place(*w, 3, 1e-300, 0, 0, DBL_MAX, DBL_MAX);
    place(*w, 4, DBL_MAX, 0, 0, 1e-300, 1);
    place(*w, 5, 70, 0, 0, DBL_MAX, 1);
    for (double e : {-9.0, 2.0, 1e300}) {
        RotationCurve curve;
        curve.update(*w, e, 999, DBL_MAX);
        BinnedCurve binned;
        binned.record(0, curve);
        RadialAcceleration rar;
        rar.update(curve, binned);
        for (auto pts : {rar.stars(), rar.bins()})
            for (const AccelerationPoint& p : pts)
                for (double v : {p.radius, p.speed, p.gBar, p.gObs, p.gObsError, p.dynamical, p.attracting})
                    EXPECT_TRUE(std::isfinite(v)) << "e " << e;
    }
}

}  // namespace
}  // namespace orb
