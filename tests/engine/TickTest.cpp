#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "support/Recording.h"
#include "engine/Borders.h"
#include "engine/Contact.h"
#include "engine/Drawing.h"
#include "engine/Pull.h"
#include "engine/Ticker.h"

namespace orb {
namespace {

using test::place;
using test::quietWorld;
using test::RecordingCanvas;
using test::ScriptedRandom;

constexpr double kCx = 7680, kCy = 5760;

// Relative closeness for pulls: the fast tick computes the same law in a
// different but equivalent form.
void expectClose(double actual, double expected, const char* what)
{
    EXPECT_NEAR(actual, expected, 1e-12 * std::fmax(1.0, std::fabs(expected))) << what;
}

struct TickRig : ::testing::Test {
    std::unique_ptr<World> w = quietWorld(10);
    TickInputs in;
    RecordingCanvas canvas;
    ScriptedRandom rnd;
    Ticker ticker;

    TickStats tick(const std::function<void()>& star = {}) { return ticker.tick(*w, in, canvas, rnd, star); }
    // The points drawn in body i's colour (place() gives body i red channel i).
    std::vector<test::Point> pointsOf(int i) const
    {
        std::vector<test::Point> out;
        for (const auto& p : canvas.points)
            if (p.colour == Rgb{static_cast<std::uint8_t>(i), 100, 200}) out.push_back(p);
        return out;
    }
};

TEST_F(TickRig, MovesWithLastTicksMomentumAndIsDrawnBeforeThePull)
{
    place(*w, 0, kCx, kCy, 0, 0, 100);
    place(*w, 3, kCx + 990, kCy, 10, 0);
    tick();
    // Moved by the old momentum, drawn there, then pulled: 10000 * 100 / 1000^2 = 1.
    EXPECT_EQ(w->posX[3], kCx + 1000);
    ASSERT_EQ(pointsOf(3).size(), 1u);
    EXPECT_EQ(pointsOf(3)[0].x, kCx + 1000);
    EXPECT_EQ(pointsOf(3)[0].y, kCy);
    expectClose(w->momX[3], 9, "momX after one tick");
    EXPECT_EQ(w->momY[3], 0);
    // The next tick moves it by the momentum the pull left.
    tick();
    expectClose(w->posX[3], kCx + 1009, "posX after two ticks");
    // Rows are drawn from the highest body down.
    ASSERT_EQ(canvas.points.size(), 4u);
    EXPECT_EQ(canvas.points[0].colour.r, 3);
    EXPECT_EQ(canvas.points[1].colour.r, 0);
}

TEST_F(TickRig, PullUsesPositionsAlreadyMovedThisTick)
{
    // Body 2 moves down 100, body 1 up 100, body 3 stays; every pull is taken
    // between the new positions, whichever index moved first.
    place(*w, 1, 5000, 7200, 0, -100, 20);
    place(*w, 2, 5000, 5000, 0, 100, 10);
    place(*w, 3, 5000, 6100, 0, 0, 1e9);  // heavy, but beyond the planetoid factor
    tick();
    EXPECT_EQ(w->posY[1], 7100);
    EXPECT_EQ(w->posY[2], 5100);
    // On 3: up 10000*10/1000^2 towards 2, down 10000*20/1000^2 towards 1.
    expectClose(w->momY[3], 0.2 - 0.1, "momY[3]");
    // 1 and 2 are 2000 apart after the move (2200 before it).
    expectClose(w->momY[1], -100 - 10000.0 * 10 / 4e6, "momY[1]");
    expectClose(w->momY[2], 100 + 10000.0 * 20 / 4e6, "momY[2]");
    EXPECT_EQ(w->momX[1], 0);
    EXPECT_EQ(w->momX[3], 0);
}

TEST_F(TickRig, BodyZeroNeverMoves)
{
    place(*w, 0, kCx, kCy, 50, -20, 1);
    place(*w, 1, kCx + 1000, kCy, 0, 0, 1000);
    for (int k = 0; k < 3; ++k) tick();
    EXPECT_EQ(w->posX[0], kCx);
    EXPECT_EQ(w->posY[0], kCy);
    EXPECT_EQ(w->momX[0], 50);  // the pull is never added to it either
    EXPECT_EQ(w->momY[0], -20);
    EXPECT_EQ(pointsOf(0).size(), 3u);  // but it is drawn every tick
}

TEST_F(TickRig, OutOfPlayBodyIsOnlyTouchedByItsBorderRule)
{
    in.borderOption = kWall;
    place(*w, 0, kCx, kCy, 0, 0, 1000);
    place(*w, 3, 5000, 5000, 10, 4);
    w->outOfPlay[3] = 1;
    place(*w, 4, 100, 5000, -10, 4);  // out of play and left of the field
    w->outOfPlay[4] = 1;
    const TickStats st = tick();
    // Not moved, not pulled, not drawn.
    EXPECT_EQ(w->posX[3], 5000);
    EXPECT_EQ(w->posY[3], 5000);
    EXPECT_EQ(w->momX[3], 10);
    EXPECT_EQ(w->momY[3], 4);
    EXPECT_TRUE(pointsOf(3).empty());
    EXPECT_TRUE(pointsOf(4).empty());
    // The wall still bounced the one outside, from where it was stored.
    EXPECT_EQ(w->posX[4], 930);
    EXPECT_EQ(w->momX[4], 10);
    EXPECT_EQ(w->momY[4], 4);
    EXPECT_EQ(w->outOfPlay[4], 1);
    EXPECT_EQ(st.borderEvents, 1);
    EXPECT_EQ(st.events(), 1);  // stamps the score clock, though the body is out of play
}

TEST_F(TickRig, OnlyBodiesUpToThePlanetoidFactorAttract)
{
    struct Case {
        double factor;
        bool threePulls, fourPulls;
    } cases[] = {{2, false, false}, {2.9, false, false}, {3, true, false}, {3.5, true, false},
                 {4, true, true},   {999, true, true},   {-1, false, false}};
    for (const auto& c : cases) {
        w = quietWorld(10);
        in.planetoidFactor = c.factor;
        place(*w, 3, 5000, 5000, 0, 0, 1e6);
        place(*w, 4, 6000, 5000, 0, 0, 1e6);
        tick();
        // 10000 * 1e6 / 1000^2 = 10000 towards the other body.
        SCOPED_TRACE(c.factor);
        expectClose(w->momX[4], c.threePulls ? -10000 : 0, "pull of 3 on 4");
        expectClose(w->momX[3], c.fourPulls ? 10000 : 0, "pull of 4 on 3");
    }
}

TEST_F(TickRig, PullIsTenThousandMassOverRToTheExponentTowardsTheAttractor)
{
    struct Offset {
        double dx, dy;
    } offsets[] = {{300, 400}, {-300, 400}, {300, -400}, {-300, -400}, {0, 500}, {0, -500}, {-500, 0}, {500, 0}};
    for (double e : {2.0, 1.5, 1.0, 2.5, 0.0, -1.0, 3.0}) {
        for (const auto& o : offsets) {
            w = quietWorld(10);
            in.gravityExponent = e;
            place(*w, 0, kCx, kCy, 0, 0, 3);
            place(*w, 3, kCx + o.dx, kCy + o.dy);
            tick();
            const double a = 10000 * 3 / std::pow(500.0, e);
            SCOPED_TRACE(::testing::Message() << "e " << e << " offset " << o.dx << "," << o.dy);
            expectClose(w->momX[3], a * -o.dx / 500, "momX");
            expectClose(w->momY[3], a * -o.dy / 500, "momY");
            EXPECT_EQ(w->gravityExponent, e);
        }
    }
}

// "Same pull at r0": at r0 every exponent pulls as the Newtonian law does;
// elsewhere the law keeps its shape r^-e; at e = 2 the factor is exactly 1.
TEST_F(TickRig, SamePullAtR0KeepsTheNewtonianStrengthThere)
{
    for (double e : {1.0, 1.5, 2.0, 2.6, 0.4}) {
        for (double r : {500.0, 3000.0}) {
            SCOPED_TRACE(::testing::Message() << "e " << e << " r " << r);
            w = quietWorld(10);
            in.gravityExponent = e;
            in.pullFactor = samePullFactor(3000, e);
            place(*w, 0, kCx, kCy, 0, 0, 3);
            place(*w, 3, kCx + r, kCy);
            tick();
            const double newtonAtR0 = 10000 * 3 / (3000.0 * 3000.0);
            expectClose(w->momX[3], -newtonAtR0 * std::pow(3000 / r, e), "momX");
        }
    }
    EXPECT_EQ(samePullFactor(3000, 2), 1.0);
    // Nothing that is not a number or overflows reaches the table.
    EXPECT_EQ(samePullFactor(NAN, 1), 1.0);
    EXPECT_EQ(samePullFactor(3000, NAN), 1.0);
    EXPECT_EQ(samePullFactor(3000, 1e300), DBL_MAX);
    EXPECT_GT(samePullFactor(3000, -1e300), 0);
}

TEST_F(TickRig, CoincidentBodiesExertNoPull)
{
    struct Case {
        int a, b;  // both attract when both are within the planetoid factor
    } cases[] = {{0, 3}, {1, 2}, {2, 7}};
    for (const auto& c : cases) {
        w = quietWorld(10);
        place(*w, c.a, 5000, 5000, 0, 0, 1000);
        place(*w, c.b, 5000, 5000, 0, 0, 1000);
        tick();
        for (int i : {c.a, c.b}) {
            EXPECT_EQ(w->momX[i], 0) << c.a << "," << c.b;
            EXPECT_EQ(w->momY[i], 0) << c.a << "," << c.b;
        }
    }
}

TEST_F(TickRig, PullsThatAreNotFiniteAreLeftOut)
{
    // Body 1 is so heavy and close that its pull overflows: it adds nothing,
    // while body 2's ordinary pull still counts.
    place(*w, 1, 5010, 5000, 0, 0, 1e308);
    place(*w, 2, 5000, 6000, 0, 0, 100);
    place(*w, 3, 5000, 5000, 7, 0);
    w->posX[3] -= 7;  // so that it lands on 5000 after the move
    tick();
    EXPECT_EQ(w->momX[3], 7);
    expectClose(w->momY[3], 1, "momY[3]");
    EXPECT_TRUE(test::allFinite(*w));

    // Two finite pulls whose sum overflows: that component keeps its momentum.
    w = quietWorld(10);
    place(*w, 1, 5010, 5000, 0, 0, 1e306);  // 100 * 1e306 = 1e308 each
    place(*w, 2, 5010, 5000, 0, 0, 1e306);
    place(*w, 3, 5000, 5000, 0, 0);
    tick();
    EXPECT_EQ(w->momX[3], 0);
    EXPECT_EQ(w->momY[3], 0);
    EXPECT_TRUE(test::allFinite(*w));

    // Exponents that make r^e overflow or vanish.
    for (double e : {1e6, -1e6, 400.0, -400.0}) {
        w = quietWorld(10);
        in.gravityExponent = e;
        place(*w, 0, kCx, kCy, 0, 0, 5);
        place(*w, 1, kCx + 3000, kCy, 0, 0, 5);
        place(*w, 3, kCx + 1, kCy + 1000, 0, 0, 5);
        for (int k = 0; k < 3; ++k) tick();
        EXPECT_TRUE(test::allFinite(*w)) << e;
    }
}

TEST_F(TickRig, EmitterRunsEveryIntervalWhileStarsAreLeft)
{
    struct Case {
        std::int16_t nextStar;
        std::int16_t interval;
        int expectedCalls;  // in six ticks, bodyCount 5
    } cases[] = {
        {0, 0, 0},  {2, 0, 0},   // no galaxy preset: never
        {3, 0, 3},               // every tick until star 5 is made
        {3, 2, 3},  {3, 3, 2},   // on ticks 2, 4, 6 / 3, 6
        {5, 1, 1},  {6, 0, 0},   // past bodyCount: never
        {3, -4, 3},
    };
    for (const auto& c : cases) {
        w = quietWorld(5);
        w->nextStar = c.nextStar;
        w->starDelayCount = 0;
        in.starInterval = c.interval;
        int calls = 0;
        std::vector<int> delayAtCall;
        for (int k = 0; k < 6; ++k)
            tick([&] {
                ++calls;
                delayAtCall.push_back(w->starDelayCount);
                ++w->nextStar;
            });
        EXPECT_EQ(calls, c.expectedCalls) << "nextStar " << c.nextStar << " interval " << c.interval;
        for (int d : delayAtCall) EXPECT_EQ(d, 0);  // reset before the emitter runs
    }
}

TEST_F(TickRig, StarDelayCountStopsAtItsTop)
{
    w->nextStar = 0;
    w->starDelayCount = 32766;
    tick();
    tick();
    EXPECT_EQ(w->starDelayCount, 32767);
    // And it still lets a star out once one is due.
    w->nextStar = 3;
    in.starInterval = 32767;
    int calls = 0;
    tick([&] { ++calls; });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(w->starDelayCount, 0);
}

TEST_F(TickRig, EmptyOrOversizedRunsDoNotFail)
{
    // bodyCount is kept at most 999 upstream; the tick must still stay inside
    // the table if it is not.
    for (int count : {-1, 0, 999, 32767}) {
        w = quietWorld(count);
        place(*w, 0, kCx, kCy, 0, 0, 10);
        place(*w, kMaxBody, kCx + 500, kCy, 0, 0, 10);
        tick();
        EXPECT_TRUE(test::allFinite(*w)) << count;
    }
}

}  // namespace
}  // namespace orb
