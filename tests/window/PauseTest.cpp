// Pausing a run into the body editor and resuming it.
#include "WindowFixture.h"
#include "world/SceneFile.h"

namespace orb::test {
namespace {

class PauseTest : public WindowTest {
protected:
    // Every control of the editor, with the marker and the switch.
    QList<QWidget*> editorControls()
    {
        QList<QWidget*> c = {w().TXTOden, w().La0, w().La16, w().TxTyp, w().Qui, w().Frame2, w().Chon, w().Shark};
        for (int i = 0; i < 5; ++i) c << w().TXTp[i] << w().Label6[i];
        return c;
    }
};

TEST_F(PauseTest, PauseStopsTheRunAndShowsTheEditor)
{
    startPreset(2);
    clock.advance(30 * kSecond);
    w().TiK_Timer();
    ASSERT_EQ(world().runSeconds, 30);
    ASSERT_EQ(world().clockOffset, 0);
    for (QWidget* c : editorControls()) ASSERT_TRUE(c->isHidden()) << c->objectName().toStdString();

    w().Command5_Click();
    EXPECT_FALSE(w().Ti->enabled());
    EXPECT_FALSE(w().TiK->enabled());
    EXPECT_TRUE(w().TiF->enabled());
    EXPECT_EQ(w().TiF->interval(), 500);
    for (QWidget* c : editorControls()) EXPECT_FALSE(c->isHidden()) << c->objectName().toStdString();
    EXPECT_TRUE(w().Opadd[0]->isChecked()) << "num";
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(w().Hsp[k]->isHidden()) << k;
        EXPECT_FALSE(w().TXTp[k]->isReadOnly()) << k;
    }
    EXPECT_EQ(w().Qui->minimum(), 0);
    EXPECT_EQ(w().Qui->maximum(), 250) << "the planet count of the preset";
    EXPECT_EQ(w().Hsp[0]->maximum(), 15360);
    EXPECT_EQ(w().Hsp[1]->maximum(), 11520);
    EXPECT_EQ(w().LaChirp[0]->text(), "Hit tab to effect changes for typed amounts");
    EXPECT_EQ(w().Command5->text(), "Pause");
    EXPECT_EQ(world().clockOffset, 30) << "KlinK";
}

TEST_F(PauseTest, ResumeHidesTheEditorAndRestartsTheRun)
{
    startPreset(2);
    w().Command5_Click();
    w().Opadd[1]->setChecked(true);  // "visual", bars shown
    world().runSeconds = 44;

    w().Command5_Click();
    EXPECT_TRUE(w().Ti->enabled());
    EXPECT_TRUE(w().TiK->enabled());
    EXPECT_FALSE(w().TiF->enabled());
    for (QWidget* c : editorControls()) EXPECT_TRUE(c->isHidden()) << c->objectName().toStdString();
    for (auto* h : w().Hsp) EXPECT_TRUE(h->isHidden());
    EXPECT_FALSE(w().Opadd[0]->isChecked());
    EXPECT_FALSE(w().Opadd[1]->isChecked());
    EXPECT_EQ(w().LaChirp[0]->text(), "Hit tab to effect changes for typed amounts") << "the hint stays";
    EXPECT_EQ(world().clockOffset, 44) << "KlinK";
    EXPECT_EQ(w().Command5->text(), "Pause");

    // The next pause selects "num" again, fields editable and bars hidden.
    w().Command5_Click();
    EXPECT_TRUE(w().Opadd[0]->isChecked());
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(w().Hsp[k]->isHidden()) << k;
        EXPECT_FALSE(w().TXTp[k]->isReadOnly()) << k;
        EXPECT_FALSE(w().TXTp[k]->isHidden()) << k;
    }
}

TEST_F(PauseTest, PauseAndResumeWithoutEditsLeaveTheBodiesAsTheyWere)
{
    startPreset(0);
    for (int k = 0; k < 40; ++k) w().Ti_Timer();
    const std::string before = sceneText(world());
    w().Command5_Click();
    w().Qui->setValue(3);
    w().Qui->setValue(1);
    w().Command5_Click();
    EXPECT_TRUE(sameLines(sceneText(world()), before));
}

TEST_F(PauseTest, FirstPauseSelectsTheCentralBody)
{
    startPreset(2);
    ASSERT_EQ(w().Qui->value(), 1);
    ASSERT_EQ(w().TXTOden->text(), "0");
    w().Command5_Click();
    EXPECT_EQ(w().TXTOden->text(), "0");
    EXPECT_EQ(w().Qui->value(), 0);
    EXPECT_EQ(w().TXTp[0]->text(), "7680");
    EXPECT_EQ(w().TXTp[1]->text(), "5760");
}

TEST_F(PauseTest, LaterPauseSelectsBodyOneUnlessTheSelectorStandsAtOne)
{
    startPreset(2);
    w().Command5_Click();
    w().Qui->setValue(7);
    w().Command5_Click();
    w().Command5_Click();
    EXPECT_EQ(w().TXTOden->text(), "1") << "selector at 7";
    EXPECT_EQ(w().TXTp[0]->text(), "6912");

    // At 1, the body named in the number field is shown.
    ASSERT_EQ(w().Qui->value(), 1);
    w().TXTOden->setText("2");
    w().Command5_Click();
    w().Command5_Click();
    EXPECT_EQ(w().TXTOden->text(), "2");
    EXPECT_EQ(w().Qui->value(), 2);
    EXPECT_EQ(w().TXTp[0]->text(), "8448");
}

TEST_F(PauseTest, APauseRestartsTheScoreClockFromTheLastTickBeforeIt)
{
    startPreset(2);
    clock.advance(500 * kSecond);
    w().TiK_Timer();
    ASSERT_EQ(world().elapsedSeconds, 500);
    w().Command5_Click();
    clock.advance(100 * kSecond);
    w().Command5_Click();
    w().TiK_Timer();
    EXPECT_EQ(world().runSeconds, 600);
    EXPECT_EQ(world().elapsedSeconds, 100);
    EXPECT_EQ(w().LaTT->text(), "100");
}

TEST_F(PauseTest, TheSelectorReachesTheBodiesOfARunCountedFromANegativeText)
{
    w().TXn->setText("-150");
    w().Command2_Click();
    ASSERT_EQ(world().bodyCount, 150);
    w().Command5_Click();
    EXPECT_EQ(w().Qui->minimum(), 0);
    EXPECT_EQ(w().Qui->maximum(), 150);
    EXPECT_EQ(w().TXTOden->text(), "0");
    w().Qui->setValue(150);
    EXPECT_EQ(w().TXTOden->text(), "150");
}

TEST_F(PauseTest, TheSelectorReachesTheWholePlanetCount)
{
    startPreset(4);  // 600 planets
    w().Command5_Click();
    EXPECT_EQ(w().Qui->maximum(), 600);
    w().Qui->setValue(600);
    EXPECT_EQ(w().TXTOden->text(), "600");
}

}  // namespace
}  // namespace orb::test
