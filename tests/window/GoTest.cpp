// Go, "Auto C" and the automatic clear.
#include "WindowFixture.h"

namespace orb::test {
namespace {

class GoTest : public WindowTest {
protected:
    const ScoreState& scoreState() { return w().score().state(); }
};

TEST_F(GoTest, ColoursThePairAndThePlanetsFromBlueToGreen)
{
    ScriptedRandom rnd({0.0f, 0.99999f}, 0.5f);
    open(recordPath(), &rnd);
    field("TXn")->setText("150");
    w().go().Command2_Click();
    const World& s = world();

    EXPECT_EQ((std::array{s.colRed[1], s.colGreen[1], s.colBlue[1]}), (std::array{255.f, 0.f, 0.f}));
    EXPECT_EQ((std::array{s.colRed[2], s.colGreen[2], s.colBlue[2]}), (std::array{255.f, 191.f, 0.f}));
    EXPECT_EQ(s.colGreen[3], 5);
    EXPECT_EQ(s.colBlue[3], 250);
    EXPECT_EQ(s.colGreen[150], 255);
    EXPECT_EQ(s.colBlue[150], 0);
    // Red is Int(Rnd * 150) + 50: the extremes of Rnd give 50 and 199.
    EXPECT_EQ(s.colRed[3], 50);
    EXPECT_EQ(s.colRed[4], 199);
    EXPECT_EQ(s.colRed[5], 125);
    EXPECT_EQ(rnd.drawn, 148);  // one per planet 3..150
    EXPECT_EQ(s.colGreen[151], 0) << "slots above the count keep their colour";
}

TEST_F(GoTest, PlanetRedsStayWithin50To199WithTheRealGenerator)
{
    field("TXn")->setText("999");
    w().go().Command2_Click();
    for (int k = 3; k <= 999; ++k) {
        const float r = world().colRed[k];
        ASSERT_TRUE(r >= 50 && r <= 199 && r == std::floor(r)) << "body " << k << " red " << r;
        ASSERT_EQ(world().colGreen[k] + world().colBlue[k], 255) << "body " << k;
    }
}

TEST_F(GoTest, NegativeCountColoursNothingButCountsItsAbsoluteValue)
{
    ScriptedRandom rnd;
    open(recordPath(), &rnd);
    field("TXn")->setText("-150");
    w().go().Command2_Click();
    EXPECT_EQ(world().bodyCount, 150);
    EXPECT_EQ(rnd.drawn, 0);
    EXPECT_EQ(world().colGreen[3], 0);
    EXPECT_EQ(world().colBlue[3], 0);
    EXPECT_DOUBLE_EQ(scoreState().scoreFactor, 228.01);
}

TEST_F(GoTest, ReadsTheSettingsIntoTheWorld)
{
    field("Text7")->setText("7");
    field("Text5")->setText("2.5");  // halves to even
    field("Text1")->setText("4.5");
    field("TXn")->setText("40");
    w().go().Command2_Click();
    EXPECT_EQ(world().taggedBody, 7);
    EXPECT_EQ(world().coreRadius, 2);
    EXPECT_EQ(world().planetRadius, 4);
    EXPECT_EQ(world().bodyCount, 40);
    EXPECT_DOUBLE_EQ(scoreState().scoreFactor, 41.0 * 41.0 / 100.0);
    EXPECT_EQ(scoreState().startClock.hour, 12);
    EXPECT_EQ(scoreState().startClock.minute, 0);
    EXPECT_EQ(scoreState().startClock.second, 0);
    EXPECT_EQ(scoreState().clockText, "12:00:00");
}

TEST_F(GoTest, StampsTheStartTimeOfDay)
{
    clock.set(((9 * 60 + 41) * 60 + 7) * kSecond + 999);
    w().go().Command2_Click();
    EXPECT_EQ(scoreState().clockText, "09:41:07");
    EXPECT_EQ(scoreState().startClock.hour, 9);
    EXPECT_EQ(scoreState().startClock.minute, 41);
    EXPECT_EQ(scoreState().startClock.second, 7);
}

TEST_F(GoTest, RearrangesThePanelForARun)
{
    ASSERT_TRUE(button("Command5")->isHidden());
    ASSERT_TRUE(button("Command4")->isHidden());
    ASSERT_FALSE(clickLabel("ImMoon")->isHidden());
    w().go().Command2_Click();
    EXPECT_FALSE(button("Command5")->isHidden()) << "Pause";
    EXPECT_TRUE(button("Command2")->isHidden()) << "Go";
    EXPECT_FALSE(button("Command4")->isHidden()) << "Clear";
    EXPECT_FALSE(check("CHr")->isHidden()) << "Auto C";
    EXPECT_FALSE(field("TXref")->isHidden());
    EXPECT_TRUE(check("CHran")->isHidden()) << "Random";
    EXPECT_TRUE(clickLabel("ImMoon")->isHidden());
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(field("TXw", i)->isEnabled()) << i;
}

TEST_F(GoTest, StartsTheTickAndTheScoreClock)
{
    field("TXt")->setText("20");
    w().go().Command2_Click();
    EXPECT_TRUE(timer("Ti")->enabled());
    EXPECT_EQ(timer("Ti")->interval(), 20);
    EXPECT_TRUE(timer("TiK")->enabled());
    EXPECT_FALSE(timer("Tiball")->enabled()) << "Auto C is unchecked";
}

TEST_F(GoTest, AnIntervalOfZeroOrLessKeepsTheLastOne)
{
    check("CHr")->setChecked(true);
    field("TXt")->setText("20");
    field("TXref")->setText("3");
    w().go().Command2_Click();
    ASSERT_EQ(timer("Ti")->interval(), 20);
    ASSERT_EQ(timer("Tiball")->interval(), 3000);
    for (const char* bad : {"0", "-5", "abc"}) {
        field("TXt")->setText(bad);
        field("TXref")->setText(bad);
        w().go().Command2_Click();
        EXPECT_EQ(timer("Ti")->interval(), 20) << bad;
        EXPECT_EQ(timer("Tiball")->interval(), 3000) << bad;
        EXPECT_TRUE(timer("Ti")->enabled()) << bad;
        EXPECT_TRUE(timer("Tiball")->enabled()) << bad;
    }
}

TEST_F(GoTest, AutoCheckedAtGoStartsTheClearTimer)
{
    check("CHr")->setChecked(true);
    field("TXref")->setText("7");
    w().go().Command2_Click();
    EXPECT_TRUE(timer("Tiball")->enabled());
    EXPECT_EQ(timer("Tiball")->interval(), 7000);
}

TEST_F(GoTest, ANewRunStartsItsScoreClockFromZero)
{
    w().go().Command2_Click();
    clock.advance(50 * kSecond);
    w().score().TiK_Timer();
    w().score().KlinK();
    clock.advance(5 * kSecond);
    w().score().TiK_Timer();
    ASSERT_EQ(scoreState().runSeconds, 55);
    ASSERT_EQ(scoreState().clockOffset, 50);
    w().go().Command2_Click();
    EXPECT_EQ(scoreState().runSeconds, 0);
    EXPECT_EQ(scoreState().clockOffset, 0);
    clock.advance(3 * kSecond);
    w().score().TiK_Timer();
    EXPECT_EQ(scoreState().runSeconds, 3);
    EXPECT_EQ(scoreState().elapsedSeconds, 3);
}

TEST_F(GoTest, AutoCHandlerShowsTheTimeFieldAndRestartsTheClearTimer)
{
    field("TXref")->setText("6");
    check("CHr")->setChecked(true);
    EXPECT_FALSE(field("TXref")->isHidden());
    EXPECT_TRUE(timer("Tiball")->enabled());
    EXPECT_EQ(timer("Tiball")->interval(), 6000);

    // Checking again restarts the count with the new interval.
    check("CHr")->setChecked(false);
    EXPECT_TRUE(field("TXref")->isHidden());
    EXPECT_FALSE(timer("Tiball")->enabled());
    field("TXref")->setText("2");
    check("CHr")->setChecked(true);
    EXPECT_EQ(timer("Tiball")->interval(), 2000);
    EXPECT_TRUE(timer("Tiball")->enabled());

    // A clear time of 0 gives no interval: the last one stays.
    check("CHr")->setChecked(false);
    field("TXref")->setText("0");
    check("CHr")->setChecked(true);
    EXPECT_EQ(timer("Tiball")->interval(), 2000);
    EXPECT_TRUE(timer("Tiball")->enabled());
}

TEST_F(GoTest, TheAutomaticClearClearsOnlyWhileRunning)
{
    const QPoint px(7680 / 15, 5760 / 15);
    auto dot = [&] { w().canvas().pset(7680, 5760, Rgb{255, 255, 255}); };
    auto lit = [&] { return w().canvas().image().pixel(px) != qRgb(0, 0, 0); };

    startPreset();
    dot();
    ASSERT_TRUE(lit());
    w().go().Tiball_Timer();
    EXPECT_FALSE(lit()) << "running: cleared";

    w().pause().Command5_Click();  // pause
    ASSERT_FALSE(field("TXTOden")->isHidden());
    dot();
    w().go().Tiball_Timer();
    EXPECT_TRUE(lit()) << "paused: the picture stays";

    w().pause().Command5_Click();  // resume
    w().go().Tiball_Timer();
    EXPECT_FALSE(lit());
}

}  // namespace
}  // namespace orb::test
