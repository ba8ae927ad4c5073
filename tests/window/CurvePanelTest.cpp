// The rotation-curve panel: the stars and the caption, the axes, the history,
// NGC 3198, and the curve and picture it writes.
#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QValueAxis>
#include <cmath>

#include "WindowFixture.h"
#include "panel/CurvePanel.h"
#include "panel/ScoreClock.h"
#include <memory>
#include <vector>

#include "curve/CurveCsv.h"
#include "panel/CurvePanel.h"

namespace orb::test {
namespace {

constexpr double kCentreX = 7680, kCentreY = 5760;

// Sol and the binary pair as a preset places them (300 units of gravity around
// the centre, the pair at rest as a whole), and a star on a Keplerian circle at
// each radius, each of a colour nothing else on the chart has.
std::unique_ptr<World> galaxy(const std::vector<double>& radii)
{
    auto w = std::make_unique<World>();
    w->bodyCount = static_cast<std::int16_t>(2 + radii.size());
    w->posX[0] = kCentreX;
    w->posY[0] = kCentreY;
    w->gravity[0] = 100;
    for (int i : {1, 2}) {
        w->posX[i] = i == 1 ? kCentreX - 768 : kCentreX + 768;
        w->posY[i] = kCentreY;
        w->momY[i] = i == 1 ? 18 : -18;
        w->gravity[i] = 100;
    }
    for (std::size_t k = 0; k < radii.size(); ++k) {
        const int b = 3 + static_cast<int>(k);
        const double a = 0.7 * static_cast<double>(k), r = radii[k];
        const double v = std::sqrt(10000 * 300 / r);
        w->posX[b] = kCentreX + r * std::cos(a);
        w->posY[b] = kCentreY + r * std::sin(a);
        w->momX[b] = -v * std::sin(a);
        w->momY[b] = v * std::cos(a);
        w->gravity[b] = 0.1;
        w->colRed[b] = static_cast<float>(10 + 20 * k);
        w->colGreen[b] = 251;
        w->colBlue[b] = 3;
    }
    return w;
}

std::vector<double> eightRadii() { return {1000, 1400, 1800, 2200, 2600, 3000, 3400, 3800}; }

QRgb colourOf(const World& w, int b)
{
    return qRgb(static_cast<int>(w.colRed[b]), static_cast<int>(w.colGreen[b]), static_cast<int>(w.colBlue[b]));
}

// How many stars of the world have at least one pixel of their own colour.
int starsSeen(const QImage& picture, const World& w)
{
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    int seen = 0;
    for (int b = 3; b <= w.bodyCount; ++b) {
        const QRgb want = colourOf(w, b);
        bool found = false;
        for (int y = 0; y < img.height() && !found; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < img.width() && !found; ++x) found = (row[x] & 0xffffff) == (want & 0xffffff);
        }
        seen += found ? 1 : 0;
    }
    return seen;
}

class CurvePanelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    void show()
    {
        panel.resize(700, 900);
        panel.show();
    }
    QChartView* mainView() const { return panel.findChild<QChartView*>("CurveChart"); }
    QValueAxis* axis(Qt::Orientation o) const
    {
        return qobject_cast<QValueAxis*>(mainView()->chart()->axes(o).value(0));
    }
    QStringList seriesNames() const
    {
        QStringList names;
        for (QAbstractSeries* s : mainView()->chart()->series()) names << s->name();
        return names;
    }

    QTemporaryDir dir;
    CurvePanel panel;
};

TEST_F(CurvePanelTest, AKeplerianGalaxyShowsEveryStarInItsColourAndItsSlopeInTheCaption)
{
    show();
    const auto w = galaxy(eightRadii());
    panel.refresh(*w, 2, 2, 0);
    EXPECT_EQ(panel.slopeShown(), "-0.50");
    EXPECT_EQ(panel.caption(), "Rotation curve — slope -0.50 over 8 of 8 stars (Keplerian -0.5, flat 0)");
    EXPECT_EQ(panel.findChild<QLabel*>("CurveCaption")->text(), panel.caption());
    EXPECT_EQ(starsSeen(mainView()->grab().toImage(), *w), 8);
    QStringList names = seriesNames();
    EXPECT_TRUE(names.contains("predicted, e = 2")) << names.join(", ").toStdString();

    // The predicted line follows the run's exponent.
    panel.refresh(*w, 1.5, 2, 1);
    EXPECT_TRUE(seriesNames().contains("predicted, e = 1.5"));
}

