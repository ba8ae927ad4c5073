// The window holds still: the field, the panel and the rotation curve keep
// their places and sizes through a whole run, whatever the texts and the
// charts show; only the user's own splitters and window moves change them.
#include <QApplication>
#include <QDockWidget>
#include <QScrollArea>
#include <map>

#include "WindowFixture.h"
#include "panel/CurvePanel.h"
#include "scenario/PresetTable.h"

namespace orb::test {
namespace {

class LayoutTest : public WindowTest {
protected:
    // Where each part stands in the window, by its name.
    std::map<std::string, QRect> places()
    {
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        std::map<std::string, QRect> at;
        for (const char* name : {"field", "panelScroll", "CurveDock", "CurveTabs", "CurveCaption"}) {
            auto* widget = w().findChild<QWidget*>(name);
            EXPECT_NE(widget, nullptr) << name;
            if (widget) at[name] = QRect(widget->mapTo(&w(), QPoint(0, 0)), widget->size());
        }
        return at;
    }
};

TEST_F(LayoutTest, NothingMovesOrResizesThroughARun)
{
    for (const QSize screen : {QSize(1280, 800), QSize(1600, 1000)}) {
        SCOPED_TRACE(screen.width());
        open(recordPath());
        w().resize(screen);
        w().action("CurvePanel")->trigger();
        const auto before = places();
        // With the curve open the field keeps the room to be watched.
        EXPECT_GE(before.at("field").width(), 600);
        EXPECT_GE(before.at("CurveTabs").height(), 250) << "room for a readable chart";

        // A run as a user drives it: a galaxy, Max, a pause, NGC 3198, a new
        // exponent, a resume, another galaxy with its longer explanation.
        w().presets().CDp_Click(4);
        w().simulation().setSpeed(0);
        for (int k = 0; k < 3; ++k) {
            w().simulation().Ti_Timer();
            w().refreshCurve();
        }
        EXPECT_EQ(places(), before) << "a galaxy at Max";
        button("Command5")->click();
        w().curve().setShowNgc3198(true);
        w().refreshCurve();
        EXPECT_EQ(places(), before) << "paused, with NGC 3198";
        type(field("TXg", 2), "1");
        button("Command5")->click();
        for (int k = 0; k < 3; ++k) {
            w().simulation().Ti_Timer();
            w().refreshCurve();
        }
        EXPECT_EQ(places(), before) << "resumed under another law";
        w().presets().CDp_Click(kBalancedDisc);
        w().refreshCurve();
        EXPECT_EQ(places(), before) << "the Balanced Disc";
    }
}

}  // namespace
}  // namespace orb::test
