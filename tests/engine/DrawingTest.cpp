#include <gtest/gtest.h>

#include <cmath>

#include "engine/Borders.h"
#include "engine/Contact.h"
#include "engine/Drawing.h"
#include "engine/Pull.h"
#include "engine/Ticker.h"
#include "support/Recording.h"

namespace orb {
namespace {

using test::Point;
using test::RecordingCanvas;
using test::ScriptedRandom;

constexpr float kTop = 0.9990234375f;  // 1023 / 1024: the largest offsets

struct BombRig : ::testing::Test {
    World w;
    RecordingCanvas canvas;
    BombRig()
    {
        // Body 1 is c, body 2 is o.
        w.colRed[1] = 100.5f;  // halves round to even: 100
        w.colGreen[1] = 200;
        w.colBlue[1] = 100;
        w.colGreen[2] = 51;
        w.colBlue[2] = 13;
        w.colRed[3] = 2.5f;
        w.colGreen[3] = 3.5f;
        w.colBlue[3] = 254.5f;
    }
};

TEST_F(BombRig, KindOneIsOnePointInTheBodysColour)
{
    ScriptedRandom rnd;
    Bomb(canvas, rnd, w, 1234, -56, BombKind::Body, 3, 3);
    ASSERT_EQ(canvas.points.size(), 1u);
    EXPECT_EQ(canvas.points[0], (Point{1234, -56, Rgb{2, 4, 254}}));
    EXPECT_EQ(rnd.drawn, 0);
}

TEST_F(BombRig, KindTwoSparksDrawG0AndBlueThenOffsetsAndGreenPerPoint)
{
    // g0 = CInt(0.5 * 200) = 100, blue = CInt(0.25 * 100) = 25, then per point
    // dx, dy (Int(r * 160) - 80) and the green factor (CInt(100 * r)).
    ScriptedRandom rnd{0.5f,  0.25f,                  //
                       0.0f,  0.5f,   0.5f,           // -80, 0, 50
                       kTop,  0.25f,  0.125f,         // 79, -40, 12.5 -> 12
                       0.5f,  0.75f,  0.375f,         // 0, 40, 37.5 -> 38
                       0.125f, 0.875f, kTop};         // -60, 60, 99.9 -> 100
    Bomb(canvas, rnd, w, 5000, 6000, BombKind::Sparks, 1, 2);
    const std::vector<Point> expected = {
        {4920, 6000, Rgb{100, 50, 25}},
        {5079, 5960, Rgb{100, 12, 25}},
        {5000, 6040, Rgb{100, 38, 25}},
        {4940, 6060, Rgb{100, 100, 25}},
    };
    EXPECT_EQ(canvas.points, expected);
    EXPECT_EQ(rnd.drawn, 14);
}

TEST_F(BombRig, KindThreeBurstMixesBothBodies)
{
    // green = CInt((51 + 200) / 2) = CInt(125.5) = 126, blue = CInt((13 + 100) / 2) = 56;
    // per point dx, dy (Int(r * 400) - 200) and the green factor.
    ScriptedRandom rnd{0.0f, kTop, 0.25f,  // -200, 199, 31.5 -> 32
                       kTop, 0.0f, 0.5f}; // 199, -200, 63
    Bomb(canvas, rnd, w, 5000, 6000, BombKind::Burst, 1, 2);
    ASSERT_EQ(canvas.points.size(), 7u);
    EXPECT_EQ(canvas.points[0], (Point{4800, 6199, Rgb{128, 32, 56}}));
    EXPECT_EQ(canvas.points[1], (Point{5199, 5800, Rgb{128, 63, 56}}));
    for (std::size_t k = 2; k < 7; ++k) EXPECT_EQ(canvas.points[k], (Point{5000, 6000, Rgb{128, 63, 56}})) << k;
    EXPECT_EQ(rnd.drawn, 21);
}

TEST_F(BombRig, PointsOutsideTheSixteenBitRangeAreSkippedButTheirNumbersDrawn)
{
    struct Case {
        int kind;
        double x, y;
        std::vector<float> script;
        std::size_t points;
        int drawn;
    } cases[] = {
        // Kind 2 near the top of the range: +79 leaves it, -80 and 0 do not.
        {2, 32700, 0, {0.5f, 0.5f, kTop, 0.5f, 0.5f, 0.0f, 0.5f, 0.5f}, 3, 14},
        // The extreme offsets land exactly on the ends of the range.
        {2, 32688, -32688, {0.5f, 0.5f, kTop, 0.0f, 0.5f, 0.0f, kTop, 0.5f}, 4, 14},
        {2, 40000, 0, {}, 0, 14},   // origin outside: nothing, same numbers
        {2, 0, -32769, {}, 0, 14},
        {3, -32700, 32700, {0.0f, 0.5f, 0.5f, 0.5f, kTop, 0.5f}, 5, 21},
        {3, 1e300, 0, {}, 0, 21},
        {1, 32768, 0, {}, 0, 0},
        {1, -32768, 32767, {}, 1, 0},
    };
    for (const auto& c : cases) {
        RecordingCanvas cv;
        ScriptedRandom rnd;
        for (float v : c.script) rnd.push(v);
        Bomb(cv, rnd, w, c.x, c.y, static_cast<BombKind>(c.kind), 1, 2);
        SCOPED_TRACE(::testing::Message() << "kind " << c.kind << " at " << c.x << "," << c.y);
        EXPECT_EQ(cv.points.size(), c.points);
        EXPECT_EQ(rnd.drawn, c.drawn);
        for (const auto& p : cv.points) {
            EXPECT_GE(p.x, -32768);
            EXPECT_LE(p.x, 32767);
            EXPECT_GE(p.y, -32768);
            EXPECT_LE(p.y, 32767);
        }
    }
}

TEST(Colour, ChannelsAreClampedAndRoundedHalfToEven)
{
    EXPECT_EQ(rgbOf(0.5, 1.5, 254.5), (Rgb{0, 2, 254}));
    EXPECT_EQ(rgbOf(-3, 300, std::nan("")), (Rgb{0, 255, 0}));
}

}  // namespace
}  // namespace orb
