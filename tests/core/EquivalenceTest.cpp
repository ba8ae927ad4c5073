// The fast tick against the pair-by-pair reference, tick by tick, on a crowd
// close enough that partial collisions, merges and border events all happen.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "engine/Engine.h"
#include "support/LiteralTick.h"
#include "support/Recording.h"

namespace orb {
namespace {

using test::RecordingCanvas;

// A crowd of 300 bodies in the bottom-left corner of the field, light enough
// that their pulls are gentle (rounding differences stay at rounding size over
// the run) but close enough to touch. Positions and momenta are random
// fractions, so no distance sits on a zone boundary.
World crowd(int bodies, double seed)
{
    World w;
    Rng r(seed);
    auto uniform = [&](double lo, double hi) {
        // Two draws for a fine fraction: the generator gives 24 bits.
        const double u = (static_cast<double>(r.rnd()) + static_cast<double>(r.rnd()) / 16777216.0);
        return lo + (hi - lo) * u;
    };
    w.bodyCount = static_cast<std::int16_t>(bodies - 1);
    w.planetRadius = 5;
    w.coreRadius = 2;
    w.volatility = 1;
    w.volatilitySpan = 3;
    w.borderMode = 1;
    w.startMomentum = 24;
    w.startMomentumSpan = 25;
    w.startMomentumOffset = 6;
    for (int i = 0; i < kSlots; ++i) {
        w.posX[i] = uniform(905, 1400);
        w.posY[i] = uniform(10700, 11215);
        w.momX[i] = uniform(-3, 3);
        w.momY[i] = uniform(-3, 3);
        w.gravity[i] = uniform(2e-5, 1e-4);
        w.colRed[i] = std::floor(uniform(0, 256));
        w.colGreen[i] = std::floor(uniform(0, 256));
        w.colBlue[i] = std::floor(uniform(0, 256));
        w.bodyType[i] = 3;
        w.outOfPlay[i] = i >= bodies || i % 37 == 5 ? 1 : 0;  // a few switched off
    }
    return w;
}

// Equal up to rounding: relative 1e-9, with an absolute floor near zero.
bool close(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max({std::fabs(a), std::fabs(b), 1.0}); }

testing::AssertionResult sameWorld(const World& fast, const World& ref)
{
    for (int i = 0; i < kSlots; ++i) {
        std::ostringstream why;
        if (fast.outOfPlay[i] != ref.outOfPlay[i]) why << "outOfPlay " << fast.outOfPlay[i] << " vs " << ref.outOfPlay[i];
        else if (fast.gravity[i] != ref.gravity[i]) why << "gravity " << fast.gravity[i] << " vs " << ref.gravity[i];
        else if (!close(fast.posX[i], ref.posX[i])) why << "posX " << fast.posX[i] << " vs " << ref.posX[i];
        else if (!close(fast.posY[i], ref.posY[i])) why << "posY " << fast.posY[i] << " vs " << ref.posY[i];
        else if (!close(fast.momX[i], ref.momX[i])) why << "momX " << fast.momX[i] << " vs " << ref.momX[i];
        else if (!close(fast.momY[i], ref.momY[i])) why << "momY " << fast.momY[i] << " vs " << ref.momY[i];
        else continue;
        return testing::AssertionFailure() << "body " << i << ": " << why.str();
    }
    if (fast.clockOffset != ref.clockOffset) return testing::AssertionFailure() << "clockOffset differs";
    return testing::AssertionSuccess();
}

struct Case {
    const char* name;
    double planetoidFactor;
    double exponent;
    int border;
};

class Equivalence : public testing::TestWithParam<Case> {};

TEST_P(Equivalence, FastTickMatchesThePairByPairTick)
{
    const Case c = GetParam();
    World fast = crowd(300, 7);
    World ref = fast;
    // The central body and the pair sit in the crowd too, heavier, so that with
    // a factor of 2 the few attractors still meet bodies in their zones.
    for (World* w : {&fast, &ref})
        for (int b = 0; b <= 2; ++b) w->gravity[b] = 3e-4;
    TickInputs in;
    in.planetoidFactor = c.planetoidFactor;
    in.gravityExponent = c.exponent;
    in.borderOption = c.border;
    Rng rndFast(99), rndRef(99);
    Ticker ticker;
    TickStats total;
    for (int t = 0; t < 50; ++t) {
        // runSeconds moves so that a missed or extra KlinK shows in clockOffset.
        fast.runSeconds = ref.runSeconds = t + 1;
        RecordingCanvas cFast, cRef;
        const TickStats a = ticker.tick(fast, in, cFast, rndFast);
        const TickStats b = test::literalTick(ref, in, cRef, rndRef);
        ASSERT_EQ(a.borderEvents, b.borderEvents) << "tick " << t;
        ASSERT_EQ(a.partialCollisions, b.partialCollisions) << "tick " << t;
        ASSERT_EQ(a.merges, b.merges) << "tick " << t;
        ASSERT_TRUE(sameWorld(fast, ref)) << "tick " << t;
        ASSERT_EQ(cFast.points.size(), cRef.points.size()) << "tick " << t;
        ASSERT_TRUE(cFast.points == cRef.points) << "tick " << t;
        // The same number of random draws: the next draw agrees.
        total += b;
    }
    ASSERT_EQ(rndFast.rnd(), rndRef.rnd());
    // The scene must really exercise every path, or the comparison proves little.
    EXPECT_GT(total.borderEvents, 0);
    EXPECT_GT(total.partialCollisions, 0);
    EXPECT_GT(total.merges, 0);
    std::printf("[ %s ] border %ld, partial %ld, merges %ld\n", c.name, total.borderEvents,
                total.partialCollisions, total.merges);
}

INSTANTIATE_TEST_SUITE_P(
    Tick, Equivalence,
    testing::Values(Case{"Factor2Square", 2, 2, kWall}, Case{"Factor999Square", 999, 2, kWall},
                    Case{"Factor999OneAndHalf", 999, 1.5, kWall},
                    // Half the crowd attracts: pulls and kicks one way across the factor.
                    Case{"Factor150Cube", 150.5, 3, kComet},
                    // Border rules that draw random numbers, mixed into the partial collisions.
                    Case{"Factor999Chaos", 999, 1.5, kChaos}, Case{"Factor2FourDim", 2, 2.5, kFourDim}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orb
