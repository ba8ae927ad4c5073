// Sharing the pull sums or not, from how long each way took: the faster way
// is taken, the other looked at now and then, and one tick held up by the
// machine does not turn the choice. And where to cut them among the threads.

#include <gtest/gtest.h>

#include <array>

#include "engine/PullSplit.h"
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

// Where the attractors are cut among workers: on multiples of 8 up to the last
// range, which ends at m; even for workers alike, more rows for a faster one,
// and a tick held up moves the cut a little only.
TEST(Balance, CutsOnWholeLinesAndGivesTheFasterWorkerMore)
{
    std::array<int, Balance::kMaxWorkers + 1> cuts{};
    for (int m : {0, 5, 8, 300, 999, 1000})
        for (int workers : {1, 2, 3}) {
            Balance b;
            b.cut(m, workers, cuts);
            EXPECT_EQ(cuts[0], 0);
            EXPECT_EQ(cuts[static_cast<std::size_t>(workers)], m);
            for (int w = 1; w < workers; ++w) {
                EXPECT_EQ(cuts[static_cast<std::size_t>(w)] % 8, 0) << m << " among " << workers;
                EXPECT_LE(cuts[static_cast<std::size_t>(w) - 1], cuts[static_cast<std::size_t>(w)]);
            }
        }

    Balance b;
    b.cut(1000, 2, cuts);
    EXPECT_NEAR(cuts[1], 500, 8);  // the two ranges cost alike wherever they lie

    // Worker 1 took twice as long as worker 0 for the same rows.
    b.took(0, 500, 1000, 100e-6);
    b.took(1, 500, 1000, 200e-6);
    b.cut(1000, 2, cuts);
    const int skewed = cuts[1];
    EXPECT_GT(skewed, 560);
    EXPECT_NEAR(Balance::cost(skewed, 1000) / b.speed(0), Balance::cost(1000 - skewed, 1000) / b.speed(1), 2e-6);

    // One tick a hundred times slower shifts it by less than a tenth.
    b.took(0, skewed, 1000, 100 * Balance::cost(skewed, 1000) / b.speed(0));
    b.cut(1000, 2, cuts);
    EXPECT_LT(skewed - cuts[1], 100);
    EXPECT_GE(skewed, cuts[1]);
}

}  // namespace
}  // namespace orb
