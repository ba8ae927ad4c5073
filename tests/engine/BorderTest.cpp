#include <gtest/gtest.h>

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

// Field of the default window: left 900, right W = 15360, top 0, bottom H - 300 = 11220.
enum Edge { L, R, T, B };

struct Start {
    double x, y, mx, my;
};
// A body just past each edge, moving outwards.
constexpr Start kStart[] = {
    {800, 5000, -10, 4},    // left
    {15400, 5000, 10, 4},   // right
    {5000, -20, 4, -10},    // top
    {5000, 11250, 4, 10},   // bottom
};

struct Outcome {
    int rule;
    std::int16_t mode;  // borderMode: 2 after clicking Slomo, 1 after any other option
    Edge edge;
    double x, y, mx, my;
    bool off;
    int draws;  // random numbers used
};

TEST(Border, EachRuleAtEachEdge)
{
    // Chaos and 4-dim draw from the script 0.25, 0.5, 0.75, 0.125.
    const Outcome cases[] = {
        // Slomo: wrap, halving only the crossed axis.
        {kSlomo, 2, L, 15360, 5000, -5, 4, false, 0},
        {kSlomo, 2, R, 900, 5000, 5, 4, false, 0},
        {kSlomo, 2, T, 5000, 11220, 4, -5, false, 0},
        {kSlomo, 2, B, 5000, 0, 4, 5, false, 0},
        // Wrap: the same with the momentum kept.
        {kWrap, 1, L, 15360, 5000, -10, 4, false, 0},
        {kWrap, 1, R, 900, 5000, 10, 4, false, 0},
        {kWrap, 1, T, 5000, 11220, 4, -10, false, 0},
        {kWrap, 1, B, 5000, 0, 4, 10, false, 0},
        // Wall: bounce, 30 twips inside.
        {kWall, 1, L, 930, 5000, 10, 4, false, 0},
        {kWall, 1, R, 15330, 5000, -10, 4, false, 0},
        {kWall, 1, T, 5000, 30, 4, 10, false, 0},
        {kWall, 1, B, 5000, 11190, 4, -10, false, 0},
        // Comet: bounce with half the momentum of the crossed axis.
        {kComet, 1, L, 930, 5000, 5, 4, false, 0},
        {kComet, 1, R, 15330, 5000, -5, 4, false, 0},
        {kComet, 1, T, 5000, 30, 4, 5, false, 0},
        {kComet, 1, B, 5000, 11190, 4, -5, false, 0},
        // Chaos: as Comet, then a random place along the other axis:
        // Int(11220 * 0.25) = 2805, Int(14460 * 0.25) + 900 = 4515.
        {kChaos, 1, L, 930, 2805, 5, 4, false, 1},
        {kChaos, 1, R, 15330, 2805, -5, 4, false, 1},
        {kChaos, 1, T, 4515, 30, 4, 5, false, 1},
        {kChaos, 1, B, 4515, 11190, 4, -5, false, 1},
        // 4-dim without Spin: anywhere in the field, momentum kept:
        // Int(14460 * 0.25) + 900 = 4515, Int(11220 * 0.5) = 5610.
        {kFourDim, 1, L, 4515, 5610, -10, 4, false, 2},
        {kFourDim, 1, R, 4515, 5610, 10, 4, false, 2},
        {kFourDim, 1, T, 4515, 5610, 4, -10, false, 2},
        {kFourDim, 1, B, 4515, 5610, 4, 10, false, 2},
        // die: off, left on the edge, momentum kept.
        {kDie, 1, L, 900, 5000, -10, 4, true, 0},
        {kDie, 1, R, 15360, 5000, 10, 4, true, 0},
        {kDie, 1, T, 5000, 0, 4, -10, true, 0},
        {kDie, 1, B, 5000, 11220, 4, 10, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "rule " << c.rule << " edge " << c.edge);
        auto w = quietWorld(10);
        const Start& s = kStart[c.edge];
        place(*w, 5, s.x, s.y, s.mx, s.my);
        w->borderMode = c.mode;
        ScriptedRandom rnd{0.25f, 0.5f, 0.75f, 0.125f};
        TickInputs in;
        in.borderOption = c.rule;
        EXPECT_EQ(applyBorder(*w, rnd, 5, in), 1);
        EXPECT_EQ(w->posX[5], c.x);
        EXPECT_EQ(w->posY[5], c.y);
        EXPECT_EQ(w->momX[5], c.mx);
        EXPECT_EQ(w->momY[5], c.my);
        EXPECT_EQ(w->outOfPlay[5], c.off ? 1 : 0);
        EXPECT_EQ(rnd.drawn, c.draws);
    }
}

