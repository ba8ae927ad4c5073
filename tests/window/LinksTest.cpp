// The web links and the farewell window.
#include <QTest>
#include <QUrl>
#include <functional>
#include <vector>

#include "WindowFixture.h"
#include "panel/Farewell.h"

namespace orb::test {
namespace {

class LinksTest : public WindowTest {
protected:
    struct Link {
        const char* name;
        std::function<void()> click;
        QString page;
    };
    // The four links, clicked as a user would; the farewell one through "X".
    std::vector<Link> links()
    {
        return {
            {"Command3", [this] { button("Command3")->click(); }, homePage()},
            {"ImMoon", [this] { clickLabel("ImMoon")->click(); }, homePage()},
            {"CDsum", [this] { button("CDsum")->click(); }, summaryPage()},
            {"FormFLAS.Command1",
             [this] {
                 button("Command1")->click();
                 w().links().farewell()->findChild<QPushButton*>("Command1")->click();
             },
             homePage()},
        };
    }
};

TEST_F(LinksTest, WithoutABrowserEachLinkShowsTheMessageOnceAndTheProgramGoesOn)
{
    for (const Link& link : links()) {
        SCOPED_TRACE(link.name);
        open(recordPath());
        startPreset(2);
        browserWorks = false;
        link.click();
        auto boxes = browserMessages();
        ASSERT_EQ(boxes.size(), 1);
        QMessageBox* box = boxes.front();
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->windowTitle(), "Cannot find Browser:");
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_TRUE(box->isVisible());
        EXPECT_FALSE(box->text().isEmpty());

        // A second click, a second message.
        link.click();
        EXPECT_EQ(browserMessages().size(), 2);
        closeBrowserMessages();
        EXPECT_TRUE(browserMessages().isEmpty());

        // Nothing else changed, and the run goes on.
        EXPECT_EQ(ended, 0);
        EXPECT_TRUE(timer("Ti")->enabled());
        const auto star = world().nextStar;
        for (int k = 0; k < 10; ++k) w().simulation().Ti_Timer();
        EXPECT_GT(world().nextStar, star);
    }
}

TEST_F(LinksTest, WithABrowserEachLinkOpensItsPage)
{
    browserWorks = true;
    for (const Link& link : links()) {
        SCOPED_TRACE(link.name);
        opened.clear();
        link.click();
        ASSERT_EQ(opened.size(), 1);
        EXPECT_EQ(opened.front(), link.page);
        EXPECT_TRUE(browserMessages().isEmpty());
    }
    EXPECT_EQ(QUrl(homePage()).fileName(), "index.html");
    EXPECT_EQ(QUrl(summaryPage()).fileName(), "summary of rotation curves of galaxies.htm");
    EXPECT_NE(homePage(), summaryPage());
    EXPECT_EQ(ended, 0);
}

TEST_F(LinksTest, XLeadsToTheFarewellWindowWhileTheRunGoesOn)
{
    startPreset(2);
    ASSERT_TRUE(w().isVisible());
    EXPECT_EQ(w().links().farewell(), nullptr) << "created on first use";
    button("Command1")->click();
    EXPECT_FALSE(w().isVisible());
    FarewellWindow* f = w().links().farewell();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->objectName(), "FormFLAS");
    EXPECT_EQ(f->windowTitle(), "Form1");
    EXPECT_EQ(f->size(), QSize(465, 686));
    for (auto* x : {f->findChild<QPushButton*>("Command2(0)"), f->findChild<QPushButton*>("Command2(1)")}) {
        EXPECT_EQ(x->text(), "x");
        EXPECT_TRUE(x->font().bold());
        EXPECT_EQ(x->font().pointSize(), 12);
    }
    EXPECT_EQ(f->findChild<QPushButton*>("Command2(0)")->geometry(), QRect(0, 0, 25, 33));
    EXPECT_EQ(f->findChild<QPushButton*>("Command2(1)")->geometry(), QRect(440, 0, 25, 33));
    EXPECT_EQ(ended, 0);

    // The timers keep running behind it.
    EXPECT_TRUE(timer("Ti")->enabled());
    EXPECT_TRUE(timer("TiK")->enabled());
    const double y = world().posY[1];
    QTest::qWait(250);
    EXPECT_NE(world().posY[1], y) << "the tick ran while the main window was hidden";
    EXPECT_EQ(ended, 0);

    // A second "X" shows the same window.
    w().show();
    button("Command1")->click();
    EXPECT_EQ(w().links().farewell(), f);
}

TEST_F(LinksTest, EachWayOutOfTheFarewellWindowEndsTheProgram)
{
    const std::vector<std::pair<const char*, std::function<void(FarewellWindow*)>>> ways = {
        {"x left", [](FarewellWindow* f) { f->findChild<QPushButton*>("Command2(0)")->click(); }},
        {"x right", [](FarewellWindow* f) { f->findChild<QPushButton*>("Command2(1)")->click(); }},
        {"the window itself", [](FarewellWindow* f) { QTest::mouseClick(f, Qt::LeftButton, {}, QPoint(230, 300)); }},
        {"its title bar's close", [](FarewellWindow* f) { f->close(); }},
    };
    for (const auto& [name, way] : ways) {
        SCOPED_TRACE(name);
        open(recordPath());
        ended = 0;
        button("Command1")->click();
        way(w().links().farewell());
        EXPECT_EQ(ended, 1);
    }
}

TEST_F(LinksTest, ClosingTheMainWindowLeadsToTheFarewellWindow)
{
    startPreset(2);
    w().close();
    EXPECT_FALSE(w().isVisible());
    ASSERT_NE(w().links().farewell(), nullptr);
    EXPECT_TRUE(w().links().farewell()->isVisible());
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(timer("Ti")->enabled());
}

}  // namespace
}  // namespace orb::test
