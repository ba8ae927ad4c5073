// Sharing the pull sums or not, from how long each way took: the faster way
// is taken, the other looked at now and then (less and less often while
// sharing stays faster), and one tick held up by the machine does not turn
// the choice. And where to cut them among the threads.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "engine/PullSplit.h"
#include "engine/ShareChoice.h"

namespace orb {
namespace {

// The ticks, among the next `ticks`, that go alone while sharing takes
// `shared` seconds for 1000 pairs and going alone `alone`. Each tick that goes
// the way not taken must have been told one tick ahead (looksNext), so that
// the threads can be woken in time, and only those.
std::vector<int> aloneTicks(ShareChoice& c, int ticks, double shared, double alone)
{
    std::vector<int> found;
    for (int t = 0; t < ticks; ++t) {
        const bool sharing = c.perPairShared() <= c.perPairAlone();
        const bool warned = c.looksNext();
        const bool s = c.share();
        if (!s) found.push_back(t);
        EXPECT_EQ(warned, s != sharing) << "tick " << t;
        c.took(s, 1000, s ? shared : alone);
    }
    return found;
}

// How many of the next `ticks` ticks were shared.
int sharedTicks(ShareChoice& c, int ticks, double shared, double alone)
{
    return ticks - static_cast<int>(aloneTicks(c, ticks, shared, alone).size());
}

TEST(ShareChoice, TakesTheFasterWayAndLooksAtTheOtherNowAndThen)
{
    ShareChoice c;
    // Both ways timed first, then sharing, the faster: each look that finds
    // it still faster doubles the wait for the next, up to kLookAtMost.
    EXPECT_TRUE(c.share());
    c.took(true, 1000, 1e-4);
    EXPECT_FALSE(c.share());
    c.took(false, 1000, 2e-4);
    const std::vector<int> looks = aloneTicks(c, 5000, 1e-4, 2e-4);
    ASSERT_GE(looks.size(), 7u);
    int gap = ShareChoice::kLookEvery;
    for (std::size_t i = 0; i < looks.size(); ++i) {
        EXPECT_EQ(looks[i] - (i ? looks[i - 1] : -1), gap) << "look " << i;
        gap = std::min(2 * gap, ShareChoice::kLookAtMost);
    }
    EXPECT_EQ(c.lookEvery(), ShareChoice::kLookAtMost);

    // The machine gets busy: sharing now takes three times as long. Within a
    // few ticks the choice turns, and stays turned but for the looks, which
    // come every kLookEvery ticks again.
    const int ticks = 10 * ShareChoice::kLookEvery;
    const int shared = sharedTicks(c, ticks, 6e-4, 2e-4);
    EXPECT_LE(shared, 10 + 5);
    EXPECT_GE(shared, 9);
    // And back, look after look, when the other threads get their processor
    // again; then the waits grow again (32, 64, 128 ticks ...).
    EXPECT_GT(sharedTicks(c, ticks, 1e-4, 2e-4), 10);
    EXPECT_GE(sharedTicks(c, ticks, 1e-4, 2e-4), ticks - 3);
}

TEST(ShareChoice, SharingSlowerThanAtTheLastLookBringsTheLooksBack)
{
    ShareChoice c;
    c.took(true, 1000, 1e-4);
    c.took(false, 1000, 2e-4);
    aloneTicks(c, 5000, 1e-4, 2e-4);
    ASSERT_EQ(c.lookEvery(), ShareChoice::kLookAtMost);
    // Still the faster way, but half as slow again: a look comes at once, and
    // the next one after twice kLookEvery ticks, as it finds sharing still
    // faster.
    const std::vector<int> looks = aloneTicks(c, 100, 1.5e-4, 2e-4);
    ASSERT_GE(looks.size(), 2u);
    EXPECT_LE(looks[0], 10);
    EXPECT_EQ(looks[1] - looks[0], 2 * ShareChoice::kLookEvery);
    // A small change in the time shared leaves the waits growing.
    aloneTicks(c, 5000, 1.5e-4, 2e-4);
    EXPECT_TRUE(aloneTicks(c, 500, 1.6e-4, 2e-4).empty());
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
// range, which ends at m, and the strip within the second range; ranges that
// cost alike for workers alike; a strip that keeps two workers from waiting
// on each other; more for a faster worker, and a tick held up moves the cut a
// little only.
TEST(Balance, CutsOnWholeLinesAndGivesTheFasterWorkerMore)
{
    std::array<int, Balance::kMaxWorkers + 1> cuts{};
    int strip = 0;
    for (int m : {0, 5, 8, 64, 300, 999, 1000})
        for (int workers : {1, 2, 3}) {
            Balance b;
            b.cut(m, workers, cuts, strip);
            EXPECT_EQ(cuts[0], 0);
            EXPECT_EQ(cuts[static_cast<std::size_t>(workers)], m);
            for (int w = 1; w < workers; ++w) {
                EXPECT_EQ(cuts[static_cast<std::size_t>(w)] % 8, 0) << m << " among " << workers;
                EXPECT_LE(cuts[static_cast<std::size_t>(w) - 1], cuts[static_cast<std::size_t>(w)]);
            }
            EXPECT_GE(strip, cuts[1]);
            EXPECT_LE(strip, workers > 1 ? cuts[2] : m);
            EXPECT_TRUE(strip % 8 == 0 || strip == m);
        }

    Balance three;
    three.cut(999, 3, cuts, strip);
    for (int w = 1; w < 3; ++w)
        EXPECT_NEAR(Balance::cost(cuts[1] - cuts[0], 999), Balance::cost(cuts[w + 1] - cuts[w], 999), 8 * 999);

    // Two workers whose parts run as the kernels do here: a pair worked out
    // for one side costs 0.8 of a whole one.
    Balance b;
    const double whole = 1e9, oneSide = whole / Balance::kOneSide;
    for (auto [part, v] : {std::pair{Balance::kCornerAndStrip, whole}, {Balance::kRows, oneSide},
                           {Balance::kColumns, oneSide}, {Balance::kCorner, whole}})
        b.setPartSpeed(part, v);
    auto times = [&](int m) {
        const double k = cuts[1], j = strip;
        const double stripDone = (k * k / 2 + k * (j - k)) / whole, columnsDone = k * (m - j) / oneSide;
        return std::array{stripDone, columnsDone, stripDone + k * (m - j) / oneSide,
                          std::max(stripDone, columnsDone) + (m - k) * (m - k) / 2 / whole};
    };
    b.cut(1000, 2, cuts, strip);
    EXPECT_NEAR(cuts[1], 445, 8);
    EXPECT_NEAR(strip, 567, 8);
    auto t = times(1000);
    EXPECT_NEAR(t[0], t[1], 8e-6);  // the strip is done as worker 1 needs it
    EXPECT_NEAR(t[2], t[3], 8e-6);  // and both finish together

    // Worker 1's parts twice as slow: worker 0 takes more.
    b.setPartSpeed(Balance::kColumns, oneSide / 2);
    b.setPartSpeed(Balance::kCorner, whole / 2);
    b.cut(1000, 2, cuts, strip);
    const int skewed = cuts[1];
    EXPECT_GT(skewed, 550);
    EXPECT_GT(strip, skewed);

    // One tick a hundred times slower shifts it by less than a tenth.
    b.tookPart(Balance::kCornerAndStrip, 1e5, 100 * 1e5 / whole);
    b.cut(1000, 2, cuts, strip);
    EXPECT_LT(skewed - cuts[1], 100);
    EXPECT_GE(skewed, cuts[1]);

    // Speeds per worker, for more than two.
    Balance c;
    c.took(0, 1e5, 1e-4);
    c.took(1, 1e5, 2e-4);
    c.took(2, 1e5, 1e-4);
    c.cut(1000, 3, cuts, strip);
    EXPECT_LT(cuts[2] - cuts[1], cuts[1] - cuts[0]);
    EXPECT_LT(cuts[2] - cuts[1], cuts[3] - cuts[2]);
}

}  // namespace
}  // namespace orb