TEST(Border, FourDimWithSpinGivesNewMomentumInTheUpperRight)
{
    for (const Start& s : kStart) {
        auto w = quietWorld(10);
        place(*w, 5, s.x, s.y, s.mx, s.my);
        w->startMomentum = 24;
        w->startMomentumOffset = 6;
        ScriptedRandom rnd{0.25f, 0.5f, 0.75f, 0.125f};
        TickInputs in;
        in.borderOption = kFourDim;
        in.spin = true;
        EXPECT_EQ(applyBorder(*w, rnd, 5, in), 1);
        // Rnd in the order momY, momX, posX, posY.
        EXPECT_EQ(w->momY[5], 6 + 6);     // Int(0.25 * 24) + 6
        EXPECT_EQ(w->momX[5], 12 - 6);    // Int(0.5 * 24) - 6
        EXPECT_EQ(w->posX[5], 3456 + 9216);  // Int(15360 * 0.3 * 0.75) + 15360 * 0.6
        EXPECT_EQ(w->posY[5], 432 + 1152);   // Int(0.125 * 11520 * 0.3) + 11520 * 0.1
        EXPECT_EQ(rnd.drawn, 4);
    }
}

TEST(Border, OnTheEdgeIsStillInside)
{
    struct Case {
        double x, y;
        int events;
    } cases[] = {
        {900, 5000, 0}, {15360, 5000, 0}, {5000, 0, 0}, {5000, 11220, 0}, {900, 0, 0}, {15360, 11220, 0},
        // Right and bottom compare in single precision: these round onto the edge.
        {15360.0004, 11220.0004, 0},
        {899.9999, 5000, 1}, {15360.01, 5000, 1}, {5000, -1e-9, 1}, {5000, 11220.01, 1},
        // Corners: two events, except where the first re-places the body inside.
        {800, -20, 2}, {15400, 11250, 2},
    };
    for (int rule = 0; rule <= 6; ++rule) {
        for (const auto& c : cases) {
            auto w = quietWorld(10);
            place(*w, 5, c.x, c.y, 0, 0);
            ScriptedRandom rnd;
            TickInputs in;
            in.borderOption = rule;
            const int events = (rule == kChaos || rule == kFourDim) && c.events == 2 ? 1 : c.events;
            EXPECT_EQ(applyBorder(*w, rnd, 5, in), events) << "rule " << rule << " at " << c.x << "," << c.y;
        }
    }
}

TEST(Border, CornerEventsSeeTheEarlierTests)
{
    // Wall at the top-left corner: both bounces.
    auto w = quietWorld(10);
    place(*w, 5, 800, -20, -10, -10);
    ScriptedRandom rnd;
    TickInputs in;
    in.borderOption = kWall;
    EXPECT_EQ(applyBorder(*w, rnd, 5, in), 2);
    EXPECT_EQ(w->posX[5], 930);
    EXPECT_EQ(w->posY[5], 30);
    EXPECT_EQ(w->momX[5], 10);
    EXPECT_EQ(w->momY[5], 10);
    // Wrap from the left lands exactly on the right edge, which does not fire.
    place(*w, 6, 800, 5000, -10, 0);
    in.borderOption = kWrap;
    EXPECT_EQ(applyBorder(*w, rnd, 6, in), 1);
    EXPECT_EQ(w->posX[6], 15360);
    // 4-dim at a corner: the re-spawn lands inside, so the later tests are quiet.
    place(*w, 7, 800, -20, 1, 1);
    in.borderOption = kFourDim;
    EXPECT_EQ(applyBorder(*w, rnd, 7, in), 1);
}

TEST(Border, TheTickReportsEveryEventForTheScoreClock)
{
    auto w = quietWorld(10);
    place(*w, 3, 905, 5000, -10, 0);     // moves out left
    place(*w, 4, 15355, 11215, 10, 10);  // moves out at the bottom-right corner
    place(*w, 5, 5000, 5000, 3, 3);      // stays inside
    w->posX[6] = 0;                      // out of play, stored outside
    TickInputs in;  // die
    RecordingCanvas canvas;
    ScriptedRandom rnd;
    Ticker ticker;
    TickStats st = ticker.tick(*w, in, canvas, rnd);
    EXPECT_EQ(st.borderEvents, 4);
    EXPECT_EQ(st.events(), 4);
    for (int i : {3, 4, 6}) EXPECT_EQ(w->outOfPlay[i], 1) << i;
    EXPECT_EQ(w->outOfPlay[5], 0);
    EXPECT_EQ(w->posX[6], 900);
    // Switched off by die, they stay off and on the edge: no further events.
    st = ticker.tick(*w, in, canvas, rnd);
    EXPECT_EQ(st.borderEvents, 0);
    EXPECT_EQ(st.events(), 0);
    EXPECT_EQ(w->posX[4], 15360);
    EXPECT_EQ(w->posY[4], 11220);
}

TEST(Border, AppliesToBodyZeroToo)
{
    // Body 0 is never moved by its momentum, but the border rule still places it.
    auto w = quietWorld(10);
    place(*w, 0, 500, 5000, 7, 0, 100);
    TickInputs in;
    in.borderOption = kWall;
    RecordingCanvas canvas;
    ScriptedRandom rnd;
    Ticker ticker;
    EXPECT_EQ(ticker.tick(*w, in, canvas, rnd).borderEvents, 1);
    EXPECT_EQ(w->posX[0], 930);
    EXPECT_EQ(w->momX[0], -7);
    EXPECT_EQ(ticker.tick(*w, in, canvas, rnd).borderEvents, 0);
    EXPECT_EQ(w->posX[0], 930);
}

}  // namespace
}  // namespace orb
