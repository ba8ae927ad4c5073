// Go, "Auto C" and the automatic clear.
#include "WindowFixture.h"

namespace orb::test {
namespace {

class GoTest : public WindowTest {};

TEST_F(GoTest, ColoursThePairAndThePlanetsFromBlueToGreen)
{
    ScriptedRandom rnd({0.0f, 0.99999f}, 0.5f);
    open(recordPath(), &rnd);
    w().TXn->setText("150");
    w().Command2_Click();
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
    w().TXn->setText("999");
    w().Command2_Click();
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
    w().TXn->setText("-150");
    w().Command2_Click();
    EXPECT_EQ(world().bodyCount, 150);
    EXPECT_EQ(rnd.drawn, 0);
    EXPECT_EQ(world().colGreen[3], 0);
    EXPECT_EQ(world().colBlue[3], 0);
    EXPECT_DOUBLE_EQ(world().scoreFactor, 228.01);
}

TEST_F(GoTest, ReadsTheSettingsIntoTheWorld)
{
    w().Text7->setText("7");
    w().Text5->setText("2.5");  // halves to even
    w().Text1->setText("4.5");
    w().TXn->setText("40");
    w().Command2_Click();
    EXPECT_EQ(world().taggedBody, 7);
    EXPECT_EQ(world().coreRadius, 2);
    EXPECT_EQ(world().planetRadius, 4);
    EXPECT_EQ(world().bodyCount, 40);
    EXPECT_DOUBLE_EQ(world().scoreFactor, 41.0 * 41.0 / 100.0);
    EXPECT_EQ(world().startClock.hour, 12);
    EXPECT_EQ(world().startClock.minute, 0);
    EXPECT_EQ(world().startClock.second, 0);
    EXPECT_EQ(world().clockText, "12:00:00");
}

TEST_F(GoTest, StampsTheStartTimeOfDay)
{
    clock.set(((9 * 60 + 41) * 60 + 7) * kSecond + 999);
    w().Command2_Click();
    EXPECT_EQ(world().clockText, "09:41:07");
    EXPECT_EQ(world().startClock.hour, 9);
    EXPECT_EQ(world().startClock.minute, 41);
    EXPECT_EQ(world().startClock.second, 7);
}

TEST_F(GoTest, RearrangesThePanelForARun)
{
    ASSERT_TRUE(w().Command5->isHidden());
    ASSERT_TRUE(w().Command4->isHidden());
    ASSERT_FALSE(w().ImMoon->isHidden());
    w().Command2_Click();
    EXPECT_FALSE(w().Command5->isHidden()) << "Pause";
    EXPECT_TRUE(w().Command2->isHidden()) << "Go";
    EXPECT_FALSE(w().Command4->isHidden()) << "Clear";
    EXPECT_FALSE(w().CHr->isHidden()) << "Auto C";
    EXPECT_FALSE(w().TXref->isHidden());
    EXPECT_TRUE(w().CHran->isHidden()) << "Random";
    EXPECT_TRUE(w().ImMoon->isHidden());
    for (auto* f : w().TXw) EXPECT_FALSE(f->isEnabled()) << f->objectName().toStdString();
}

TEST_F(GoTest, StartsTheTickAndTheScoreClock)
{
    w().TXt->setText("20");
    w().Command2_Click();
    EXPECT_TRUE(w().Ti->enabled());
    EXPECT_EQ(w().Ti->interval(), 20);
    EXPECT_TRUE(w().TiK->enabled());
    EXPECT_FALSE(w().Tiball->enabled()) << "Auto C is unchecked";
}

TEST_F(GoTest, AnIntervalOfZeroOrLessKeepsTheLastOne)
{
    w().CHr->setChecked(true);
    w().TXt->setText("20");
    w().TXref->setText("3");
    w().Command2_Click();
    ASSERT_EQ(w().Ti->interval(), 20);
    ASSERT_EQ(w().Tiball->interval(), 3000);
    for (const char* bad : {"0", "-5", "abc"}) {
        w().TXt->setText(bad);
        w().TXref->setText(bad);
        w().Command2_Click();
        EXPECT_EQ(w().Ti->interval(), 20) << bad;
        EXPECT_EQ(w().Tiball->interval(), 3000) << bad;
        EXPECT_TRUE(w().Ti->enabled()) << bad;
        EXPECT_TRUE(w().Tiball->enabled()) << bad;
    }
}

TEST_F(GoTest, AutoCheckedAtGoStartsTheClearTimer)
{
    w().CHr->setChecked(true);
    w().TXref->setText("7");
    w().Command2_Click();
    EXPECT_TRUE(w().Tiball->enabled());
    EXPECT_EQ(w().Tiball->interval(), 7000);
}

TEST_F(GoTest, ANewRunStartsItsScoreClockFromZero)
{
    w().Command2_Click();
    clock.advance(50 * kSecond);
    w().TiK_Timer();
    world().KlinK();
    clock.advance(5 * kSecond);
    w().TiK_Timer();
    ASSERT_EQ(world().runSeconds, 55);
    ASSERT_EQ(world().clockOffset, 50);
    w().Command2_Click();
    EXPECT_EQ(world().runSeconds, 0);
    EXPECT_EQ(world().clockOffset, 0);
    clock.advance(3 * kSecond);
    w().TiK_Timer();
    EXPECT_EQ(world().runSeconds, 3);
    EXPECT_EQ(world().elapsedSeconds, 3);
}

TEST_F(GoTest, AutoCHandlerShowsTheTimeFieldAndRestartsTheClearTimer)
{
    w().TXref->setText("6");
    w().CHr->setChecked(true);
    EXPECT_FALSE(w().TXref->isHidden());
    EXPECT_TRUE(w().Tiball->enabled());
    EXPECT_EQ(w().Tiball->interval(), 6000);

    // Checking again restarts the count with the new interval.
    w().CHr->setChecked(false);
    EXPECT_TRUE(w().TXref->isHidden());
    EXPECT_FALSE(w().Tiball->enabled());
    w().TXref->setText("2");
    w().CHr->setChecked(true);
    EXPECT_EQ(w().Tiball->interval(), 2000);
    EXPECT_TRUE(w().Tiball->enabled());

    // A clear time of 0 gives no interval: the last one stays.
    w().CHr->setChecked(false);
    w().TXref->setText("0");
    w().CHr->setChecked(true);
    EXPECT_EQ(w().Tiball->interval(), 2000);
    EXPECT_TRUE(w().Tiball->enabled());
}

TEST_F(GoTest, TheAutomaticClearClearsOnlyWhileRunning)
{
    const QPoint px(7680 / 15, 5760 / 15);
    auto dot = [&] { w().canvas().pset(7680, 5760, Rgb{255, 255, 255}); };
    auto lit = [&] { return w().canvas().image().pixel(px) != qRgb(0, 0, 0); };

    startPreset();
    dot();
    ASSERT_TRUE(lit());
    w().Tiball_Timer();
    EXPECT_FALSE(lit()) << "running: cleared";

    w().Command5_Click();  // pause
    ASSERT_FALSE(w().TXTOden->isHidden());
    dot();
    w().Tiball_Timer();
    EXPECT_TRUE(lit()) << "paused: the picture stays";

    w().Command5_Click();  // resume
    w().Tiball_Timer();
    EXPECT_FALSE(lit());
}

}  // namespace
}  // namespace orb::test
