// How the panel reads: fields fixed for the session look it and say why, and
// long tooltips wrap into a block instead of one line across the screen.
#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QToolTip>

#include "WindowFixture.h"
#include "platform/ToolTips.h"

namespace orb::test {
namespace {

// The brightest pixel of a widget as drawn: its text.
int brightest(QWidget* w)
{
    const QImage img = w->grab().toImage();
    int most = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) most = std::max(most, qGray(img.pixel(x, y)));
    return most;
}

using FieldLookTest = WindowTest;

TEST_F(FieldLookTest, TheFactorFieldsLookFixedOnceARunStartsAndSayWhy)
{
    const char* note = "(fixed once a run has started: restart the program to change it)";
    QStringList tips;
    std::vector<int> bright;
    for (int i = 0; i < 3; ++i) {
        Field* f = field("TXw", i);
        tips << f->toolTip();
        EXPECT_FALSE(f->toolTip().contains(note));
        bright.push_back(brightest(f));
    }
    startPreset(2);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        Field* f = field("TXw", i);
        EXPECT_FALSE(f->isEnabled());
        EXPECT_EQ(f->toolTip(), tips[i] + " " + note) << "the tooltip keeps its text and adds why";
        EXPECT_LT(brightest(f), bright[i] - 40) << "greyed";
        EXPECT_LT(brightest(f), 140);
    }
    // A second run keeps them as they are.
    startPreset(3);
    EXPECT_EQ(field("TXw", 0)->toolTip(), tips[0] + " " + note);
    // Any field given a note shows it only while disabled.
    Field* seed = field("TXran");
    const QString tip = seed->toolTip();
    seed->setDisabledNote("(why)");
    EXPECT_EQ(seed->toolTip(), tip);
    seed->setEnabled(false);
    EXPECT_EQ(seed->toolTip(), tip + " (why)");
    seed->setEnabled(true);
    EXPECT_EQ(seed->toolTip(), tip);
}

TEST(ToolTipWrap, LinesStayWithinTheWidthAndKeepEveryWord)
{
    const QFontMetrics fm(QToolTip::font());
    const QString word = "Supercalifragilistic" + QString(60, 'x');
    const struct {
        const char* name;
        QString text;
    } cases[] = {
        {"short", "Start this galaxy"},
        {"long", QString("The pull of every body on every other falls off with distance. ").repeated(8).trimmed()},
        {"a word wider than the block", "Before " + word + " after"},
        {"lines of its own", "First line\nSecond line, " + QString("much longer than the first ").repeated(6)},
        {"empty", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString wrapped = wrapToolTip(c.text, fm, 400);
        for (const QString& line : wrapped.split('\n')) {
            if (line != word && !line.contains(word)) EXPECT_LE(fm.horizontalAdvance(line), 400) << line.toStdString();
        }
        EXPECT_EQ(QString(wrapped).replace('\n', ' ').simplified(), QString(c.text).replace('\n', ' ').simplified());
        if (fm.horizontalAdvance(c.text) <= 400) EXPECT_EQ(wrapped, c.text) << "nothing to wrap";
    }
    EXPECT_EQ(wrapToolTip("Keep <b>this</b> as it is", fm, 10), "Keep <b>this</b> as it is") << "rich text";
}

TEST_F(FieldLookTest, APresetsLongTooltipShowsWrapped)
{
    QPushButton* preset = button("CDp", 0);
    const QString tip = preset->toolTip();
    const QFontMetrics fm(QToolTip::font());
    ASSERT_GT(fm.horizontalAdvance(tip), 400) << "a tooltip long enough to wrap";
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), preset->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(preset, &help);
    ASSERT_TRUE(QToolTip::isVisible());
    const QStringList lines = QToolTip::text().split('\n');
    EXPECT_GT(lines.size(), 1);
    for (const QString& line : lines) EXPECT_LE(fm.horizontalAdvance(line), 400) << line.toStdString();
    EXPECT_EQ(preset->toolTip(), tip) << "the tooltip itself is as set";
    QToolTip::hideText();
}

}  // namespace
}  // namespace orb::test
