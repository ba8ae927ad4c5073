// The score clock's arithmetic: the bands, an event, and runs across midnight.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "panel/ScoreClock.h"

namespace orb {
namespace {

std::string hms(long long seconds)
{
    seconds %= 86400;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return buf;
}

struct ClockRun {
    ScoreState s;
    ScoreClock clock;
    long long start;
    // A run of 150 planets (scoreFactor 228.01) started at `start` seconds into the day.
    explicit ClockRun(long long startSeconds) : start(startSeconds)
    {
        s.scoreFactor = 151.0 * 151.0 / 100.0;
        s.recordScore = 1 << 30;
        clock.start(s, hms(start));
    }
    bool at(long long later) { return clock.tick(s, hms(start + later)); }
};

TEST(ScoreClock, BandsForAHundredAndFiftyPlanets)
{
    // bonus = elapsed x 228.01 to the nearest whole number.
    const std::vector<std::pair<int, int>> cases = {
        {0, 0},       {1, 3},      {5, 16},     {9, 30},  // bonus / 100 + e
        {10, 56},     {19, 106},                          // bonus / 50 + e
        {20, 248},    {29, 360},                          // bonus / 20 + e
        {30, 714},    {59, 1404},                         // bonus / 10 + e
        {60, 4620},   {119, 9163},                        // bonus / 3 + e
        {120, 27481}, {600, 137406},                      // e + bonus
    };
    for (const auto& [seconds, score] : cases) {
        ClockRun run(12 * 3600);
        run.at(seconds);
        EXPECT_EQ(run.s.runSeconds, seconds);
        EXPECT_EQ(run.s.elapsedSeconds, seconds);
        EXPECT_EQ(run.s.score, score) << seconds;
        EXPECT_EQ(scoreFor(seconds, seconds, run.s.scoreFactor), score) << seconds;
    }
    // No bonus in the run's first second, and none that overflows.
    EXPECT_EQ(scoreFor(5, 0, 228.01), 5);
    EXPECT_EQ(scoreFor(1000000, 1000000, 1e300), 2147483647);
}

TEST(ScoreClock, AnEventRestartsTheScoreButNotTheBest)
{
    ClockRun run(12 * 3600);
    run.at(30);
    ASSERT_EQ(run.s.score, 714);
    run.s.KlinK();
    run.at(40);
    EXPECT_EQ(run.s.elapsedSeconds, 10);
    EXPECT_EQ(run.s.score, 56);
    EXPECT_EQ(run.s.sessionBest, 714);
}

TEST(ScoreClock, ARunAcrossMidnightKeepsCountingForward)
{
    ClockRun run(23 * 3600 + 59 * 60 + 50);
    for (long long later : {9LL, 20LL, 620LL, 6 * 3600LL, 12 * 3600LL, 18 * 3600LL, 24 * 3600LL, 30 * 3600LL + 1}) {
        run.at(later);
        EXPECT_EQ(run.s.runSeconds, later) << later;
        EXPECT_GE(run.s.score, 0) << later;
    }
}

TEST(ScoreClock, ANewRecordIsReported)
{
    ClockRun run(12 * 3600);
    run.s.recordScore = 50;
    EXPECT_FALSE(run.at(9));
    EXPECT_TRUE(run.at(10)) << "56 beats 50";
    EXPECT_EQ(run.s.recordScore, 56);
    EXPECT_EQ(run.s.recordCheck, 8);
    EXPECT_FALSE(run.at(10)) << "56 does not beat itself";
}

TEST(ScoreClock, LivePlanetsCountsBodiesThreeToTheCount)
{
    auto w = std::make_unique<World>();
    w->bodyCount = 10;
    w->outOfPlay.fill(1);
    for (int i : {0, 1, 2, 3, 7, 10, 11}) w->outOfPlay[i] = 0;
    EXPECT_EQ(livePlanets(*w), 3);
}

TEST(ScoreClock, ClockPartsOfATimeOfDay)
{
    const ClockHms t = clockParts("23:05:09");
    EXPECT_EQ(t.hour, 23);
    EXPECT_EQ(t.minute, 5);
    EXPECT_EQ(t.second, 9);
    const ClockHms none = clockParts("");
    EXPECT_EQ(none.hour + none.minute + none.second, 0);
}

}  // namespace
}  // namespace orb
