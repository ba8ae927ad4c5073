// Keys as a desktop user presses them: the window's Ctrl commands from
// anywhere, the single keys only from the field of play and never typed into
// a field, and the ways out of a field (Enter, Escape, a click on the field of
// play) that take its value as Tab does.
#include <QApplication>
#include <QTest>

#include "WindowFixture.h"

namespace orb::test {
namespace {

class KeysTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        QApplication::setActiveWindow(&w());
    }
    // Puts the focus in a field with its cursor after the text, as a click
    // at its end would.
    Field* focusField(const QString& name)
    {
        Field* f = field(name);
        f->setFocus(Qt::MouseFocusReason);
        f->end(false);
        EXPECT_TRUE(f->hasFocus()) << name.toStdString();
        return f;
    }
    QWidget* focus() const { return QApplication::focusWidget(); }
};

TEST_F(KeysTest, TheFieldOfPlayHasTheFocusFromTheStart)
{
    EXPECT_EQ(focus(), &w().fieldView());
    type(field("TXran"), "123");
    QTest::keyClick(focus(), Qt::Key_3, Qt::ControlModifier);  // Constant Stars
    ASSERT_TRUE(w().run().running());
    QTest::keyClick(focus(), Qt::Key_Space);
    EXPECT_TRUE(w().run().paused());
}

TEST_F(KeysTest, CtrlCommandsWorkFromAField)
{
    startPreset(2);
    const struct {
        Qt::Key key;
        const char* asked;  // the save question it leads to
    } commands[] = {{Qt::Key_E, "Export picture"}, {Qt::Key_S, "Save scene"}};
    for (const auto& c : commands) {
        SCOPED_TRACE(c.asked);
        asked.clear();
        Field* f = focusField("TXt");
        QTest::keyClick(f, c.key, Qt::ControlModifier);
        EXPECT_EQ(asked, QStringList{c.asked});
        EXPECT_EQ(f->text(), "15");
    }
    // Clearing the trails from a field, and the field's own Ctrl keys still edit it.
    Field* f = focusField("TXt");
    w().canvas().pset(7680, 5760, Rgb{255, 255, 255});
    QTest::keyClick(f, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(w().canvas().image().pixel(512, 384), qRgb(0, 0, 0)) << "Ctrl+L cleared the field";
    QTest::keyClick(f, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(f->selectedText(), "15") << "Ctrl+A selects the field's text";
}

TEST_F(KeysTest, SingleKeysNeitherActNorTypeInAField)
{
    startPreset(2);
    w().simulation().setSpeed(10);
    const struct {
        Qt::Key key;
        const char* name;
    } keys[] = {{Qt::Key_Space, "Space"}, {Qt::Key_BracketRight, "]"}, {Qt::Key_BracketLeft, "["}};
    for (const auto& k : keys) {
        SCOPED_TRACE(k.name);
        for (const bool paused : {false, true}) {
            if (paused != w().run().paused()) w().pause().Command5_Click();
            Field* f = focusField("TXt");
            QTest::keyClick(f, k.key);
            EXPECT_EQ(f->text(), "15") << "nothing typed";
            EXPECT_EQ(w().run().paused(), paused) << "no pause or resume";
            EXPECT_EQ(w().simulation().speed(), 10) << "no change of speed";
        }
    }
    // The decimal point is part of a number: it types, and steps nothing.
    ASSERT_TRUE(w().run().paused());
    const long long ticks = w().simulation().ticks();
    Field* f = focusField("TXt");
    QTest::keyClick(f, Qt::Key_Period);
    EXPECT_EQ(f->text(), "15.");
    EXPECT_EQ(w().simulation().ticks(), ticks);
}

TEST_F(KeysTest, EachWayOutOfAFieldTakesItsValueAndGivesTheKeysBack)
{
    const std::vector<std::pair<const char*, std::function<void(Field*)>>> ways = {
        {"Enter", [](Field* f) { QTest::keyClick(f, Qt::Key_Return); }},
        {"Escape", [](Field* f) { QTest::keyClick(f, Qt::Key_Escape); }},
        {"a click on the field of play",
         [this](Field*) { QTest::mouseClick(&w().fieldView(), Qt::LeftButton, {}, QPoint(300, 200)); }},
    };
    int ms = 30;
    for (const auto& [name, way] : ways) {
        SCOPED_TRACE(name);
        open(recordPath());
        QApplication::setActiveWindow(&w());
        startPreset(2);
        Field* f = focusField("TXt");
        f->selectAll();
        QTest::keyClicks(f, QString::number(++ms));
        way(f);
        EXPECT_EQ(timer("Ti")->interval(), ms) << "the field was left: its handler ran";
        EXPECT_EQ(f->text(), QString::number(ms));
        EXPECT_EQ(focus(), &w().fieldView());
        // The single keys drive the run again.
        QTest::keyClick(focus(), Qt::Key_Space);
        EXPECT_TRUE(w().run().paused());
        const long long ticks = w().simulation().ticks();
        QTest::keyClick(focus(), Qt::Key_Period);
        EXPECT_EQ(w().simulation().ticks(), ticks + 1);
        EXPECT_EQ(f->text(), QString::number(ms)) << "and type nothing into the field";
    }
}

TEST_F(KeysTest, EnterInTheBodyNumberPicksTheBodyOnce)
{
    startPreset(2);
    w().pause().Command5_Click();
    int picks = 0;
    QObject::connect(field("TXTOden"), &Field::left, [&picks] { ++picks; });
    Field* f = focusField("TXTOden");
    f->selectAll();
    QTest::keyClicks(f, "2");
    QTest::keyClick(f, Qt::Key_Return);
    EXPECT_EQ(field("TxTyp")->text(), "2") << "body 2 is the small star";
    EXPECT_EQ(picks, 1);
}

}  // namespace
}  // namespace orb::test
