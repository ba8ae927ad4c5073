#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <numbers>

#include "base/Numbers.h"
#include "curve/CurveCsv.h"
#include "curve/RotationCurve.h"
#include "engine/ReferenceTick.h"
#include "support/Recording.h"

namespace orb {
namespace {

using test::place;
using test::quietWorld;

constexpr double kCx = 7680, kCy = 5760;
constexpr double kSol = 100;

void expectRel(double actual, double expected, double tol, const char* what)
{
    EXPECT_NEAR(actual, expected, tol * std::fmax(1.0, std::fabs(expected))) << what;
}

// Puts star i at radius r and angle a around (kCx, kCy) moving at speed v, turning
// clockwise on the screen for positive v, with radial speed vr.
void orbit(World& w, int i, double r, double a, double v, double vr = 0, double g = 0.1)
{
    const double c = std::cos(a), s = std::sin(a);
    place(w, i, kCx + r * c, kCy + r * s, -v * s + vr * c, v * c + vr * s, g);
}

double lawSpeed(double r, double e) { return std::sqrt(10000 * kSol * std::pow(r, 1 - e)); }

// Sol in the middle, the pair in play but weightless at 300 twips, twenty stars
// on exact circular orbits of the law from 500 to 5000 twips, one inside the
// pair's orbit at twice its speed and one outside turning backwards.
std::unique_ptr<World> circularGalaxy(double e, int turn)
{
    auto w = quietWorld(30);
    place(*w, 0, kCx, kCy, 7, -3, kSol);  // sol's momentum is never used: it does not move
    place(*w, 1, kCx - 300, kCy, 0, 5, 0);
    place(*w, 2, kCx + 300, kCy, 0, -5, 0);
    for (int k = 0; k < 20; ++k) {
        const double r = 500 + k * k * 5000.0 / 361;
        orbit(*w, 3 + k, r, 0.7 * k, turn * lawSpeed(r, e));
    }
    orbit(*w, 23, 200, 1.0, turn * 2 * lawSpeed(200, e));
    orbit(*w, 24, 2500, 2.0, -turn * lawSpeed(2500, e));
    return w;
}

TEST(RotationCurve, CircularOrbitsGiveTheLawsSlopeWhicheverWayTheyTurn)
{
    struct Case {
        double e, slope;
        int turn;
    } cases[] = {{2, -0.5, 1}, {2, -0.5, -1}, {1, 0, 1}, {1, 0, -1}};
    RotationCurve curve;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "e " << c.e << " turn " << c.turn);
        const auto w = circularGalaxy(c.e, c.turn);
        curve.update(*w, c.e, 2);
        EXPECT_EQ(curve.sense(), c.turn);
        EXPECT_EQ(curve.centre().x, kCx);
        EXPECT_EQ(curve.centre().vx, 0);
        EXPECT_EQ(curve.pairRadius(), 300);
        ASSERT_TRUE(curve.slope().slope);
        EXPECT_NEAR(*curve.slope().slope, c.slope, 1e-9);
        EXPECT_NEAR(curve.slope().intercept, std::log(100 * std::sqrt(kSol)), 1e-8);
        EXPECT_EQ(curve.slope().stars, 20);  // neither the star inside the pair nor the backward one
        ASSERT_EQ(curve.stars().size(), 22u);
        for (const StarPoint& s : curve.stars()) {
            EXPECT_GT(s.body, 2);
            const double v = lawSpeed(s.radius, c.e);
            expectRel(std::fabs(s.speed), s.body == 23 ? 2 * v : v, 1e-12, "speed");
            EXPECT_EQ(s.speed < 0, s.body == 24);
            EXPECT_NEAR(s.radialSpeed, 0, 1e-12 * v);
            // Only bodies 0..2 attract at factor 2, and of them only sol weighs.
            EXPECT_EQ(s.enclosed, kSol);
            expectRel(s.circular, v, 1e-12, "circular speed");
        }
        // The samples start at the attractors' zone, five times the pair's radius.
        EXPECT_EQ(curve.zoneRadius(), 1500);
        ASSERT_EQ(curve.samples().size(), static_cast<std::size_t>(RotationCurve::kSamples));
        expectRel(curve.samples().front().radius, 1500, 1e-12, "the zone's edge");
        expectRel(curve.samples().back().radius, 5500, 1e-12, "farthest star");
        for (const CurveSample& s : curve.samples()) {
            EXPECT_TRUE(s.beyondZone);
            expectRel(s.circular, c.e == 2 ? s.kepler : s.flat, 1e-12, "law against its reference");
            expectRel(s.kepler, std::sqrt(10000 * kSol / s.radius), 1e-12, "kepler");
            expectRel(s.flat, std::sqrt(10000 * kSol), 1e-12, "flat");
        }
    }
}