TEST_F(CurvePanelTest, WithoutAFitTheSlopeIsNoneAndTheCaptionSaysWhy)
{
    struct Case {
        const char* name;
        std::vector<double> radii;
        const char* why;
    };
    const Case cases[] = {
        {"no stars", {}, "slope: none over 0 of 0 stars (too few stars)"},
        {"two stars", {1000, 2000}, "slope: none over 2 of 2 stars (too few stars)"},
        {"one radius", {1500, 1500, 1500, 1500}, "slope: none over 4 of 4 stars (all at one radius)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto w = galaxy(c.radii);
        panel.refresh(*w, 2, 2, 0);
        EXPECT_EQ(panel.slopeShown(), "none");
        EXPECT_TRUE(panel.caption().endsWith(c.why)) << panel.caption().toStdString();
    }
}

TEST_F(CurvePanelTest, AxesGrowAtOnceWhenAStarLeavesThemAndShrinkOnlyAfterAWhile)
{
    struct Case {
        const char* name;
        Qt::Orientation axis;
        void (*push)(World&);  // takes star 3 far beyond the axis
    };
    const Case cases[] = {
        {"flung out", Qt::Horizontal, [](World& w) { w.posX[3] += 30000; }},
        {"sped up", Qt::Vertical, [](World& w) { w.momY[3] *= 20; }},
    };
    show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        panel.newRun();
        const auto w = galaxy(eightRadii());
        long long tick = 0;
        panel.refresh(*w, 2, 2, tick++);
        const double before = axis(c.axis)->max();
        EXPECT_GT(before, 0);

        World out = *w;
        c.push(out);
        panel.refresh(out, 2, 2, tick++);
        const double grown = axis(c.axis)->max();
        EXPECT_GT(grown, 5 * before) << "the star is in sight at once";
        const double wanted = c.axis == Qt::Horizontal ? panel.curve().stars()[0].radius : panel.curve().stars()[0].speed;
        EXPECT_GE(grown, wanted);

        panel.refresh(*w, 2, 2, tick++);
        EXPECT_EQ(axis(c.axis)->max(), grown) << "no jump back on the next frame";
        for (int k = 0; k < 300; ++k) panel.refresh(*w, 2, 2, tick++);
        EXPECT_EQ(axis(c.axis)->max(), before) << "back to fit once the star has long gone";
    }
}

TEST_F(CurvePanelTest, SavedCurveHasTheHeaderAndARowPerStarWithItsColour)
{
    const auto w = galaxy(eightRadii());
    panel.refresh(*w, 2, 2, 0);
    const QString path = dir.filePath("curve.csv");
    const Status saved = panel.saveCurve(path);
    ASSERT_TRUE(saved) << saved.error();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList rows;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.isEmpty() && !line.startsWith('#')) rows << QString::fromUtf8(line);
    ASSERT_EQ(rows.size(), 9);
    EXPECT_EQ(rows[0], QString::fromUtf8(kCurveCsvHeader.data(), static_cast<int>(kCurveCsvHeader.size())));
    EXPECT_TRUE(rows[1].startsWith("3,1000,")) << rows[1].toStdString();
    EXPECT_TRUE(rows[8].endsWith(",150,251,3")) << rows[8].toStdString();

    const QString nowhere = dir.filePath("missing/curve.csv");
    const Status refused = panel.saveCurve(nowhere);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().find(nowhere.toStdString()), std::string::npos) << refused.error();
}

TEST_F(CurvePanelTest, ExportedPictureHasTheExportSizeAndTheStarsEvenWhenThePanelIsHidden)
{
    const auto w = galaxy(eightRadii());
    panel.refresh(*w, 2, 2, 0);
    ASSERT_FALSE(panel.isVisible());
    const QString path = dir.filePath("curve.png");
    const Status exported = panel.exportPlot(path);
    ASSERT_TRUE(exported) << exported.error();
    QImage picture;
    ASSERT_TRUE(picture.load(path, "PNG"));
    EXPECT_EQ(picture.size(), QSize(CurvePanel::kExportWidth, CurvePanel::kExportHeight));
    EXPECT_EQ(starsSeen(picture, *w), 8);

    const Status refused = panel.exportPlot(dir.filePath("missing/curve.png"));
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().find("missing/curve.png"), std::string::npos) << refused.error();
}

