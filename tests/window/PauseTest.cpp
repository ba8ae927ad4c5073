// Pausing a run into the body editor and resuming it.
#include "WindowFixture.h"
#include "world/SceneFile.h"

namespace orb::test {
namespace {

class PauseTest : public WindowTest {
protected:
    ScoreState& scoreState() { return w().score().state(); }
    // Every control of the editor, with the marker and the switch.
    QList<QWidget*> editorControls()
    {
        QList<QWidget*> c = {field("TXTOden"), clickLabel("La(0)"), label("La(16)"), field("TxTyp"), bar("Qui"), group("Frame2"), check("Chon"), marker("Shark")};
        for (int i = 0; i < 5; ++i) c << field("TXTp", i) << label("Label6", i);
        return c;
    }
};

TEST_F(PauseTest, PauseStopsTheRunAndShowsTheEditor)
{
    startPreset(2);
    clock.advance(30 * kSecond);
    w().score().TiK_Timer();
    ASSERT_EQ(scoreState().runSeconds, 30);
    ASSERT_EQ(scoreState().clockOffset, 0);
    for (QWidget* c : editorControls()) ASSERT_TRUE(c->isHidden()) << c->objectName().toStdString();

    w().pause().Command5_Click();
    EXPECT_FALSE(timer("Ti")->enabled());
    EXPECT_FALSE(timer("TiK")->enabled());
    EXPECT_TRUE(timer("TiF")->enabled());
    EXPECT_EQ(timer("TiF")->interval(), 500);
    for (QWidget* c : editorControls()) EXPECT_FALSE(c->isHidden()) << c->objectName().toStdString();
    EXPECT_TRUE(option("Opadd", 0)->isChecked()) << "num";
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(bar("Hsp", k)->isHidden()) << k;
        EXPECT_FALSE(field("TXTp", k)->isReadOnly()) << k;
    }
    EXPECT_EQ(bar("Qui")->minimum(), 0);
    EXPECT_EQ(bar("Qui")->maximum(), 250) << "the planet count of the preset";
    EXPECT_EQ(bar("Hsp", 0)->maximum(), 15360);
    EXPECT_EQ(bar("Hsp", 1)->maximum(), 11520);
    EXPECT_EQ(label("LaChirp", 0)->text(), "Hit tab to effect changes for typed amounts");
    EXPECT_EQ(button("Command5")->text(), "Pause");
    EXPECT_EQ(scoreState().clockOffset, 30) << "KlinK";
}

TEST_F(PauseTest, ResumeHidesTheEditorAndRestartsTheRun)
{
    startPreset(2);
    w().pause().Command5_Click();
    option("Opadd", 1)->setChecked(true);  // "visual", bars shown
    scoreState().runSeconds = 44;

    w().pause().Command5_Click();
    EXPECT_TRUE(timer("Ti")->enabled());
    EXPECT_TRUE(timer("TiK")->enabled());
    EXPECT_FALSE(timer("TiF")->enabled());
    for (QWidget* c : editorControls()) EXPECT_TRUE(c->isHidden()) << c->objectName().toStdString();
    for (int k = 0; k < 4; ++k) EXPECT_TRUE(bar("Hsp", k)->isHidden()) << k;
    EXPECT_FALSE(option("Opadd", 0)->isChecked());
    EXPECT_FALSE(option("Opadd", 1)->isChecked());
    EXPECT_EQ(label("LaChirp", 0)->text(), "Hit tab to effect changes for typed amounts") << "the hint stays";
    EXPECT_EQ(scoreState().clockOffset, 44) << "KlinK";
    EXPECT_EQ(button("Command5")->text(), "Pause");

    // The next pause selects "num" again, fields editable and bars hidden.
    w().pause().Command5_Click();
    EXPECT_TRUE(option("Opadd", 0)->isChecked());
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(bar("Hsp", k)->isHidden()) << k;
        EXPECT_FALSE(field("TXTp", k)->isReadOnly()) << k;
        EXPECT_FALSE(field("TXTp", k)->isHidden()) << k;
    }
}