TEST(RotationCurve, PredictedSpeedIsWhatThePullOfTheTickHolds)
{
    // A body at rest feels the pull of the tick for one tick: its new momentum is
    // the acceleration, which a circular orbit turns into v^2 / r.
    for (double e : {2.0, 1.5, 1.0, 0.5, -1.0}) {
        auto w = quietWorld(3);
        place(*w, 0, kCx, kCy, 0, 0, kSol);
        place(*w, 3, kCx + 1800, kCy - 2400, 0, 0, 0.1);
        RotationCurve curve;
        curve.update(*w, e, 2);
        TickInputs in;
        in.gravityExponent = e;
        test::RecordingCanvas canvas;
        test::ScriptedRandom rnd;
        (void)referenceTick(*w, in, canvas, rnd);
        const double pull = std::hypot(w->momX[3], w->momY[3]);
        ASSERT_EQ(curve.stars().size(), 1u);
        const StarPoint& s = curve.stars()[0];
        EXPECT_EQ(s.radius, 3000);
        expectRel(s.circular * s.circular / s.radius, pull, 1e-12, "v^2 / r against the pull");
    }
}

TEST(RotationCurve, ThePullFactorScalesTheLawSoThatR0SeesNewtonsPull)
{
    // f = r0^(e - 2): at r0 every exponent predicts Newton's circular speed;
    // elsewhere v^2 scales with f.
    const double r0 = 3000;
    for (double e : {0.4, 1.0, 1.5, 2.0, 2.6}) {
        SCOPED_TRACE(testing::Message() << "e " << e);
        const double f = std::pow(r0, e - 2);
        expectRel(RotationCurve::circularSpeed(kSol, r0, e, f), RotationCurve::circularSpeed(kSol, r0, 2), 1e-12,
                  "same pull at r0");
        expectRel(RotationCurve::circularSpeed(kSol, 700, e, f), std::sqrt(10000 * f * kSol * std::pow(700, 1 - e)),
                  1e-12, "v^2 = 10000 f M r^(1-e)");

        auto w = quietWorld(4);
        place(*w, 0, kCx, kCy, 0, 0, kSol);
        orbit(*w, 3, r0, 0.3, 10);
        orbit(*w, 4, 2 * r0, 0.5, 10);
        RotationCurve curve;
        curve.update(*w, e, 2, f);
        EXPECT_EQ(curve.pullFactor(), f);
        expectRel(curve.stars()[0].circular, std::sqrt(10000 * kSol / r0), 1e-12, "star at r0");
        expectRel(curve.samples().back().circular, RotationCurve::circularSpeed(kSol, 2 * r0, e, f), 1e-12,
                  "sample");
        // The references keep their own laws, unscaled.
        expectRel(curve.samples().back().kepler, std::sqrt(10000 * kSol / (2 * r0)), 1e-12, "kepler");
    }
    // No pull, no orbit.
    for (double f : {0.0, -1.0, double(NAN)}) EXPECT_EQ(RotationCurve::circularSpeed(kSol, 1000, 2, f), 0);
    // An infinite factor counts as the largest double.
    expectRel(RotationCurve::circularSpeed(kSol, 1000, 2, INFINITY), 100 * std::sqrt(DBL_MAX) * std::sqrt(0.1), 1e-12,
              "infinite factor");
}

