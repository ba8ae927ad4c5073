#include <gtest/gtest.h>

#include <cfloat>

#include "engine/Borders.h"
#include "engine/Contact.h"
#include "engine/Drawing.h"
#include "engine/Pull.h"
#include "engine/Ticker.h"
#include "support/Recording.h"

namespace orb {
namespace {

using test::place;
using test::quietWorld;
using test::RecordingCanvas;
using test::ScriptedRandom;

// Zones of these tests: pull beyond 50 twips, partial collision from 5 to 50,
// merge below 5.
std::unique_ptr<World> contactWorld(std::int16_t volatility)
{
    auto w = quietWorld(10);
    w->planetRadius = 50;
    w->coreRadius = 5;
    w->volatility = volatility;
    w->volatilitySpan = static_cast<std::int16_t>(2 * volatility + 1);
    return w;
}

TEST(PartialCollision, KickIsEqualAndOppositeWithSparksAtTheSecondBody)
{
    auto w = contactWorld(3);
    place(*w, 3, 5000, 5000, 1, 2, 1);
    place(*w, 1, 5020, 5010, -4, 8, 1000);  // masses play no part
    w->colRed[3] = 50;
    RecordingCanvas canvas;
    // ex = Int(0.875 * 7) - 3 = 3, ey = Int(0.125 * 7) - 3 = -3, then the spark burst.
    ScriptedRandom rnd{0.875f, 0.125f};
    partialCollision(*w, canvas, rnd, 3, 1);
    EXPECT_EQ(w->momX[1], -4 + 3);
    EXPECT_EQ(w->momY[1], 8 - 3);
    EXPECT_EQ(w->momX[3], 1 - 3);
    EXPECT_EQ(w->momY[3], 2 + 3);
    EXPECT_EQ(w->posX[1], 5020);  // positions untouched
    EXPECT_EQ(w->posX[3], 5000);
    // Four sparks around body 1 in body 3's red; fallback 0.5 puts them at
    // offset Int(0.5 * 160) - 80 = 0.
    ASSERT_EQ(canvas.points.size(), 4u);
    for (const auto& p : canvas.points) {
        EXPECT_EQ(p.x, 5020);
        EXPECT_EQ(p.y, 5010);
        EXPECT_EQ(p.colour.r, 50);
    }
    EXPECT_EQ(rnd.drawn, 2 + 2 + 4 * 3);

    // The extremes of the range: -volatility and +volatility.
    ScriptedRandom low{0.0f, 0.99999994f};
    partialCollision(*w, canvas, low, 3, 1);
    EXPECT_EQ(w->momX[1], -4 + 3 - 3);
    EXPECT_EQ(w->momY[1], 8 - 3 + 3);
}

TEST(PartialCollision, VolatilityZeroOnlyDrawsSparks)
{
    for (std::int16_t span : {0, 1}) {  // before and after the field is first edited
        auto w = contactWorld(0);
        w->volatilitySpan = span;
        place(*w, 3, 5000, 5000, 1, 2);
        place(*w, 1, 5020, 5000, -4, 8);
        RecordingCanvas canvas;
        ScriptedRandom rnd({}, 0.99f);
        partialCollision(*w, canvas, rnd, 3, 1);
        EXPECT_EQ(w->momX[1], -4);
        EXPECT_EQ(w->momY[1], 8);
        EXPECT_EQ(w->momX[3], 1);
        EXPECT_EQ(w->momY[3], 2);
        EXPECT_EQ(canvas.points.size(), 4u);
    }
}

TEST(PartialCollision, TheTickKicksOncePerOrderWithinThePlanetoidFactor)
{
    struct Case {
        int a, b;
        long collisions;
        long merges;
    } cases[] = {
        {1, 2, 2, 0},  // both attract: each order of the pair kicks
        {1, 3, 1, 0},  // only the row of 3 sees 1 as a partner
        {0, 3, 1, 0},
        {3, 4, 0, 0},  // beyond the factor: never
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.a << "," << c.b);
        auto w = contactWorld(3);
        place(*w, c.a, 5000, 5000, 0, 0);
        place(*w, c.b, 5030, 5000, 0, 0);
        TickInputs in;
        RecordingCanvas canvas;
        ScriptedRandom rnd({}, 0.875f);  // every kick is +3, +3
        Ticker ticker;
        const TickStats st = ticker.tick(*w, in, canvas, rnd);
        EXPECT_EQ(st.partialCollisions, c.collisions);
        EXPECT_EQ(st.events(), 0);  // a partial collision does not stamp the score clock
        EXPECT_EQ(rnd.drawn, 16 * c.collisions);
        EXPECT_EQ(canvas.points.size(), static_cast<std::size_t>(4 * c.collisions + 2));
        // Equal and opposite: the pair's momentum sums to zero whatever happened.
        EXPECT_EQ(w->momX[c.a] + w->momX[c.b], 0);
        EXPECT_EQ(w->momY[c.a] + w->momY[c.b], 0);
        if (c.collisions == 0) {
            EXPECT_EQ(w->momX[c.b], 0);
        }
    }
}

TEST(PartialCollision, BeyondTheFactorBodiesStillMerge)
{
    auto w = contactWorld(3);
    place(*w, 3, 5000, 5000, 0, 0, 1);
    place(*w, 4, 5003, 5000, 0, 0, 2);
    TickInputs in;
    RecordingCanvas canvas;
    ScriptedRandom rnd;
    Ticker ticker;
    const TickStats st = ticker.tick(*w, in, canvas, rnd);
    EXPECT_EQ(st.partialCollisions, 0);
    EXPECT_EQ(st.merges, 1);
    EXPECT_EQ(w->outOfPlay[3], 1);
    EXPECT_EQ(w->gravity[4], 3);
}

struct MergeRig : ::testing::Test {
    std::unique_ptr<World> w = contactWorld(0);
    TickInputs in;
    RecordingCanvas canvas;
    ScriptedRandom rnd;
    Ticker ticker;
    TickStats tick() { return ticker.tick(*w, in, canvas, rnd); }
};

TEST_F(MergeRig, HeavierSurvivesAndTiesGoToTheOuterIndex)
{
    struct Case {
        double g3, g4;
        int survivor;
    } cases[] = {{2, 2, 4}, {5, 1, 3}, {1, 5, 4}, {0, 0, 4}, {-1, -1, 4}};
    for (const auto& c : cases) {
        w = contactWorld(0);
        place(*w, 3, 5000, 5000, 0, 0, c.g3);
        place(*w, 4, 5003, 5002, 0, 0, c.g4);
        w->bodyType[3] = 3;
        w->bodyType[4] = 2;
        w->colGreen[3] = 10;
        const TickStats st = tick();
        SCOPED_TRACE(::testing::Message() << c.g3 << "," << c.g4);
        EXPECT_EQ(st.merges, 1);
        EXPECT_EQ(st.events(), 1);  // a merge stamps the score clock
        const int s = c.survivor, a = 7 - s;
        EXPECT_EQ(w->outOfPlay[s], 0);
        EXPECT_EQ(w->outOfPlay[a], 1);
        EXPECT_EQ(w->gravity[s], c.g3 + c.g4);
        // The survivor keeps its own position, type and colour.
        EXPECT_EQ(w->posX[s], s == 3 ? 5000 : 5003);
        EXPECT_EQ(w->bodyType[s], s == 3 ? 3 : 2);
        EXPECT_EQ(w->colGreen[s], s == 3 ? 10 : 100);
    }
}

TEST_F(MergeRig, OnlyDistinctPositionsCloserThanTheCoreMergeAndNeverBodyZero)
{
    struct Case {
        int a, b;
        double dx;
        long merges;
    } cases[] = {
        {3, 4, 4.999, 1}, {3, 4, 5, 0},  // strictly closer than the core radius
        {3, 4, 0, 0},                    // the same point: no merge
        {0, 3, 1, 0},  {0, 1, 3, 0},     // body 0 never merges
        {1, 2, 1, 1},  {2, 999, 1, 1},
    };
    for (const auto& c : cases) {
        w = contactWorld(0);
        w->bodyCount = kMaxBody;
        place(*w, c.a, 5000, 5000, 0, 0, 1);
        place(*w, c.b, 5000 + c.dx, 5000, 0, 0, 0.5);
        const TickStats st = tick();
        EXPECT_EQ(st.merges, c.merges) << c.a << "," << c.b << " at " << c.dx;
        EXPECT_EQ(w->outOfPlay[c.a], 0);
        EXPECT_EQ(w->outOfPlay[c.b], c.merges ? 1 : 0);
    }
}

TEST_F(MergeRig, ChainsFollowTheLoopOrderAndConserveMass)
{
    struct Case {
        double g3, g4, g5;
        int survivor;
    } cases[] = {
        {1, 1, 1, 5},  // 5 takes 4, then 3
        {1, 2, 1, 4},  // 4 takes 5; 5 is then off, so 4 takes 3
        {9, 1, 1, 3},  // 5 takes 4, then 3 takes 5
    };
    for (const auto& c : cases) {
        w = contactWorld(0);
        place(*w, 3, 5000, 5000, 1, 0, c.g3);
        place(*w, 4, 5002, 5000, 1, 0, c.g4);
        place(*w, 5, 5001, 5002, 1, 0, c.g5);
        const TickStats st = tick();
        SCOPED_TRACE(c.survivor);
        EXPECT_EQ(st.merges, 2);
        for (int i : {3, 4, 5}) EXPECT_EQ(w->outOfPlay[i], i == c.survivor ? 0 : 1) << i;
        EXPECT_EQ(w->gravity[c.survivor], c.g3 + c.g4 + c.g5);
        EXPECT_DOUBLE_EQ(w->momX[c.survivor], 1);
    }
}

TEST(Merge, MassAndMassWeightedMomentumAreConserved)
{
    auto w = contactWorld(0);
    place(*w, 3, 5000, 5000, 10, 0, 1);
    place(*w, 4, 5003, 5000, -2, 4, 3);
    w->colGreen[3] = 51;
    w->colGreen[4] = 100;
    w->colBlue[3] = 13;
    w->colBlue[4] = 10;
    RecordingCanvas canvas;
    ScriptedRandom rnd;
    mergeBodies(*w, canvas, rnd, 4, 3);
    EXPECT_EQ(w->gravity[4], 4);
    EXPECT_EQ(w->outOfPlay[3], 1);
    EXPECT_EQ(w->momX[4], 1);  // (1 * 10 + 3 * -2) / 4
    EXPECT_EQ(w->momY[4], 3);  // (1 * 0 + 3 * 4) / 4
    // The burst at the outer body: 7 points, red 128, green CInt(76 * 0.5) = 38,
    // blue CInt(11.5) = 12.
    ASSERT_EQ(canvas.points.size(), 7u);
    EXPECT_EQ(canvas.points[0], (test::Point{5003, 5000, Rgb{128, 38, 12}}));
    EXPECT_EQ(rnd.drawn, 21);
}

TEST(Merge, GravitiesThatCancelOrOverflowStayFinite)
{
    struct Case {
        double g3, g4;
        int survivor;
        double gravity, momX;
    } cases[] = {
        {1, -1, 3, 0, 3},               // weights 0.5 each: (10 + -4) / 2
        {-1, 1, 4, 0, 3},
        {0, 0, 3, 0, 3},
        {1e308, 1e308, 3, DBL_MAX, 3},  // the sum saturates, each still weighs 0.5
    };
    for (const auto& c : cases) {
        auto w = contactWorld(0);
        place(*w, 3, 5000, 5000, 10, 2, c.g3);
        place(*w, 4, 5003, 5000, -4, 2, c.g4);
        RecordingCanvas canvas;
        ScriptedRandom rnd;
        mergeBodies(*w, canvas, rnd, 3, 4);
        SCOPED_TRACE(::testing::Message() << c.g3 << "," << c.g4);
        EXPECT_EQ(w->outOfPlay[c.survivor], 0);
        EXPECT_EQ(w->gravity[c.survivor], c.gravity);
        EXPECT_NEAR(w->momX[c.survivor], c.momX, 1e-12);
        EXPECT_NEAR(w->momY[c.survivor], 2, 1e-12);
        EXPECT_TRUE(test::allFinite(*w));
    }
    // Nearly cancelling gravities give a huge weight; the momentum must not
    // become infinite.
    auto w = contactWorld(0);
    place(*w, 3, 5000, 5000, 1e300, 0, 1);
    place(*w, 4, 5003, 5000, -1e300, 0, -1 + 1e-15);
    RecordingCanvas canvas;
    ScriptedRandom rnd;
    mergeBodies(*w, canvas, rnd, 3, 4);
    EXPECT_TRUE(test::allFinite(*w));
}

}  // namespace
}  // namespace orb
