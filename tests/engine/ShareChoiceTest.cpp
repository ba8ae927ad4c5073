// Sharing the pull sums or not, from how long each way took: the faster way
// is taken, the other looked at now and then, and one tick held up by the
// machine does not turn the choice.

#include <gtest/gtest.h>

#include "engine/ShareChoice.h"

namespace orb {
namespace {

// Runs `ticks` ticks that take `shared` or `alone` seconds for 1000 pairs;
// how many of them were shared.
int sharedTicks(ShareChoice& c, int ticks, double shared, double alone)
{
    int n = 0;
    for (int t = 0; t < ticks; ++t) {
        const bool s = c.share();
        n += s;
        c.took(s, 1000, s ? shared : alone);
    }
    return n;
}

TEST(ShareChoice, TakesTheFasterWayAndLooksAtTheOtherNowAndThen)
{
    ShareChoice c;
    // Both ways timed first, then sharing, faster, all but one tick in kLookEvery.
    EXPECT_TRUE(c.share());
    c.took(true, 1000, 1e-4);
    EXPECT_FALSE(c.share());
    c.took(false, 1000, 2e-4);
    const int ticks = 10 * ShareChoice::kLookEvery;
    EXPECT_EQ(sharedTicks(c, ticks, 1e-4, 2e-4), ticks - 10);
    // Told one tick ahead, so that the threads can be woken in time.
    for (int t = 0; t < ShareChoice::kLookEvery; ++t) {
        const bool warned = c.looksNext();
        EXPECT_EQ(c.share(), !warned) << "tick " << t;
        c.took(!warned, 1000, warned ? 2e-4 : 1e-4);
    }

    // The machine gets busy: sharing now takes three times as long. Within a
    // few ticks the choice turns, and stays turned but for the looks.
    const int shared = sharedTicks(c, ticks, 6e-4, 2e-4);
    EXPECT_LE(shared, 10 + 5);
    EXPECT_GE(shared, 10);
    // And back, look after look, when the other threads get their processor
    // again.
    EXPECT_GT(sharedTicks(c, ticks, 1e-4, 2e-4), 10);
    EXPECT_EQ(sharedTicks(c, ticks, 1e-4, 2e-4), ticks - 10);
}

TEST(ShareChoice, OneTickHeldUpDoesNotTurnTheChoice)
{
    ShareChoice c;
    c.took(true, 1000, 1e-4);
    c.took(false, 1000, 1.8e-4);
    c.took(true, 1000, 5e-3);  // put aside for a whole time slice
    EXPECT_TRUE(c.share());
    EXPECT_LT(c.perPairShared(), c.perPairAlone());
    // Nothing timed, or nothing summed, teaches nothing.
    c.took(true, 0, 1.0);
    c.took(true, 1000, 0.0);
    EXPECT_LT(c.perPairShared(), c.perPairAlone());
}

}  // namespace
}  // namespace orb