TEST(RotationCurve, TheSenseIsThatOfTheTotalAngularMomentum)
{
    // Nine fast stars far out turn clockwise; ten slow ones near the centre
    // turn the other way, and one more slow one clockwise. The stars' angular
    // momentum is clockwise although a vote would be even.
    auto w = quietWorld(30);
    place(*w, 0, kCx, kCy, 0, 0, kSol);
    for (int k = 0; k < 9; ++k) orbit(*w, 3 + k, 4000 + 100 * k, 0.7 * k, 15);
    for (int k = 0; k < 10; ++k) orbit(*w, 12 + k, 300 + 10 * k, 0.5 * k, -2);
    orbit(*w, 22, 350, 4.0, 2);
    RotationCurve curve;
    curve.update(*w, 2, 2);
    EXPECT_EQ(curve.sense(), 1);
    for (const StarPoint& s : curve.stars()) EXPECT_EQ(s.speed > 0, s.body < 12 || s.body == 22) << s.body;

    // The slow clockwise star turns round: now most stars turn counter-clockwise,
    // but the sense does not flip.
    orbit(*w, 22, 350, 4.0, -2);
    curve.update(*w, 2, 2);
    EXPECT_EQ(curve.sense(), 1);
    EXPECT_GT(curve.stars()[0].speed, 0);

    // The whole galaxy reversed: the sense follows, the speeds stay positive.
    for (int i = 3; i <= 22; ++i) {
        w->momX[i] = -w->momX[i];
        w->momY[i] = -w->momY[i];
    }
    curve.update(*w, 2, 2);
    EXPECT_EQ(curve.sense(), -1);
    EXPECT_NEAR(curve.stars()[0].speed, 15, 1e-12);

    // A tie (two stars that mirror each other, or none at all) keeps the last
    // sense; a new curve starts clockwise.
    auto tie = quietWorld(5);
    place(*tie, 0, kCx, kCy, 0, 0, kSol);
    place(*tie, 3, kCx + 1000, kCy - 600, -3, 20);
    place(*tie, 4, kCx - 1000, kCy + 600, -3, 20);
    curve.update(*tie, 2, 2);
    EXPECT_EQ(curve.sense(), -1);
    auto empty = quietWorld(5);
    place(*empty, 0, kCx, kCy, 0, 0, kSol);
    curve.update(*empty, 2, 2);
    EXPECT_EQ(curve.sense(), -1);
    RotationCurve fresh;
    fresh.update(*tie, 2, 2);
    EXPECT_EQ(fresh.sense(), 1);
}

TEST(RotationCurve, EnclosedGravityCountsTheAttractorsStrictlyInside)
{
    auto w = quietWorld(9);
    place(*w, 0, kCx, kCy, 9, 9, 100);
    place(*w, 1, kCx - 400, kCy, 0, 6, 50);
    place(*w, 2, kCx + 400, kCy, 0, -2, 50);
    place(*w, 3, kCx + 1000, kCy, 0, 0, 1);
    place(*w, 4, kCx, kCy + 1000, 0, 0, 2);  // the same radius as 3: they do not count each other
    place(*w, 5, kCx + 2000, kCy, 0, 0, 4);
    place(*w, 6, kCx + 3000, kCy, 0, 0, 8);   // beyond the planetoid factor: no pull
    place(*w, 7, kCx + 500, kCy, 0, 0, 16);
    w->outOfPlay[7] = 1;                       // out of play
    place(*w, 9, kCx + 4000, kCy, 0, 0, 32);
    w->bodyCount = 8;                          // 9 takes no part in the run
    RotationCurve curve;
    curve.update(*w, 2, 5.5);
    // Centre: weighted 2:1:1, with sol at rest whatever its momentum.
    EXPECT_EQ(curve.centre().x, kCx);
    EXPECT_EQ(curve.centre().vy, 1);
    EXPECT_EQ(curve.centralGravity(), 200);
    EXPECT_EQ(curve.attractingGravity(), 207);
    const double expected[] = {200, 200, 203, 207};  // bodies 3, 4, 5, 6
    ASSERT_EQ(curve.stars().size(), 4u);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(curve.stars()[k].body, 3 + k);
        EXPECT_EQ(curve.stars()[k].enclosed, expected[k]) << "body " << 3 + k;
    }
    EXPECT_EQ(curve.samples().back().enclosed, 207);  // the farthest star does not hold itself
    // The pair at 400 twips: the samples start at the zone's edge, 2000 twips,
    // where bodies 3 and 4 lie inside and 5 does not.
    EXPECT_EQ(curve.zoneRadius(), 2000);
    EXPECT_EQ(curve.samples().front().radius, 2000);
    EXPECT_EQ(curve.samples().front().enclosed, 203);
    const double at[][2] = {{0, 200}, {999, 200}, {1000, 200}, {1000.5, 203}, {2000, 203},
                            {2001, 207}, {3000, 207}, {1e300, 207}};
    for (const auto& [r, m] : at) EXPECT_EQ(curve.enclosedAt(r), m) << "M(<" << r << ")";

    // Body 2 leaves: the centre and the inner gravity follow.
    w->outOfPlay[2] = 1;
    curve.update(*w, 2, 5.5);
    EXPECT_NEAR(curve.centre().x, kCx - 400.0 / 3, 1e-9);
    EXPECT_NEAR(curve.centre().vy, 2, 1e-12);
    EXPECT_EQ(curve.centralGravity(), 150);
}

