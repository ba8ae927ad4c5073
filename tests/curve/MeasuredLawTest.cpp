// The whole measurement on a galaxy run by the tick: a Balanced Disc under each
// exponent the field allows, its curve binned over a window of ticks, must
// give back the exponent it was run with.

#include <gtest/gtest.h>

#include <cmath>

#include "curve/BinnedCurve.h"
#include "curve/CurveText.h"
#include "engine/Ticker.h"
#include "scenario/BalancedDisc.h"
#include "support/Golden.h"

namespace orb {
namespace {

struct Measured {
    BinnedFit fit;
    int bins = 0;
};

// A disc of 997 stars under exponent e with "Same pull at r0", run for 270
// ticks and recorded every 10.
Measured measure(double e, double spread, bool nearCircular)
{
    DiscSettings s;
    s.exponent = e;
    s.pullFactor = samePullFactor(3000, e);
    s.lastStar = kMaxBody;
    s.spread = spread;
    World w;
    w.bodyCount = kMaxBody;
    w.planetRadius = 5;
    w.coreRadius = 5;
    SeededRandom place(11);
    EXPECT_EQ(placeBalancedDisc(w, s, place).stars, 997);
    TickInputs in;
    in.gravityExponent = e;
    in.pullFactor = s.pullFactor;
    in.planetoidFactor = 2;
    in.borderOption = kDie;
    Ticker ticker;
    SeededRandom rnd(12);
    test::NullCanvas canvas;
    RotationCurve curve;
    BinnedCurve binned;
    for (int t = 0; t <= 270; ++t) {
        if (t % 10 == 0) {
            curve.update(w, e, in.planetoidFactor, in.pullFactor);
            binned.record(t, curve, nearCircular);
        }
        ticker.tick(w, in, canvas, rnd);
    }
    return {binned.fit(), static_cast<int>(binned.bins().size())};
}

TEST(MeasuredLaw, TheBinnedCurveGivesBackTheExponentOfABalancedDisc)
{
    for (double e : {0.4, 1.0, 1.5, 2.0, 2.6}) {
        SCOPED_TRACE(testing::Message() << "e " << e);
        // Cold: every star on its circle, the law read to its error.
        const Measured cold = measure(e, 0, false);
        ASSERT_TRUE(cold.fit.slope);
        EXPECT_NEAR(cold.fit.exponent, e, 3 * cold.fit.exponentError + 1e-9);
        EXPECT_LT(cold.fit.exponentError, 0.01);
        EXPECT_EQ(cold.fit.stars, 997);
        EXPECT_GE(cold.bins, 10);

        // Warm (speeds spread by a tenth): a warm disc turns a little slower
        // than the circular speed, and a window of 270 ticks is a fraction of
        // an outer orbit, so the exponent is off by a few hundredths, more
        // than its statistical error; it must still come near the law.
        for (bool nearCircular : {false, true}) {
            const Measured warm = measure(e, 0.1, nearCircular);
            ASSERT_TRUE(warm.fit.slope);
            EXPECT_NEAR(warm.fit.exponent, e, 0.1) << binnedFitText(warm.fit);
            EXPECT_LT(warm.fit.stars, 997);
            EXPECT_LT(warm.fit.exponentError, 0.05);
        }
    }
}

}  // namespace
}  // namespace orb
