#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "curve/BinnedCurve.h"
#include "support/Recording.h"

namespace orb {
namespace {

using test::place;
using test::quietWorld;

constexpr double kCx = 7680, kCy = 5760;
constexpr double kSol = 100;

struct Star {
    double radius, speed, radialSpeed = 0;
};

// Sol at the centre, the pair out of play (no zone) unless pairRadius is set,
// and the stars at their radii, spread round the centre, turning clockwise
// for a positive speed.
std::unique_ptr<World> galaxy(const std::vector<Star>& stars, double pairRadius = 0)
{
    auto w = quietWorld(kMaxBody);
    place(*w, 0, kCx, kCy, 0, 0, kSol);
    if (pairRadius > 0) {
        place(*w, 1, kCx - pairRadius, kCy, 0, 5, 0);
        place(*w, 2, kCx + pairRadius, kCy, 0, -5, 0);
    }
    for (std::size_t k = 0; k < stars.size(); ++k) {
        const Star& s = stars[k];
        const double a = 2.399963 * static_cast<double>(k);  // the golden angle: no two alike
        const double c = std::cos(a), n = std::sin(a);
        place(*w, 3 + static_cast<int>(k), kCx + s.radius * c, kCy + s.radius * n,
              -s.speed * n + s.radialSpeed * c, s.speed * c + s.radialSpeed * n, 0.1);
    }
    return w;
}

RotationCurve curveOf(const std::vector<Star>& stars, double exponent = 2, double pairRadius = 0)
{
    RotationCurve c;
    c.update(*galaxy(stars, pairRadius), exponent, 2);
    return c;
}

// Stars spread evenly in ln r over whole bins, 512..8192 twips (16 bins), so
// every bin holds its stars alike and averaging shifts every bin the same.
std::vector<double> evenRadii(int perBin = 20)
{
    std::vector<double> r;
    const int n = 16 * perBin;
    for (int k = 0; k < n; ++k) r.push_back(512 * std::pow(16.0, (k + 0.5) / n));
    return r;
}

// Gaussian numbers from a fixed seed, the same on every computer.
class Gauss {
public:
    explicit Gauss(std::uint64_t seed) : gen_(seed) {}
    double operator()()
    {
        const double u = (static_cast<double>(gen_() >> 11) + 0.5) / 9007199254740992.0;
        const double v = static_cast<double>(gen_() >> 11) / 9007199254740992.0;
        return std::sqrt(-2 * std::log(u)) * std::cos(2 * std::numbers::pi * v);
    }

private:
    std::mt19937_64 gen_;
};

TEST(BinnedCurve, StarsOnExactCirclesGiveTheirSlopeWithASmallError)
{
    for (double s : {-0.5, -0.25, 0.0, 0.3}) {
        SCOPED_TRACE(testing::Message() << "slope " << s);
        std::vector<Star> stars;
        for (double r : evenRadii()) stars.push_back({r, 40 * std::pow(r / 1000, s)});
        BinnedCurve b;
        b.record(10, curveOf(stars));
        const BinnedFit& f = b.fit();
        ASSERT_TRUE(f.slope);
        EXPECT_NEAR(*f.slope, s, std::max(f.slopeError, 1e-9));
        EXPECT_GT(f.slopeError, 0);
        EXPECT_LT(f.slopeError, 0.002);
        EXPECT_NEAR(f.exponent, 1 - 2 * *f.slope, 1e-12);
        EXPECT_EQ(f.exponentError, 2 * f.slopeError);
        EXPECT_EQ(f.points, 16);
        EXPECT_EQ(f.stars, 320);
        EXPECT_FALSE(f.birgeScaled);
        ASSERT_EQ(b.bins().size(), 16u);
        for (const CurveBin& c : b.bins()) {
            EXPECT_TRUE(c.fitted);
            EXPECT_EQ(c.stars, 20);
            EXPECT_GE(c.radius, c.inner);
            EXPECT_LT(c.radius, c.outer);
            // Within a bin the speeds differ, so sigma_t is not 0, but the
            // error never falls below the floor.
            EXPECT_GE(c.speedError, BinnedCurve::kMinRelativeError * c.speed);
            EXPECT_NEAR(c.sigmaRadial, 0, 1e-12 * c.speed);
        }
    }
}

TEST(BinnedCurve, NoisySpeedsGiveTheSlopeWithinThreeErrors)
{
    // 15% scatter in the tangential speed, 10% radial, 20 stars a bin. The
    // errors are honest: the bins scatter about the line as much as their
    // errors say (reduced chi^2 near 1).
    struct Case {
        double slope;
        std::uint64_t seed;
    } cases[] = {{-0.5, 1}, {-0.5, 2}, {0.0, 3}, {-0.2, 4}, {0.25, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "slope " << c.slope << " seed " << c.seed);
        Gauss g(c.seed);
        std::vector<Star> stars;
        for (double r : evenRadii()) {
            const double v = 40 * std::pow(r / 1000, c.slope);
            stars.push_back({r, v * (1 + 0.15 * g()), 0.1 * v * g()});
        }
        BinnedCurve b;
        b.record(100, curveOf(stars));
        const BinnedFit& f = b.fit();
        ASSERT_TRUE(f.slope);
        EXPECT_NEAR(*f.slope, c.slope, 3 * f.slopeError);
        EXPECT_GT(f.slopeError, 0.005);
        EXPECT_LT(f.slopeError, 0.03);
        EXPECT_GT(f.reducedChi2, 0.2);
        EXPECT_LT(f.reducedChi2, 3);
        // The dispersions, averaged over the bins.
        double tangential = 0, radial = 0;
        for (const CurveBin& bin : b.bins()) {
            tangential += bin.sigmaTangential / bin.speed / 16;
            radial += bin.sigmaRadial / bin.speed / 16;
        }
        EXPECT_NEAR(tangential, 0.15, 0.02);
        EXPECT_NEAR(radial, 0.10, 0.015);
    }
}

TEST(BinnedCurve, RecordsOfTheSameStarsDoNotShrinkTheError)
{
    Gauss g(7);
    std::vector<Star> stars;
    for (double r : evenRadii(8)) stars.push_back({r, 30 * (1 + 0.2 * g())});
    const RotationCurve curve = curveOf(stars);
    BinnedCurve once, often;
    once.record(0, curve);
    for (int t = 0; t < 200; ++t) often.record(t, curve);
    ASSERT_EQ(often.records(), 200);
    ASSERT_EQ(once.bins().size(), often.bins().size());
    for (std::size_t k = 0; k < once.bins().size(); ++k) {
        EXPECT_NEAR(often.bins()[k].speedError, once.bins()[k].speedError, 1e-9 * once.bins()[k].speedError);
        EXPECT_EQ(often.bins()[k].stars, 8);
    }
    EXPECT_NEAR(often.fit().slopeError, once.fit().slopeError, 1e-9 * once.fit().slopeError);
}

TEST(BinnedCurve, TinySpeedsDoNotDominate)
{
    // A Keplerian disc, and in its outer two bins five stars nearly at rest.
    // Fitted star by star in logarithms, those five drag the slope far off; in
    // the bins they lower two means and widen their errors.
    std::vector<Star> stars;
    for (double r : evenRadii()) stars.push_back({r, 40 * std::pow(r / 1000, -0.5)});
    for (double r : {6000.0, 6500.0, 7000.0, 7500.0, 8000.0}) stars.push_back({r, 0.01});
    const RotationCurve curve = curveOf(stars);
    ASSERT_TRUE(curve.slope().slope);
    EXPECT_GT(std::fabs(*curve.slope().slope + 0.5), 0.2) << "the per-star fit is dragged";
    BinnedCurve b;
    b.record(1, curve);
    ASSERT_TRUE(b.fit().slope);
    EXPECT_NEAR(*b.fit().slope, -0.5, 3 * b.fit().slopeError);
    EXPECT_NEAR(*b.fit().slope, -0.5, 0.01);
}

TEST(BinnedCurve, EveryStarBeyondTheZoneCountsWhicheverWayItTurns)
{
    // The pair at 300 twips: the zone reaches 1500. In the bin at 2000 twips
    // three stars turn forwards at 20 and one backwards at 20: the mean is 10.
    std::vector<Star> stars = {{1000, 50}, {1400, 50}, {2000, 20}, {2001, 20}, {2002, 20}, {2003, -20}};
    for (int k = 0; k < 12; ++k) stars.push_back({4200 + 10.0 * k, 15});
    BinnedCurve b;
    b.record(5, curveOf(stars, 2, 300));
    EXPECT_EQ(b.zoneRadius(), 1500);
    EXPECT_EQ(b.latestStars(), 16);
    ASSERT_EQ(b.bins().size(), 2u);
    const CurveBin& inner = b.bins()[0];
    EXPECT_EQ(inner.index, BinnedCurve::binOf(2000));
    EXPECT_EQ(inner.latestStars, 4);
    EXPECT_DOUBLE_EQ(inner.speed, 10);
    EXPECT_NEAR(inner.sigmaTangential, std::sqrt(300.0), 1e-9);
    EXPECT_NEAR(inner.speedError, std::sqrt(300.0) / 2, 1e-9);
    // Two bins are too few for a slope.
    EXPECT_FALSE(b.fit().slope);
    EXPECT_EQ(b.fit().points, 2);
}

TEST(BinnedCurve, LoneStarsGetTheScatterOfOneStarAsTheirError)
{
    // Four bins of 10 stars with 10% scatter, one bin with a single star.
    std::vector<Star> stars;
    for (int bin = 0; bin < 4; ++bin)
        for (int k = 0; k < 10; ++k) stars.push_back({550.0 * std::pow(2.0, bin) + k, 30 + (k % 2 ? 3.0 : -3.0)});
    stars.push_back({20000, 25});
    BinnedCurve b;
    b.record(1, curveOf(stars));
    ASSERT_EQ(b.bins().size(), 5u);
    const CurveBin& lone = b.bins().back();
    EXPECT_TRUE(lone.lone);
    EXPECT_EQ(lone.sigmaTangential, 0);
    EXPECT_NEAR(lone.speedError, 0.1 * 25, 1e-9);  // the others' sigma_t / v
    EXPECT_TRUE(lone.fitted);
    for (std::size_t k = 0; k < 4; ++k) EXPECT_NEAR(b.bins()[k].speedError, 3 / std::sqrt(10.0), 1e-9);

    // Only lone stars: each gets kLoneRelativeError of its speed.
    BinnedCurve few;
    few.record(1, curveOf({{600, 30}, {1300, 25}, {3000, 20}, {9000, 15}}));
    ASSERT_EQ(few.bins().size(), 4u);
    for (const CurveBin& c : few.bins()) EXPECT_NEAR(c.speedError, BinnedCurve::kLoneRelativeError * c.speed, 1e-12);
    ASSERT_TRUE(few.fit().slope);
}

TEST(BinnedCurve, NearCircularMeansBoundAndNearlyRound)
{
    struct Case {
        double speed, radial, circular;
        std::optional<double> e;
        bool expected;
    } cases[] = {
        {10, 2, 10, 2.0, true},                // radial speed exactly a fifth
        {10, -2, 10, 2.0, true},
        {10, 2.01, 10, 2.0, false},
        {-10, 0, 10, 2.0, false},              // turning backwards
        {0, 0, 10, 2.0, false},
        {14.1, 0, 10, 2.0, true},              // escape at sqrt(2) x 10
        {14.2, 0, 10, 2.0, false},
        {9.9, 0, 10, 3.0, true},               // e = 3: escape at the circular speed
        {10.1, 0, 10, 3.0, false},
        {1e6, 0, 1, 1.0, true},                // e <= 1: everything is bound
        {1e6, 0, 0, 0.4, true},
        {10, 0, 0, 2.0, false},                // no gravity inside: nothing is bound
        {10, 0, 10, std::nullopt, false},      // no law
        {1e300, 1e299, 1e300, 2.0, true},     // no square overflows
    };
    for (const Case& c : cases) {
        StarPoint s;
        s.radius = 1000;
        s.speed = c.speed;
        s.radialSpeed = c.radial;
        s.circular = c.circular;
        EXPECT_EQ(BinnedCurve::nearCircular(s, c.e), c.expected)
            << c.speed << ", " << c.radial << ", " << c.circular << ", e " << c.e.value_or(NAN);
    }

    // In a record: the eccentric and the backward stars leave the bins, and
    // switching the selection starts the window afresh.
    std::vector<Star> stars;
    for (double r : evenRadii(4)) stars.push_back({r, std::sqrt(10000 * kSol / r)});
    stars.push_back({3000, 18, 9});   // half its speed outwards
    stars.push_back({3000, -18});     // backwards
    stars.push_back({3000, 30});      // faster than escape: sqrt(2) x 18.3
    const RotationCurve curve = curveOf(stars);
    BinnedCurve b;
    b.record(1, curve);
    b.record(2, curve);
    EXPECT_EQ(b.latestStars(), 67);
    b.record(3, curve, true);
    EXPECT_TRUE(b.nearCircularOnly());
    EXPECT_EQ(b.records(), 1);
    EXPECT_EQ(b.latestStars(), 64);
    ASSERT_TRUE(b.fit().slope);
    EXPECT_NEAR(*b.fit().slope, -0.5, std::max(b.fit().slopeError, 1e-9));
}

TEST(BinnedCurve, TheWindowKeepsRecentRecordsOnly)
{
    std::vector<Star> slow, fast;
    for (double r : evenRadii(2)) {
        slow.push_back({r, 10});
        fast.push_back({r, 20});
    }
    const RotationCurve a = curveOf(slow), b = curveOf(fast);
    BinnedCurve h;
    EXPECT_EQ(h.window(), BinnedCurve::kDefaultWindow);
    h.setWindow(100);
    for (int t = 0; t < 10; ++t) h.record(1000 + 20 * t, a);  // ticks 1000..1180
    EXPECT_EQ(h.records(), 5);                                // 1100 is 80 back: kept; 1080 is 100: dropped
    EXPECT_EQ(h.firstTick(), 1100);
    EXPECT_EQ(h.lastTick(), 1180);
    h.record(1200, b);
    EXPECT_DOUBLE_EQ(h.bins()[0].speed, (4 * 10 + 20) / 5.0);
    // The same tick again replaces the latest record.
    h.record(1200, a);
    EXPECT_EQ(h.records(), 5);
    EXPECT_DOUBLE_EQ(h.bins()[0].speed, 10);
    // A shorter window drops at once.
    h.setWindow(30);
    EXPECT_EQ(h.records(), 2);
    EXPECT_EQ(h.firstTick(), 1180);
    // An earlier tick is a new run.
    h.record(7, b);
    EXPECT_EQ(h.records(), 1);
    EXPECT_DOUBLE_EQ(h.bins()[0].speed, 20);
    // At most kCapacity records, however long the window.
    h.setWindow(INT64_MAX);
    for (int t = 0; t < 3 * BinnedCurve::kCapacity; ++t) h.record(INT64_MIN / 2 + t, a);
    h.clear();
    for (int t = 0; t < 3 * BinnedCurve::kCapacity; ++t) h.record(INT64_MIN + t, t % 2 ? a : b);
    EXPECT_EQ(h.records(), BinnedCurve::kCapacity);
    EXPECT_EQ(h.lastTick(), INT64_MIN + 3 * BinnedCurve::kCapacity - 1);
    EXPECT_DOUBLE_EQ(h.bins()[0].speed, 15);
    EXPECT_EQ(h.bins()[0].stars, 2);
}

TEST(BinnedCurve, BinsAreFixedInRadius)
{
    EXPECT_EQ(BinnedCurve::binEdge(0), 64);
    EXPECT_EQ(BinnedCurve::binEdge(4), 128);
    EXPECT_EQ(BinnedCurve::binEdge(BinnedCurve::kBins), 65536);
    for (int k = 0; k < BinnedCurve::kBins; ++k) {
        const double lo = BinnedCurve::binEdge(k), hi = BinnedCurve::binEdge(k + 1);
        EXPECT_NEAR(hi / lo, std::pow(2, 0.25), 1e-15);
        EXPECT_EQ(BinnedCurve::binOf(lo), k);
        EXPECT_EQ(BinnedCurve::binOf(std::nextafter(hi, 0)), k);
    }
    for (double r : {0.0, 63.9, 65536.0, 1e300, double(NAN), -100.0}) EXPECT_EQ(BinnedCurve::binOf(r), -1) << r;
}

TEST(BinnedCurve, DegenerateStarsGiveFiniteValues)
{
    const std::vector<std::vector<Star>> tables = {
        {},
        {{100, 1}},
        {{1000, DBL_MAX}, {2000, -DBL_MAX}, {4000, DBL_MAX, DBL_MAX}, {8000, 1e-300}, {16000, 5}},
        {{100, 1e-310}, {300, 1e-310}, {900, 1e-310}, {2700, 1e-310}},
        {{100, 1e200}, {300, 1e200}, {900, 1e-200}, {2700, 1e-200}},
        {{70000, 5}, {1e300, 5}, {50, 5}},
    };
    for (const auto& stars : tables) {
        BinnedCurve b;
        for (int t = 0; t < 3; ++t) b.record(t, curveOf(stars, t == 2 ? NAN : 2), t == 1);
        for (const CurveBin& c : b.bins())
            for (double v : {c.radius, c.speed, c.speedError, c.sigmaTangential, c.sigmaRadial, c.stars})
                EXPECT_TRUE(std::isfinite(v)) << "bin " << c.index;
        const BinnedFit& f = b.fit();
        for (double v : {f.slope.value_or(0), f.slopeError, f.exponent, f.exponentError, f.intercept, f.reducedChi2})
            EXPECT_TRUE(std::isfinite(v));
    }
}

}  // namespace
}  // namespace orb