bool allFinite(const RotationCurve& c)
{
    auto ok = [](std::initializer_list<double> vs) {
        for (double v : vs)
            if (!std::isfinite(v)) return false;
        return true;
    };
    const CurveCentre& o = c.centre();
    if (!ok({o.x, o.y, o.vx, o.vy, c.centralGravity(), c.attractingGravity(), c.pairRadius(), c.zoneRadius(),
             c.pullFactor(), c.slope().intercept, c.enclosedAt(1000), c.enclosedAt(DBL_MAX)}))
        return false;
    if (c.exponent() && !std::isfinite(*c.exponent())) return false;
    if (c.slope().slope && !std::isfinite(*c.slope().slope)) return false;
    for (const StarPoint& s : c.stars())
        if (!ok({s.radius, s.speed, s.radialSpeed, s.enclosed, s.circular})) return false;
    for (const CurveSample& s : c.samples())
        if (!ok({s.radius, s.enclosed, s.circular, s.kepler, s.flat})) return false;
    return true;
}

TEST(RotationCurve, DegenerateTablesGiveFiniteValues)
{
    struct Case {
        const char* name;
        std::function<void(World&)> setup;
        double exponent = 2;
        double factor = 2;
        std::optional<bool> slope = false;  // whether a slope is due; nothing: either will do
        double pull = 1;
    };
    const Case cases[] = {
        {"no stars", [](World&) {}},
        {"one star", [](World& w) { orbit(w, 3, 1000, 0, 30); }},
        {"two stars", [](World& w) { orbit(w, 3, 1000, 0, 30); orbit(w, 4, 2000, 1, 20); }},
        {"three stars", [](World& w) { for (int k = 0; k < 3; ++k) orbit(w, 3 + k, 1000 + 500 * k, k, 30); },
         2, 2, true},
        {"all at one radius", [](World& w) { for (int k = 0; k < 5; ++k) orbit(w, 3 + k, 1234.5, k, 30 + k); }},
        {"inner gravity below zero", [](World& w) {
             w.gravity[0] = -5;
             for (int k = 0; k < 4; ++k) orbit(w, 3 + k, 1000 + 500 * k, k, 30, 1, -1);
         }, 2, 999, true},
        {"a star at the centre", [](World& w) { place(w, 3, kCx, kCy, 5, 5, 1); orbit(w, 4, 700, 0, 9); }, 1.5, 999},
        {"positions of 1e300", [](World& w) {
             for (int k = 0; k < 6; ++k) place(w, 3 + k, k % 2 ? 1e300 : -1e300, k * 1e299, k, -k, 1);
             place(w, 1, -1e300, 1e300, 1e300, -1e300, 1);
         }, 2, 999, std::nullopt},
        {"largest doubles everywhere", [](World& w) {
             for (int i = 0; i < 12; ++i)
                 place(w, i, i % 2 ? DBL_MAX : -DBL_MAX, i % 3 ? DBL_MAX : -DBL_MAX, i % 5 ? DBL_MAX : -DBL_MAX,
                       i % 7 ? DBL_MAX : -DBL_MAX, DBL_MAX);
         }, 2, 999, std::nullopt},
        {"largest gravities", [](World& w) {
             for (int i = 0; i < 3; ++i) w.gravity[i] = DBL_MAX;
             for (int k = 0; k < 6; ++k) orbit(w, 3 + k, 100.0 * (k + 1), k, 30, 0, DBL_MAX);
         }, 5, 999, true},
        {"negative exponent", [](World& w) { for (int k = 0; k < 4; ++k) orbit(w, 3 + k, std::pow(1e100, k), k, 3); },
         -9, 2, true},
        {"exponent not a number", [](World& w) { for (int k = 0; k < 4; ++k) orbit(w, 3 + k, 900 * (k + 1), k, 3); },
         NAN, 2, true},
        {"infinite exponent", [](World& w) { for (int k = 0; k < 4; ++k) orbit(w, 3 + k, 0.5 + k, k, 3); },
         INFINITY, NAN, true},
        {"no run", [](World& w) { w.bodyCount = -1; }},
        {"pull factor not a number", [](World& w) { for (int k = 0; k < 4; ++k) orbit(w, 3 + k, 900 * (k + 1), k, 3); },
         1.5, 2, true, NAN},
        {"infinite pull factor", [](World& w) { for (int k = 0; k < 4; ++k) orbit(w, 3 + k, 0.5 + k, k, 3); },
         2.6, 2, true, INFINITY},
        {"huge pull factor, huge gravity", [](World& w) {
             place(w, 0, 0, 0, 0, 0, DBL_MAX);
             for (int k = 0; k < 4; ++k) place(w, 3 + k, 1e-200 * (k + 1), 0, 0, 3, 1);
         }, 0.4, 2, true, 1e308},
        {"negative pull factor", [](World& w) { for (int k = 0; k < 4; ++k) orbit(w, 3 + k, 900 * (k + 1), k, 3); },
         2, 2, true, -4},
        {"the pair far out, stars inside its zone", [](World& w) {
             place(w, 1, DBL_MAX, -DBL_MAX, 0, 0, 1);
             place(w, 2, -DBL_MAX, DBL_MAX, 0, 0, 1);
             for (int k = 0; k < 4; ++k) orbit(w, 3 + k, 900 * (k + 1), k, 3);
         }, 2, 2, std::nullopt},
    };
    RotationCurve curve;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto w = quietWorld(999);
        place(*w, 0, kCx, kCy, 0, 0, kSol);
        c.setup(*w);
        curve.update(*w, c.exponent, c.factor, c.pull);
        EXPECT_TRUE(allFinite(curve));
        if (c.slope) EXPECT_EQ(curve.slope().slope.has_value(), *c.slope);
        EXPECT_LE(curve.samples().size(), static_cast<std::size_t>(RotationCurve::kSamples));
    }
}