TEST_F(CurvePanelTest, Ngc3198ComesAndGoesWithItsCheckBox)
{
    show();
    const auto w = galaxy(eightRadii());
    panel.refresh(*w, 2, 2, 0);
    auto* box = panel.findChild<QCheckBox*>("CurveNgc");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "NGC 3198");
    auto ngcSeries = [&] { return seriesNames().filter("NGC 3198").size(); };
    EXPECT_EQ(ngcSeries(), 0);

    box->click();
    EXPECT_TRUE(panel.showNgc3198());
    EXPECT_EQ(ngcSeries(), 3) << "observed band and line, visible matter";
    auto* scale = panel.findChild<QLabel*>("CurveScale");
    EXPECT_TRUE(scale->isVisible());
    EXPECT_TRUE(scale->text().contains("1 kpc = ")) << scale->text().toStdString();
    EXPECT_TRUE(scale->text().contains("twips per tick"));

    panel.setShowNgc3198(false);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(ngcSeries(), 0);
    EXPECT_FALSE(scale->isVisible());
}

TEST_F(CurvePanelTest, HistoryRecordsEveryTenTicksAndStartsOverWithANewRun)
{
    const auto w = galaxy(eightRadii());
    for (long long t = 0; t <= 100; ++t) panel.refresh(*w, 2, 2, t);
    const CurveHistory& h = panel.history();
    ASSERT_EQ(h.size(), 11);
    EXPECT_EQ(h.front().firstTick, 0);
    EXPECT_EQ(h.back().lastTick, 100);
    // A paused run (the same tick again) adds nothing.
    panel.refresh(*w, 2, 2, 100);
    EXPECT_EQ(h.size(), 11);

    panel.newRun();
    EXPECT_TRUE(h.empty());
    panel.refresh(*w, 2, 2, 105);
    ASSERT_EQ(h.size(), 1) << "the new run's first refresh is recorded at once";

    // Ticks that go back belong to a run nobody announced: it starts over too.
    panel.refresh(*w, 2, 2, 3);
    ASSERT_EQ(h.size(), 1);
    EXPECT_EQ(h.front().firstTick, 3);
}

TEST_F(CurvePanelTest, StarsAtTheEdgeOfTheNumbersAreDrawnWithoutHarm)
{
    show();
    auto w = galaxy(eightRadii());
    w->posX[3] = 1e300;
    w->momY[4] = -1e300;
    w->posY[5] = -1e308;
    w->colRed[6] = 1e30f;
    panel.setShowNgc3198(true);
    panel.refresh(*w, 2, 2, 0);
    panel.refresh(*w, 0.4, 999, 10);
    EXPECT_FALSE(mainView()->grab().toImage().isNull());
    const Status exported = panel.exportPlot(dir.filePath("edge.png"));
    EXPECT_TRUE(exported) << exported.error();
}

}  // namespace
}  // namespace orb::test

namespace orb::test {
namespace {

// The panel in the window follows the run it shows.
TEST_F(WindowTest, TheRotationCurveFollowsTheRun)
{
    auto* dock = get<QWidget>("CurveDock");
    EXPECT_TRUE(dock->isHidden()) << "shown on request";
    w().action("CurvePanel")->trigger();
    EXPECT_FALSE(dock->isHidden());
    EXPECT_TRUE(button("CDcurve")->isChecked());

    startPreset(4);
    w().refreshCurve();
    EXPECT_EQ(w().curve().slopeShown(), "none") << "no stars yet";
    for (int k = 0; k < 1500; ++k) {
        w().simulation().Ti_Timer();
        if (k % 10 == 0) w().refreshCurve();
    }
    w().refreshCurve();
    EXPECT_NE(w().curve().slopeShown(), "none");
    EXPECT_GT(w().curve().history().size(), 10) << "the curve's history grows with the run";
    EXPECT_EQ(w().curve().curve().stars().size(), static_cast<std::size_t>(livePlanets(world())));

    // With exponent 1 the law predicts a flat curve.
    type(field("TXg", 2), "1");
    w().simulation().Ti_Timer();
    w().refreshCurve();
    const auto samples = w().curve().curve().samples();
    ASSERT_GE(samples.size(), 2u);
    for (const CurveSample& s : samples) EXPECT_DOUBLE_EQ(s.circular, s.flat);

    // A new run starts the history over.
    startPreset(2);
    w().refreshCurve();
    EXPECT_LE(w().curve().history().size(), 1);
}

}  // namespace
}  // namespace orb::test
