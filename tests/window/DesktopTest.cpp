// Driving the window as a desktop program: menus and keys, speed and step, a
// panel that stays where it is, and a window that fits the screen.
#include <QApplication>
#include <QComboBox>
#include <QScrollArea>
#include <QTest>

#include "WindowFixture.h"
#include "app/Headless.h"
#include "base/Numbers.h"
#include "world/SceneFile.h"

namespace orb::test {
namespace {

class DesktopTest : public WindowTest {
protected:
    QAction* act(const char* name) { return w().action(name); }
    // Where a control stands in the window.
    QRect placeOf(QWidget* c) { return QRect(c->mapTo(&w(), QPoint(0, 0)), c->size()); }
    // A key pressed with the window in front, as a user would.
    void key(QKeySequence keys, QWidget* to = nullptr)
    {
        QApplication::setActiveWindow(&w());
        QTest::keySequence(to ? to : static_cast<QWidget*>(&w()), keys);
    }
};

TEST_F(DesktopTest, TheMenusNameEveryActionTheRunnerKnows)
{
    QStringList names;
    for (QAction* a : w().menuActions()) names << a->objectName();
    EXPECT_EQ(names, menuActionNames());
    // The standard keys of the desktop, or the usual ones where it names none.
    const struct {
        const char* action;
        QKeySequence::StandardKey key;
        const char* usual;
    } keys[] = {{"Open", QKeySequence::Open, "Ctrl+O"},
                {"Save", QKeySequence::Save, "Ctrl+S"},
                {"Quit", QKeySequence::Quit, "Ctrl+Q"},
                {"HomePage", QKeySequence::HelpContents, "F1"},
                {"FullScreen", QKeySequence::FullScreen, "F11"}};
    for (const auto& k : keys) {
        const QKeySequence standard(k.key);
        EXPECT_EQ(act(k.action)->shortcut(), standard.isEmpty() ? QKeySequence(k.usual) : standard) << k.action;
    }
}

TEST_F(DesktopTest, KeysDriveARunFromStartToQuit)
{
    EXPECT_FALSE(act("PauseResume")->isEnabled()) << "no run yet";
    field("TXran")->setText("123");
    key(QKeySequence("Ctrl+3"));  // Constant Stars
    EXPECT_TRUE(w().run().running());
    EXPECT_EQ(field("TXn")->text(), "250");

    key(QKeySequence(Qt::Key_Space));
    EXPECT_TRUE(w().run().paused());
    EXPECT_TRUE(w().fieldView().paused()) << "the field says so";
    EXPECT_FALSE(field("TxTyp")->isHidden());

    // Space in a field is neither typed nor a resume.
    const QString gravity = field("TXTp", 4)->text();
    field("TXTp", 4)->setFocus();
    QTest::keyClick(field("TXTp", 4), Qt::Key_Space);
    EXPECT_TRUE(w().run().paused());
    EXPECT_EQ(field("TXTp", 4)->text(), gravity);
    QTest::keyClick(field("TXTp", 4), Qt::Key_Escape);

    key(QKeySequence(Qt::Key_Space));
    EXPECT_TRUE(w().run().running());
    EXPECT_FALSE(w().fieldView().paused());

    key(act("Quit")->shortcut());
    EXPECT_EQ(ended, 1);
}

TEST_F(DesktopTest, TenTimesTheSpeedIsTenTicksABeat)
{
    auto galaxy = [&](int speed, int beats) {
        open(recordPath());
        type(field("TXran"), "77");
        w().presets().CDp_Click(4);
        w().simulation().setSpeed(speed);
        for (int k = 0; k < beats; ++k) w().simulation().Ti_Timer();
        return sceneText(world());
    };
    const std::string ten = galaxy(10, 30);
    EXPECT_TRUE(sameLines(ten, galaxy(1, 300)));
    EXPECT_EQ(w().simulation().ticks(), 300);
    EXPECT_EQ(qobject_cast<QComboBox*>(w().control("Speed"))->currentText(), "1x");

    // The menu and the speed box agree, and ] and [ step through the speeds.
    act("Speed100x")->trigger();
    EXPECT_EQ(w().simulation().speed(), 100);
    EXPECT_EQ(qobject_cast<QComboBox*>(w().control("Speed"))->currentText(), "100x");
    key(QKeySequence(Qt::Key_BracketRight));
    EXPECT_EQ(w().simulation().speed(), 0) << "Max";
    EXPECT_TRUE(act("SpeedMax")->isChecked());
    key(QKeySequence(Qt::Key_BracketRight));
    EXPECT_EQ(w().simulation().speed(), 0) << "nothing beyond Max";
    key(QKeySequence(Qt::Key_BracketLeft));
    EXPECT_EQ(w().simulation().speed(), 100);

    // Max runs more than one tick on a beat, and a fixed count when told to.
    w().simulation().setSpeed(0);
    w().simulation().setFixedMax(50);
    const long long before = w().simulation().ticks();
    w().simulation().Ti_Timer();
    EXPECT_EQ(w().simulation().ticks() - before, 50);
}

TEST_F(DesktopTest, StepRunsOneTickWhilePausedAndShowsTheBody)
{
    startPreset(2);
    for (int k = 0; k < 5; ++k) w().simulation().Ti_Timer();
    EXPECT_FALSE(act("Step")->isEnabled()) << "only while paused";
    w().pause().Command5_Click();
    ASSERT_TRUE(act("Step")->isEnabled());
    type(field("TXTOden"), "1");
    const QString x = field("TXTp", 0)->text();
    const long long ticks = w().simulation().ticks();
    key(QKeySequence(Qt::Key_Period));
    EXPECT_EQ(w().simulation().ticks(), ticks + 1);
    EXPECT_NE(field("TXTp", 0)->text(), x) << "the editor shows the body where it went";
    EXPECT_EQ(field("TXTp", 0)->text(), QString::fromStdString(numText(world().posX[1])));
    EXPECT_TRUE(w().run().paused());
    EXPECT_FALSE(timer("Ti")->enabled());
}

TEST_F(DesktopTest, NothingMovesUnderThePointer)
{
    auto places = [&] {
        QList<QRect> r;
        for (int i = 0; i < 5; ++i) r << placeOf(button("CDp", i));
        r << placeOf(check("CHr")) << placeOf(field("TXref")) << placeOf(button("Command4"));
        r << placeOf(get<QGroupBox>("FrameScore")) << placeOf(get<QWidget>("panelTabs"));
        return r;
    };
    w().resize(1280, 800);
    QApplication::processEvents();
    const QList<QRect> atLoad = places();
    startPreset(4);
    QApplication::processEvents();
    EXPECT_EQ(places(), atLoad) << "after a preset";
    check("CHr")->click();  // Auto C off: its time field goes
    QApplication::processEvents();
    EXPECT_TRUE(field("TXref")->isHidden());
    EXPECT_EQ(places(), atLoad) << "after Auto C";
    w().pause().Command5_Click();
    QApplication::processEvents();
    EXPECT_EQ(places(), atLoad) << "while paused";
    option("Opadd", 1)->click();  // the scroll bars show
    QApplication::processEvents();
    EXPECT_EQ(places(), atLoad) << "with the scroll bars";
    w().pause().Command5_Click();
    QApplication::processEvents();
    EXPECT_EQ(places(), atLoad) << "after resuming";
}

TEST_F(DesktopTest, TheWindowFitsTheScreenAndThePanelScrollsOnlyDownwards)
{
    // A title bar and borders as a window manager draws them.
    const QMargins frame(4, 28, 4, 4);
    for (const QRect& screen : {QRect(0, 0, 1280, 800), QRect(0, 32, 1280, 768), QRect(0, 0, 1600, 1000)}) {
        const QRect at = Fs4x3::placement(screen, frame);
        EXPECT_TRUE(screen.contains(at.marginsAdded(frame))) << screen.width() << "x" << screen.height();
        w().setGeometry(at);
        QApplication::processEvents();
        auto* scroll = get<QScrollArea>("panelScroll");
        EXPECT_EQ(scroll->width(), Fs4x3::kPanelWidth);
        EXPECT_EQ(scroll->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        // Nothing on the panel is cut off at the right.
        EXPECT_LE(scroll->widget()->minimumSizeHint().width(), scroll->viewport()->width());
        EXPECT_GE(w().fieldView().width(), 640) << "the field keeps most of the window";
    }
}

TEST_F(DesktopTest, EnterInTheBodyNumberPicksTheBody)
{
    startPreset(2);
    w().pause().Command5_Click();
    field("TXTOden")->setFocus();
    field("TXTOden")->selectAll();
    QTest::keyClicks(field("TXTOden"), "2");
    QTest::keyClick(field("TXTOden"), Qt::Key_Return);
    EXPECT_EQ(field("TxTyp")->text(), "2") << "body 2 is the small star";
    EXPECT_EQ(field("TXTp", 0)->text(), QString::fromStdString(numText(world().posX[2])));
    // Numbers read from their first digit.
    world().gravity[2] = 40.1999999999992;
    w().editor().Asgard();
    EXPECT_EQ(field("TXTp", 4)->cursorPosition(), 0);
}

TEST_F(DesktopTest, ANewTickIntervalCountsWhenItsFieldIsLeft)
{
    startPreset(2);
    ASSERT_EQ(timer("Ti")->interval(), 15);
    type(field("TXt"), "40");
    EXPECT_EQ(timer("Ti")->interval(), 40);
    EXPECT_TRUE(timer("Ti")->enabled());
    w().pause().Command5_Click();
    type(field("TXt"), "25");
    EXPECT_EQ(timer("Ti")->interval(), 25);
    EXPECT_FALSE(timer("Ti")->enabled()) << "a pause stays a pause";
}

}  // namespace
}  // namespace orb::test
