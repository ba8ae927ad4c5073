#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/Random.h"

namespace orb {
namespace {

std::vector<float> draw(Rng& r, int n)
{
    std::vector<float> out;
    for (int k = 0; k < n; ++k) out.push_back(r.rnd());
    return out;
}

TEST(Random, ASeedGivesTheSameSequenceEveryTime)
{
    for (double seed : {0.0, 1.0, -1.0, 0.5, 123456789.0, 1e300, std::nan("")}) {
        Rng a(seed), b(7);
        b.reseed(seed);
        const auto first = draw(a, 50);
        EXPECT_EQ(first, draw(b, 50)) << seed;
        a.reseed(seed);
        EXPECT_EQ(first, draw(a, 50)) << seed;
    }
    Rng zero(0.0), minusZero(-0.0);
    EXPECT_EQ(draw(zero, 10), draw(minusZero, 10));
    Rng one(1), two(2), half(0.5);
    const auto s1 = draw(one, 10);
    EXPECT_NE(s1, draw(two, 10));
    EXPECT_NE(s1, draw(half, 10));
}

TEST(Random, ValuesLieInZeroToOneAndSpreadEvenly)
{
    Rng r(42);
    int buckets[10] = {};
    const int n = 100000;
    for (int k = 0; k < n; ++k) {
        const float v = r.rnd();
        ASSERT_GE(v, 0.0f);
        ASSERT_LT(v, 1.0f);
        ++buckets[static_cast<int>(v * 10)];
    }
    for (int b : buckets) EXPECT_NEAR(b, n / 10, n / 100);
}

TEST(Random, ARestoredStateGoesOnWithTheSameValues)
{
    Rng a(12345);
    for (int i = 0; i < 17; ++i) a.rnd();
    const Rng::State saved = a.state();
    const auto first = draw(a, 100);
    Rng b(-7);
    b.restore(saved);
    EXPECT_EQ(draw(b, 100), first);
}

}  // namespace
}  // namespace orb