TEST(RotationCurve, WhereThereIsNoOrbitTheCircularSpeedIsZero)
{
    auto w = quietWorld(5);
    place(*w, 0, kCx, kCy, 0, 0, -5);
    place(*w, 3, kCx, kCy, 4, 4, 1);  // exactly at the centre
    orbit(*w, 4, 1000, 0, 20);
    RotationCurve curve;
    curve.update(*w, 2, 2);
    // Nothing weighs: the centre is sol's place, at rest.
    EXPECT_EQ(curve.centre().x, kCx);
    EXPECT_EQ(curve.centre().y, kCy);
    const StarPoint& atCentre = curve.stars()[0];
    EXPECT_EQ(atCentre.radius, 0);
    EXPECT_EQ(atCentre.speed, 0);
    EXPECT_EQ(atCentre.radialSpeed, 0);
    for (const CurveSample& s : curve.samples()) {
        EXPECT_EQ(s.circular, 0);
        EXPECT_EQ(s.kepler, 0);
    }
    // An exponent that is no number predicts nothing, but the references stand.
    w->gravity[0] = kSol;
    curve.update(*w, NAN, 2);
    EXPECT_FALSE(curve.exponent());
    EXPECT_EQ(curve.stars()[1].circular, 0);
    EXPECT_GT(curve.samples().back().kepler, 0);
    EXPECT_EQ(RotationCurve::circularSpeed(kSol, 0, 2), 0);
    EXPECT_EQ(RotationCurve::circularSpeed(kSol, 1e-300, 9), DBL_MAX);
}

