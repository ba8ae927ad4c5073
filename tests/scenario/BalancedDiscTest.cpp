// The Balanced Disc: every star on the circle the tick really integrates, so
// the disc stays put and its speeds follow the law exactly.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/PullKernel.h"
#include "engine/Ticker.h"
#include "scenario/BalancedDisc.h"
#include "support/Golden.h"
#include "support/Recording.h"
#include "world/Geometry.h"

namespace orb {
namespace {

double radiusOf(const World& w, int i) { return std::hypot(w.posX[i] - kCentreX, w.posY[i] - kCentreY); }

World freshWorld(int lastStar)
{
    World w;
    w.bodyCount = static_cast<std::int16_t>(lastStar);
    w.planetRadius = 5;
    w.coreRadius = 5;
    return w;
}

TickInputs lawOf(const DiscSettings& s)
{
    TickInputs in;
    in.gravityExponent = s.exponent;
    in.pullFactor = s.pullFactor;
    in.planetoidFactor = 2;
    in.borderOption = kDie;
    return in;
}

// Each star keeps its radius to a few parts in 1e12, and the error does not
// grow with time (what is left is the rounding of the pull, which the star
// follows as a tiny epicycle): over 300, 1000 and 3000 ticks, at the exponents
// the fields allow and on every kernel set. None merges, leaves or is lost.
TEST(BalancedDisc, StarsStayOnTheirDiscreteCircles)
{
    for (double e : {1.0, 1.5, 2.0, 2.6, 0.4}) {
        SCOPED_TRACE("exponent " + std::to_string(e));
        DiscSettings s;
        s.exponent = e;
        s.pullFactor = samePullFactor(3000, e);
        s.lastStar = 400;
        for (const KernelSet* k : runnableKernelSets()) {
            SCOPED_TRACE(k->name);
            World w = freshWorld(s.lastStar);
            test::ScriptedRandom none;
            const DiscResult placed = placeBalancedDisc(w, s, none);
            ASSERT_EQ(placed.stars, 398);
            EXPECT_EQ(none.drawn, 0);
            std::vector<double> start(kSlots);
            for (int i = 3; i <= s.lastStar; ++i) start[i] = radiusOf(w, i);
            auto worst = [&] {
                double d = 0;
                for (int i = 3; i <= s.lastStar; ++i) {
                    EXPECT_EQ(w.outOfPlay[i], 0) << "star " << i;
                    d = std::max(d, std::fabs(radiusOf(w, i) - start[i]) / start[i]);
                }
                return d;
            };
            TickStats st;
            for (int ticks : {300, 700, 2000}) {
                st += test::runTicks(w, *k, lawOf(s), ticks, 1);
                EXPECT_LT(worst(), 1e-11) << "after " << ticks << " more ticks";
            }
            EXPECT_EQ(st.merges + st.partialCollisions + st.borderEvents, 0);
        }
    }
}

// The chord a star runs each tick is the continuous law's circular speed
// sqrt(A r), and the disc turns counter-clockwise on the screen.
TEST(BalancedDisc, SpeedIsTheCircularSpeedOfTheLaw)
{
    DiscSettings s;
    s.lastStar = 60;
    World w = freshWorld(s.lastStar);
    test::ScriptedRandom none;
    placeBalancedDisc(w, s, none);
    for (int i = 3; i <= s.lastStar; ++i) {
        const double r = radiusOf(w, i);
        const double v = std::hypot(w.momX[i], w.momY[i]);
        EXPECT_NEAR(v, std::sqrt(10000 * s.centralMass / (r * r) * r), 1e-9 * v) << "star " << i;
        const double dx = w.posX[i] - kCentreX, dy = w.posY[i] - kCentreY;
        EXPECT_LT(dx * w.momY[i] - dy * w.momX[i], 0) << "star " << i << " turns clockwise on the screen";
        EXPECT_GE(r, s.innerRadius * (1 - 1e-12));
        EXPECT_LE(r, s.outerRadius * (1 + 1e-12));
    }
    EXPECT_EQ(w.outOfPlay[0], 0);
    EXPECT_EQ(w.gravity[0], s.centralMass);
    EXPECT_EQ(w.outOfPlay[1], 1);
    EXPECT_EQ(w.outOfPlay[2], 1);
    for (int i = s.lastStar + 1; i <= kMaxBody; ++i) ASSERT_EQ(w.outOfPlay[i], 1);
}

// Star counts from one to the table's end; rings never closer than a merge.
TEST(BalancedDisc, AnyStarCountFitsWithoutCrowding)
{
    for (int last : {3, 4, 26, 150, 999}) {
        SCOPED_TRACE(last);
        DiscSettings s;
        s.lastStar = last;
        World w = freshWorld(last);
        test::ScriptedRandom none;
        EXPECT_EQ(placeBalancedDisc(w, s, none).stars, last - 2);
        double nearest = 1e300;
        for (int i = 3; i <= last; ++i)
            for (int j = i + 1; j <= last; ++j)
                nearest = std::min(nearest, std::hypot(w.posX[i] - w.posX[j], w.posY[i] - w.posY[j]));
        EXPECT_GT(nearest, 4 * w.coreRadius);
    }
}

// A spread heats the disc with the run's random numbers: repeatable for a
// seed, and about the asked fraction of the circular speed.
TEST(BalancedDisc, SpreadKicksTheStarsRepeatably)
{
    DiscSettings s;
    s.lastStar = 500;
    s.spread = 0.1;
    World a = freshWorld(s.lastStar), b = freshWorld(s.lastStar), cold = freshWorld(s.lastStar);
    SeededRandom ra(5), rb(5);
    test::ScriptedRandom none;
    placeBalancedDisc(a, s, ra);
    placeBalancedDisc(b, s, rb);
    s.spread = 0;
    placeBalancedDisc(cold, s, none);
    EXPECT_EQ(test::bodyTableHash(a), test::bodyTableHash(b));
    double sum = 0;
    for (int i = 3; i <= s.lastStar; ++i) {
        const double kick = std::hypot(a.momX[i] - cold.momX[i], a.momY[i] - cold.momY[i]);
        sum += kick * kick / (cold.momX[i] * cold.momX[i] + cold.momY[i] * cold.momY[i]);
    }
    // Two components of 0.1 each: a mean squared kick of 0.02 of v^2.
    EXPECT_NEAR(sum / (s.lastStar - 2), 0.02, 0.004);
}

// Where the law is too strong for a circle (or not a number), the star stays
// out of play and nothing in the table is NaN.
TEST(BalancedDisc, NoOrbitLeavesTheStarOut)
{
    DiscSettings s;
    s.lastStar = 40;
    s.centralMass = 1e12;
    World w = freshWorld(s.lastStar);
    test::ScriptedRandom none;
    const DiscResult r = placeBalancedDisc(w, s, none);
    EXPECT_EQ(r.stars + r.noOrbit, 38);
    EXPECT_GT(r.noOrbit, 0);
    EXPECT_TRUE(test::allFinite(w));
    s.exponent = NAN;
    World v = freshWorld(s.lastStar);
    EXPECT_EQ(placeBalancedDisc(v, s, none).stars, 0);
    EXPECT_TRUE(test::allFinite(v));
}

}  // namespace
}  // namespace orb