TEST_F(PauseTest, PauseAndResumeWithoutEditsLeaveTheBodiesAsTheyWere)
{
    startPreset(0);
    for (int k = 0; k < 40; ++k) w().simulation().Ti_Timer();
    const std::string before = sceneText(world());
    w().pause().Command5_Click();
    bar("Qui")->setValue(3);
    bar("Qui")->setValue(1);
    w().pause().Command5_Click();
    EXPECT_TRUE(sameLines(sceneText(world()), before));
}

TEST_F(PauseTest, FirstPauseSelectsTheCentralBody)
{
    startPreset(2);
    ASSERT_EQ(bar("Qui")->value(), 1);
    ASSERT_EQ(field("TXTOden")->text(), "0");
    w().pause().Command5_Click();
    EXPECT_EQ(field("TXTOden")->text(), "0");
    EXPECT_EQ(bar("Qui")->value(), 0);
    EXPECT_EQ(field("TXTp", 0)->text(), "7680");
    EXPECT_EQ(field("TXTp", 1)->text(), "5760");
}

TEST_F(PauseTest, LaterPauseSelectsBodyOneUnlessTheSelectorStandsAtOne)
{
    startPreset(2);
    w().pause().Command5_Click();
    bar("Qui")->setValue(7);
    w().pause().Command5_Click();
    w().pause().Command5_Click();
    EXPECT_EQ(field("TXTOden")->text(), "1") << "selector at 7";
    EXPECT_EQ(field("TXTp", 0)->text(), "6912");

    // At 1, the body named in the number field is shown.
    ASSERT_EQ(bar("Qui")->value(), 1);
    field("TXTOden")->setText("2");
    w().pause().Command5_Click();
    w().pause().Command5_Click();
    EXPECT_EQ(field("TXTOden")->text(), "2");
    EXPECT_EQ(bar("Qui")->value(), 2);
    EXPECT_EQ(field("TXTp", 0)->text(), "8448");
}

TEST_F(PauseTest, APauseRestartsTheScoreClockFromTheLastTickBeforeIt)
{
    startPreset(2);
    clock.advance(500 * kSecond);
    w().score().TiK_Timer();
    ASSERT_EQ(scoreState().elapsedSeconds, 500);
    w().pause().Command5_Click();
    clock.advance(100 * kSecond);
    w().pause().Command5_Click();
    w().score().TiK_Timer();
    EXPECT_EQ(scoreState().runSeconds, 600);
    EXPECT_EQ(scoreState().elapsedSeconds, 100);
    EXPECT_EQ(label("LaTT")->text(), "100");
}

TEST_F(PauseTest, TheSelectorReachesTheBodiesOfARunCountedFromANegativeText)
{
    field("TXn")->setText("-150");
    w().go().Command2_Click();
    ASSERT_EQ(world().bodyCount, 150);
    w().pause().Command5_Click();
    EXPECT_EQ(bar("Qui")->minimum(), 0);
    EXPECT_EQ(bar("Qui")->maximum(), 150);
    EXPECT_EQ(field("TXTOden")->text(), "0");
    bar("Qui")->setValue(150);
    EXPECT_EQ(field("TXTOden")->text(), "150");
}

TEST_F(PauseTest, TheSelectorReachesTheWholePlanetCount)
{
    startPreset(4);  // 600 planets
    w().pause().Command5_Click();
    EXPECT_EQ(bar("Qui")->maximum(), 600);
    bar("Qui")->setValue(600);
    EXPECT_EQ(field("TXTOden")->text(), "600");
}

}  // namespace
}  // namespace orb::test

namespace orb::test {
namespace {

// A body flung far away (a scene file may hold one) is marked off the field,
// never through an integer it does not fit.
TEST_F(PauseTest, AFarAwayBodyIsMarkedOffTheField)
{
    startPreset(2);
    world().posX[1] = 1e308;
    world().posY[1] = -1e308;
    type(field("TXTOden"), "1");
    w().pause().Command5_Click();
    const QRect at = marker("Shark")->geometry();
    EXPECT_FALSE(w().fieldView().rect().intersects(at));
    EXPECT_LE(std::abs(at.x()), 1000000);
    EXPECT_LE(std::abs(at.y()), 1000000);
    EXPECT_EQ(world().posX[1], 32768) << "showing the body ranges it";
}

}  // namespace
}  // namespace orb::test