TEST(CurveCsv, HeaderCommentsAndRowsReadBack)
{
    auto w = circularGalaxy(2, -1);
    RotationCurve curve;
    curve.update(*w, 2, 2);
    const std::string text = curveCsv(curve, *w);
    std::vector<std::string> lines;
    for (std::size_t p = 0, nl; (nl = text.find('\n', p)) != std::string::npos; p = nl + 1)
        lines.push_back(text.substr(p, nl - p));
    std::size_t h = 0;
    while (h < lines.size() && lines[h].starts_with('#')) ++h;
    ASSERT_LT(h, lines.size());
    EXPECT_EQ(lines[h], "body,radius,speed,radialSpeed,colRed,colGreen,colBlue");
    auto hasComment = [&](const std::string& s) {
        for (std::size_t k = 0; k < h; ++k)
            if (lines[k] == s) return true;
        return false;
    };
    EXPECT_TRUE(hasComment("# centre x,y: 7680,5760"));
    EXPECT_TRUE(hasComment("# centre velocity x,y: 0,0"));
    EXPECT_TRUE(hasComment("# gravity of bodies 0..2 attracting: 100"));
    EXPECT_TRUE(hasComment("# total attracting gravity: 100"));
    EXPECT_TRUE(hasComment("# exponent: 2"));
    EXPECT_TRUE(hasComment("# pull factor: 1"));
    EXPECT_TRUE(hasComment("# positive speed: counter-clockwise on screen"));
    EXPECT_TRUE(hasComment("# sense of rotation: that of the stars' total angular momentum about the centre"));
    EXPECT_TRUE(hasComment("# attractors' zone: 1500 twips from the centre (5 x the pair's distance); the binned "
                           "slope leaves out the stars inside it"));
    EXPECT_TRUE(hasComment("# per-star slope of ln speed against ln radius, unweighted, this moment: " +
                           shortestText(*curve.slope().slope) + " over 20 stars"));
    ASSERT_EQ(lines.size() - h - 1, curve.stars().size());
    for (std::size_t k = 0; k < curve.stars().size(); ++k) {
        const StarPoint& s = curve.stars()[k];
        const std::string& row = lines[h + 1 + k];
        double cells[7];
        std::size_t p = 0;
        for (double& cell : cells) {
            const std::size_t comma = row.find(',', p);
            cell = *strictNumber(row.substr(p, comma - p));
            p = comma + 1;
        }
        EXPECT_EQ(cells[0], s.body);
        EXPECT_EQ(cells[1], s.radius);
        EXPECT_EQ(cells[2], s.speed);
        EXPECT_EQ(cells[3], s.radialSpeed);
        EXPECT_EQ(cells[4], s.body);  // place() colours body i red i
        EXPECT_EQ(cells[6], 200);
    }

    // Too few stars: the slope reads "none".
    auto few = quietWorld(5);
    place(*few, 0, kCx, kCy, 0, 0, kSol);
    orbit(*few, 3, 1000, 0, 30);
    curve.update(*few, NAN, 2, 0.25);
    const std::string t = curveCsv(curve, *few);
    EXPECT_NE(t.find("# exponent: none\n"), std::string::npos);
    EXPECT_NE(t.find("# pull factor: 0.25\n"), std::string::npos);
    EXPECT_NE(t.find("# attractors' zone: 0 twips"), std::string::npos);
    EXPECT_NE(t.find("this moment: none over 1 stars\n"), std::string::npos);
}

TEST(CurveCsv, SlopeAsShown)
{
    struct Case {
        std::optional<double> slope;
        const char* text;
    } cases[] = {{std::nullopt, "none"}, {-0.4812, "-0.48"}, {-0.004, "0.00"}, {0.004, "0.00"},
                 {2, "2.00"},            {-1.236, "-1.24"}, {1e7, "1e+07"},   {-DBL_MAX, "-1.8e+308"}};
    for (const Case& c : cases) {
        SlopeFit fit;
        fit.slope = c.slope;
        EXPECT_EQ(slopeText(fit), c.text);
    }
}

}  // namespace
}  // namespace orb
