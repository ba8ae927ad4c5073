#include <gtest/gtest.h>

#include <cmath>

#include "curve/CurveHistory.h"
#include "support/Recording.h"

namespace orb {
namespace {

using test::place;
using test::quietWorld;

constexpr double kCx = 7680, kCy = 5760;

// Sol and stars straight to its right at the given radii, each turning
// clockwise at the given speed.
RotationCurve curveOf(std::initializer_list<std::pair<double, double>> stars, double exponent = 2)
{
    auto w = quietWorld(40);
    place(*w, 0, kCx, kCy, 0, 0, 100);
    int i = 3;
    for (auto [r, v] : stars) place(*w, i++, kCx + r, kCy, 0, v, 0.1);
    RotationCurve c;
    c.update(*w, exponent, 2);
    return c;
}

TEST(CurveHistory, StaysWithinItsBoundOverAVeryLongRunAndSpansAllOfIt)
{
    const RotationCurve a = curveOf({{100, 40}, {200, 20}, {400, 10}});  // slope -1
    const RotationCurve b = curveOf({{100, 30}, {300, 30}});              // too few stars: none
    CurveHistory h;
    const std::int64_t records = 1'000'003, first = 17, every = 3;
    int largest = 0;
    for (std::int64_t k = 0; k < records; ++k) {
        h.record(first + every * k, k % 4 == 3 ? b : a);
        largest = std::max(largest, h.size());
    }
    EXPECT_EQ(largest, CurveHistory::kCapacity);
    EXPECT_GE(h.size(), CurveHistory::kCapacity / 2);
    EXPECT_EQ(h.front().firstTick, first);
    EXPECT_EQ(h.back().lastTick, first + every * (records - 1));

    // Every record is in exactly one sample, the full ones stride records each,
    // in order and without gaps.
    std::int64_t total = 0, stars = 0;
    for (int s = 0; s < h.size(); ++s) {
        const HistorySample& x = h[s];
        if (s + 1 < h.size()) {
            EXPECT_EQ(x.records, h.stride());
            EXPECT_EQ(h[s + 1].firstTick, x.lastTick + every);
        }
        EXPECT_EQ(x.lastTick - x.firstTick, every * (x.records - 1));
        total += x.records;
        for (int bin = 0; bin < CurveHistory::kBins; ++bin) stars += x.count[bin];
        // Three records in four hold a slope of -1; they all do here, as the stride is a multiple of 4.
        ASSERT_TRUE(x.slope());
        EXPECT_NEAR(*x.slope(), -1, 1e-9);
        EXPECT_NEAR(x.slopeMin, -1, 1e-9);
    }
    EXPECT_EQ(total, records);
    EXPECT_EQ(stars, 3 * (records - records / 4) + 2 * (records / 4));

    h.clear();
    EXPECT_TRUE(h.empty());
    EXPECT_EQ(h.stride(), 1);
    EXPECT_EQ(h.binRange(), 0);
}

TEST(CurveHistory, RecordsTheSlopeItIsGiven)
{
    // The binned slope in place of the per-star one; none leaves the record
    // without a slope.
    const RotationCurve a = curveOf({{100, 40}, {200, 20}, {400, 10}});  // per-star slope -1
    CurveHistory h;
    h.record(1, a, -0.5);
    h.record(2, a, std::nullopt);
    h.record(3, a, -0.25);
    h.record(4, a, NAN);  // a slope that is no number counts as 0
    ASSERT_EQ(h.size(), 4);
    EXPECT_EQ(*h[0].slope(), -0.5);
    EXPECT_FALSE(h[1].slope());
    std::int64_t binned = 0;
    for (int b = 0; b < CurveHistory::kBins; ++b) binned += h[1].count[b];
    EXPECT_EQ(binned, 3) << "the stars are binned all the same";
    EXPECT_EQ(*h[2].slope(), -0.25);
    EXPECT_EQ(*h[3].slope(), 0);
    HistorySample m = h[0];
    for (int k = 1; k < 4; ++k) mergeSamples(m, h[k]);
    EXPECT_EQ(m.slopeRecords, 3);
    EXPECT_EQ(m.slopeMin, -0.5);
    EXPECT_EQ(m.slopeMax, 0);
    h.record(5, a);
    EXPECT_NEAR(*h[4].slope(), -1, 1e-9);
}

TEST(CurveHistory, BinsGrowWithTheGalaxyAndKeepTheirSums)
{
    CurveHistory h;
    h.record(1, curveOf({{100, 10}, {105, 20}, {400, 5}}));
    EXPECT_EQ(h.binRange(), CurveHistory::kFirstRange);
    // 100 and 105 twips fall in bin 4 of 24 over 512 twips.
    ASSERT_TRUE(h[0].binMean(4));
    EXPECT_EQ(*h[0].binMean(4), 15);
    EXPECT_EQ(h[0].binStars(4), 2);

    // A star at 1500 twips: the range doubles twice, the old bins merge by fours.
    h.record(2, curveOf({{100, 30}, {1500, 7}}));
    EXPECT_EQ(h.binRange(), 2048);
    ASSERT_EQ(h.size(), 2);
    EXPECT_EQ(*h[0].binMean(1), 15);
    EXPECT_EQ(h[0].count[1], 2);
    EXPECT_EQ(h[0].count[4], 1);  // 400 twips: bin 18 before, 4 after
    EXPECT_EQ(*h[0].binMean(4), 5);
    EXPECT_EQ(h[0].count[0], 0);
    EXPECT_EQ(*h[1].binMean(17), 7);
    EXPECT_FALSE(h[1].binMean(16));

    // Far beyond the largest range: counted, not binned; the range stops there.
    h.record(3, curveOf({{100, 30}, {1e6, 1}}));
    EXPECT_EQ(h.binRange(), CurveHistory::kMaxRange);
    EXPECT_EQ(h[2].beyond, 1);
    EXPECT_EQ(h[2].count[0], 1);
    // Mean of the merged sample: the speeds of every record's stars in the bin.
    HistorySample m = h[0];
    mergeSamples(m, h[1]);
    mergeSamples(m, h[2]);
    EXPECT_EQ(m.firstTick, 1);
    EXPECT_EQ(m.lastTick, 3);
    EXPECT_EQ(m.count[0], 6);  // every bin fell into the first
    EXPECT_EQ(*m.binMean(0), (10 + 20 + 5 + 30 + 7 + 30) / 6.0);
}

}  // namespace
}  // namespace orb
