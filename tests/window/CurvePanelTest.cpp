// The rotation-curve panel: the stars and the caption, the axes, the history,
// NGC 3198, and the curve and picture it writes.
#include <gtest/gtest.h>

#include <QAbstractAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QRegularExpression>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>
#include <cfloat>
#include <cmath>
#include <limits>

#include "WindowFixture.h"
#include "panel/CurvePanel.h"
#include "panel/ScoreClock.h"
#include <memory>
#include <vector>

#include "curve/CurveCsv.h"
#include "panel/AccelerationChart.h"
#include "panel/ChartStyle.h"
#include "panel/CurveChart.h"
#include "panel/CurvePanel.h"

namespace orb::test {
namespace {

constexpr double kCentreX = 7680, kCentreY = 5760;

// Sol and a tight binary pair (300 units of gravity around the centre, the pair
// at rest as a whole, its zone within 500 twips so every star lies beyond it),
// and a star on a Keplerian circle at each radius, each of a colour nothing
// else on the chart has.
std::unique_ptr<World> galaxy(const std::vector<double>& radii)
{
    auto w = std::make_unique<World>();
    w->bodyCount = static_cast<std::int16_t>(2 + radii.size());
    w->posX[0] = kCentreX;
    w->posY[0] = kCentreY;
    w->gravity[0] = 100;
    for (int i : {1, 2}) {
        w->posX[i] = i == 1 ? kCentreX - 100 : kCentreX + 100;
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

// Whether the picture holds a pixel of exactly this colour.
bool holdsColour(const QImage& picture, QRgb want)
{
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((row[x] & 0xffffff) == (want & 0xffffff)) return true;
    }
    return false;
}

// How many stars of the world have at least one pixel of their own colour.
int starsSeen(const QImage& picture, const World& w)
{
    const QImage img = picture.convertToFormat(QImage::Format_RGB32);
    int seen = 0;
    for (int b = 3; b <= w.bodyCount; ++b) seen += holdsColour(img, colourOf(w, b)) ? 1 : 0;
    return seen;
}

// Qt's warnings while it lives. Qt Charts warns of every point a log axis
// cannot take: "Logarithms of zero and negative values are undefined."
class Warnings {
public:
    Warnings()
    {
        caught().clear();
        previous_ = qInstallMessageHandler(&Warnings::take);
    }
    ~Warnings() { qInstallMessageHandler(previous_); }
    // Those that mention `word`, one a line.
    std::string about(const QString& word) const { return caught().filter(word).join('\n').toStdString(); }

private:
    static QStringList& caught()
    {
        static QStringList list;
        return list;
    }
    static void take(QtMsgType type, const QMessageLogContext&, const QString& text)
    {
        if (type != QtDebugMsg && type != QtInfoMsg) caught() << text;
    }
    QtMessageHandler previous_;
};

int pointCount(QChartView* view, const QString& series)
{
    for (QAbstractSeries* s : view->chart()->series())
        if (s->name() == series) return static_cast<int>(static_cast<QXYSeries*>(s)->count());
    return -1;
}

// Every point of every series on a chart with log axes positive and finite,
// and the axes' ends too.
::testing::AssertionResult fitForLogAxes(QChart* chart)
{
    auto fine = [](double v) { return v > 0 && std::isfinite(v); };
    for (QAbstractAxis* a : chart->axes()) {
        auto* log = qobject_cast<QLogValueAxis*>(a);
        if (!log) return ::testing::AssertionFailure() << "an axis that is not logarithmic";
        if (!fine(log->min()) || !fine(log->max()) || !(log->min() < log->max()))
            return ::testing::AssertionFailure() << "axis " << log->min() << ".." << log->max();
        if (log->max() > 1e30 || log->min() < 1e-30 || log->max() / log->min() > 1.0001e12)
            return ::testing::AssertionFailure() << "axis beyond its bounds " << log->min() << ".." << log->max();
    }
    for (QAbstractSeries* s : chart->series())
        for (const QPointF& p : static_cast<QXYSeries*>(s)->points())
            if (!fine(p.x()) || !fine(p.y()))
                return ::testing::AssertionFailure() << s->name().toStdString() << " holds " << p.x() << ", " << p.y();
    return ::testing::AssertionSuccess();
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

    QTabWidget* tabs() const { return panel.findChild<QTabWidget*>("CurveTabs"); }
    template <class T>
    T* child(const char* name) const
    {
        T* c = panel.findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }

    QTemporaryDir dir;
    CurvePanel panel;
};

TEST_F(CurvePanelTest, AKeplerianGalaxyShowsEveryStarInItsColourAndItsSlopeInTheCaption)
{
    show();
    const auto w = galaxy(eightRadii());
    panel.refresh(*w, {2, 2}, 0);
    // One star a bin: each bin's error is a floor, not zero, so the fit claims
    // no more than a lone star can show.
    const QString number = QStringLiteral("\\d\\.\\d\\d");
    EXPECT_TRUE(QRegularExpression("^-0\\.50 ± " + number + "$").match(panel.slopeShown()).hasMatch())
        << panel.slopeShown().toStdString();
    EXPECT_TRUE(QRegularExpression("^2\\.00 ± " + number + "$").match(panel.exponentShown()).hasMatch())
        << panel.exponentShown().toStdString();
    EXPECT_TRUE(QRegularExpression("^Rotation curve — slope -0\\.50 ± " + number + " → exponent 2\\.00 ± " +
                                   number + " over 8 stars$")
                    .match(panel.caption())
                    .hasMatch())
        << panel.caption().toStdString();
    EXPECT_EQ(panel.findChild<QLabel*>("CurveCaption")->text(), panel.caption());
    EXPECT_EQ(starsSeen(mainView()->grab().toImage(), *w), 8);
    QStringList names = seriesNames();
    EXPECT_TRUE(names.contains("predicted, e = 2")) << names.join(", ").toStdString();

    // The predicted line follows the run's exponent.
    panel.refresh(*w, {1.5, 2}, 1);
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
        {"no stars", {}, "slope: none (no stars in play)"},
        {"two stars", {1000, 2000}, "slope: none (fewer than 3 radial bins with stars beyond the pair's zone of 500 twips)"},
        {"one radius", {1500, 1500, 1500, 1500},
         "slope: none (fewer than 3 radial bins with stars beyond the pair's zone of 500 twips)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto w = galaxy(c.radii);
        panel.refresh(*w, {2, 2}, 0);
        EXPECT_EQ(panel.slopeShown(), "none");
        EXPECT_EQ(panel.exponentShown(), "none");
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
        panel.refresh(*w, {2, 2}, tick++);
        const double before = axis(c.axis)->max();
        EXPECT_GT(before, 0);

        World out = *w;
        c.push(out);
        panel.refresh(out, {2, 2}, tick++);
        const double grown = axis(c.axis)->max();
        EXPECT_GT(grown, 5 * before) << "the star is in sight at once";
        const double wanted = c.axis == Qt::Horizontal ? panel.curve().stars()[0].radius : panel.curve().stars()[0].speed;
        EXPECT_GE(grown, wanted);

        panel.refresh(*w, {2, 2}, tick++);
        EXPECT_EQ(axis(c.axis)->max(), grown) << "no jump back on the next frame";
        // Once it has left the binned curve's window too, and a while more.
        for (int k = 0; k < 600; ++k) panel.refresh(*w, {2, 2}, tick++);
        EXPECT_EQ(axis(c.axis)->max(), before) << "back to fit once the star has long gone";
    }
}

TEST_F(CurvePanelTest, SavedCurveHasTheHeaderAndARowPerStarWithItsColour)
{
    const auto w = galaxy(eightRadii());
    panel.refresh(*w, {2, 2}, 0);
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
    panel.refresh(*w, {2, 2}, 0);
    ASSERT_FALSE(panel.isVisible());
    const QString path = dir.filePath("curve.png");
    const Status exported = panel.exportPlot(path);
    ASSERT_TRUE(exported) << exported.error();
    QImage picture;
    ASSERT_TRUE(picture.load(path, "PNG"));
    EXPECT_EQ(picture.size(), QSize(CurvePanel::kExportWidth, CurvePanel::kExportHeight));
    EXPECT_EQ(starsSeen(picture, *w), 8);
    EXPECT_TRUE(holdsColour(picture, chart::kAccelerationDot.rgb())) << "the acceleration chart is in the picture too";

    const Status refused = panel.exportPlot(dir.filePath("missing/curve.png"));
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().find("missing/curve.png"), std::string::npos) << refused.error();
}

TEST_F(CurvePanelTest, Ngc3198ComesAndGoesWithItsCheckBox)
{
    show();
    const auto w = galaxy(eightRadii());
    panel.refresh(*w, {2, 2}, 0);
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
    for (long long t = 0; t <= 100; ++t) panel.refresh(*w, {2, 2}, t);
    const CurveHistory& h = panel.history();
    ASSERT_EQ(h.size(), 11);
    EXPECT_EQ(h.front().firstTick, 0);
    EXPECT_EQ(h.back().lastTick, 100);
    // A paused run (the same tick again) adds nothing.
    panel.refresh(*w, {2, 2}, 100);
    EXPECT_EQ(h.size(), 11);

    // The charts count the run's own ticks, not the program's.
    panel.newRun(100);
    EXPECT_TRUE(h.empty());
    panel.refresh(*w, {2, 2}, 105);
    ASSERT_EQ(h.size(), 1) << "the new run's first refresh is recorded at once";
    EXPECT_EQ(h.front().firstTick, 5);
    for (long long t = 106; t <= 2100; ++t) panel.refresh(*w, {2, 2}, t);
    EXPECT_EQ(h.back().lastTick, 1995) << "a record every ten ticks from the first";
    EXPECT_EQ(panel.binned().lastTick(), 2000);

    // Ticks that go back belong to a run nobody announced: it starts over too,
    // from its first refresh.
    panel.refresh(*w, {2, 2}, 3);
    ASSERT_EQ(h.size(), 1);
    EXPECT_EQ(h.front().firstTick, 0);
}

// One star flung far among a few dozen does not set the speed axis: it is
// drawn at the edge it passed, and the rest keep the chart.
TEST_F(CurvePanelTest, OneOutlierDoesNotStretchTheSpeedAxis)
{
    show();
    std::vector<double> radii;
    for (int k = 0; k < 30; ++k) radii.push_back(1000 + 100 * k);
    auto w = galaxy(radii);
    w->momX[3] *= -30;  // turning back at some 600 twips a tick
    w->momY[3] *= -30;
    panel.refresh(*w, {2, 2}, 0);
    EXPECT_GT(axis(Qt::Vertical)->min(), -100) << "the outlier stretched the axis";
    EXPECT_LT(axis(Qt::Vertical)->max(), 200);
}

TEST_F(CurvePanelTest, StarsAtTheEdgeOfTheNumbersAreDrawnWithoutHarm)
{
    show();
    auto w = galaxy(eightRadii());
    w->posX[3] = 1e300;
    w->momY[4] = -1e300;
    w->posY[5] = -1e308;
    w->colRed[6] = 1e30f;
    w->posX[7] = kCentreX;  // at the centre: no radius to divide by
    w->posY[7] = kCentreY;
    w->momX[8] = 1e200;     // a speed whose square overflows
    panel.setShowNgc3198(true);
    Warnings warnings;
    for (int tab = 0; tab < 3; ++tab) {
        SCOPED_TRACE(tab);
        tabs()->setCurrentIndex(tab);
        panel.refresh(*w, {2, 2}, 20 * tab);
        panel.refresh(*w, {0.4, 999}, 20 * tab + 10);
        EXPECT_FALSE(panel.grab().toImage().isNull());
    }
    EXPECT_TRUE(fitForLogAxes(panel.findChild<QChartView*>("CurveAccelerationChart")->chart()));
    const Status exported = panel.exportPlot(dir.filePath("edge.png"));
    EXPECT_TRUE(exported) << exported.error();
    EXPECT_EQ(warnings.about("ogarithm"), "");
}

TEST_F(CurvePanelTest, ThreeTabsUnderTheCaptionAndControlsAndOnlyTheShownOneIsRedrawn)
{
    show();
    QTabWidget* t = tabs();
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->count(), 3);
    EXPECT_EQ(t->tabText(0), "Curve");
    EXPECT_EQ(t->tabText(1), "Acceleration");
    EXPECT_EQ(t->tabText(2), "History");
    for (const char* name : {"CurveCaption", "CurveNgc", "CHcirc", "CDrescale"})
        EXPECT_FALSE(t->isAncestorOf(child<QWidget>(name))) << name << " stays in sight whatever the tab";

    auto* massView = child<QChartView>("CurveMassChart");
    auto* slopeView = child<QChartView>("CurveHistoryChart");
    const auto eight = galaxy(eightRadii());
    const auto twelve = galaxy({900, 1200, 1500, 1800, 2100, 2400, 2700, 3000, 3300, 3600, 3900, 4200});
    panel.refresh(*eight, {2, 2}, 0);
    EXPECT_EQ(pointCount(massView, "M(<r)"), 0) << "the acceleration tab is not shown";
    EXPECT_EQ(pointCount(slopeView, "slope"), 0) << "the history tab is not shown";

    // A tab is drawn as it comes into view, from the latest refresh.
    // The mass lines have a point for each radial bin holding stars.
    t->setCurrentIndex(1);
    const int eightBins = static_cast<int>(panel.binned().bins().size());
    EXPECT_GE(eightBins, 6);
    EXPECT_EQ(pointCount(massView, "M(<r)"), eightBins);
    // A new run (an earlier tick), so the bins hold the twelve stars alone.
    panel.refresh(*twelve, {1.5, 2}, 0);
    const int twelveBins = static_cast<int>(panel.binned().bins().size());
    EXPECT_GT(twelveBins, eightBins);
    EXPECT_EQ(pointCount(massView, "M(<r)"), twelveBins);
    EXPECT_TRUE(seriesNames().contains("predicted, e = 2")) << "the curve tab is not shown";
    EXPECT_EQ(pointCount(slopeView, "slope"), 0);

    t->setCurrentIndex(2);
    EXPECT_EQ(pointCount(slopeView, "slope"), 1) << "one record so far";
    t->setCurrentIndex(0);
    EXPECT_TRUE(seriesNames().contains("predicted, e = 1.5"));

    // Nothing is drawn while the panel is hidden; all is caught up once shown.
    panel.hide();
    panel.refresh(*eight, {1.25, 2}, 2);
    EXPECT_TRUE(seriesNames().contains("predicted, e = 1.5"));
    panel.show();
    EXPECT_TRUE(seriesNames().contains("predicted, e = 1.25"));
    EXPECT_EQ(pointCount(massView, "M(<r)"), twelveBins) << "the hidden acceleration tab waits for its turn";
}

TEST_F(CurvePanelTest, NearCircularAndRescaleAreSignalsOfThePanel)
{
    QSignalSpy circular(&panel, &CurvePanel::nearCircularChanged);
    QSignalSpy rescale(&panel, &CurvePanel::rescaleRequested);
    auto* box = child<QCheckBox>("CHcirc");
    auto* button = child<QPushButton>("CDrescale");
    ASSERT_TRUE(box && button);
    EXPECT_EQ(box->text(), "Near-circular only");
    EXPECT_EQ(button->text(), "Rescale");
    EXPECT_EQ(button->toolTip(), "Choose the NGC 3198 scale again from the stars as they are now");

    EXPECT_FALSE(panel.nearCircularOnly());
    box->click();
    EXPECT_TRUE(panel.nearCircularOnly());
    panel.setNearCircularOnly(true);  // no change, no signal
    panel.setNearCircularOnly(false);
    EXPECT_FALSE(box->isChecked());
    ASSERT_EQ(circular.count(), 2);
    EXPECT_EQ(circular[0][0].toBool(), true);
    EXPECT_EQ(circular[1][0].toBool(), false);

    button->click();
    EXPECT_EQ(rescale.count(), 1);
}

TEST(AccelerationChart, LogAxesGetOnlyPositiveFiniteValuesWhateverTheTable)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN(), inf = HUGE_VAL;
    struct Row {
        chart::ChartPoint p;
        bool drawn;
    };
    const Row rows[] = {
        {{0, 1}, false},          {{1, 0}, false},         {{-1, 2}, false},     {{2, -1}, false},
        {{-0.0, 1}, false},       {{nan, 1}, false},       {{1, nan}, false},    {{inf, 1}, false},
        {{1, -inf}, false},       {{1e300, 1e300}, true},  {{1e-300, 1e-300}, true}, {{DBL_MAX, DBL_MIN}, true},
        {{4.9e-324, 1}, true},    {{0.5, 0.7}, true},      {{2, 3}, true},       {{10, 20}, true},
    };
    std::vector<chart::ChartPoint> table;
    int drawn = 0;
    for (const Row& r : rows) {
        table.push_back(r.p);
        drawn += r.drawn ? 1 : 0;
    }
    struct Case {
        const char* name;
        std::vector<chart::ChartPoint> stars;
        int drawn;
    };
    const Case cases[] = {
        {"every kind of value", table, drawn},
        {"nothing a log axis takes", {{0, 0}, {-1, -1}, {nan, nan}, {inf, inf}}, 0},
        {"no points", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AccelerationChart chart(Qt::Vertical);
        chart.resize(420, 600);
        chart.show();
        Warnings warnings;
        for (int frame = 0; frame < 3; ++frame) {
            chart.setAccelerationData(c.stars, c.stars, c.stars);
            chart.setMassData(c.stars, c.stars);
            EXPECT_FALSE(chart.grab().toImage().isNull());
        }
        EXPECT_EQ(chart.starsDrawn(), c.drawn);
        EXPECT_TRUE(fitForLogAxes(chart.accelerationChart()));
        for (QAbstractSeries* s : chart.massChart()->series())
            for (const QPointF& p : static_cast<QXYSeries*>(s)->points())
                EXPECT_TRUE(std::isfinite(p.x()) && std::isfinite(p.y())) << s->name().toStdString();
        EXPECT_EQ(warnings.about("ogarithm"), "");
    }
}

TEST(CurveChart, PredictedCurvesStopAtTheZoneAndBinnedPointsNeedFiniteNumbers)
{
    CurveChart c;
    c.setAxes(1000, 0, 50);
    std::vector<CurveSample> samples;
    for (int k = 1; k <= 10; ++k) {
        const double r = 100.0 * k;
        samples.push_back({r, 300, 30, 30, 20, r >= 450});
    }
    auto xs = [&](const QString& name) {
        std::vector<double> out;
        for (QAbstractSeries* s : c.chart()->series())
            if (s->name() == name)
                for (const QPointF& p : static_cast<QXYSeries*>(s)->points()) out.push_back(p.x());
        return out;
    };
    c.setPredicted(samples, 2, 450);
    EXPECT_EQ(xs("predicted, e = 2"), (std::vector<double>{500, 600, 700, 800, 900, 1000}));
    EXPECT_EQ(xs("predicted, inner zone"), (std::vector<double>{100, 200, 300, 400, 500})) << "dashed up to the first beyond";
    EXPECT_EQ(xs("Keplerian, e = 2").size(), 6u);
    EXPECT_EQ(xs("flat, e = 1").front(), 500);
    c.setPredicted(samples, 2, 0);
    EXPECT_EQ(xs("predicted, e = 2").size(), 10u);
    EXPECT_TRUE(xs("predicted, inner zone").empty());

    auto* key = c.findChild<QLabel*>("CurveKey");
    ASSERT_NE(key, nullptr);
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const BinnedSpeed unusable[] = {{nan, 10, 1}, {500, HUGE_VAL, 1}, {500, 10, nan}};
    c.setBinned(unusable);
    EXPECT_FALSE(key->text().contains("binned"));
    const BinnedSpeed one[] = {{500, 10, -2}};
    c.setBinned(one);
    EXPECT_TRUE(key->text().contains("binned"));
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

namespace orb::test {
namespace {

// Refreshes that come faster than the redraw interval are drawn together, and
// the latest one always shows in the end.
TEST(CurvePanelRedraw, FastRefreshesAreDrawnTogetherAndTheLastOneShows)
{
    CurvePanel panel;
    panel.resize(700, 900);
    panel.show();
    panel.setRedrawInterval(300);
    auto names = [&] {
        QStringList out;
        for (QAbstractSeries* s : panel.findChild<QChartView*>("CurveChart")->chart()->series()) out << s->name();
        return out;
    };
    const auto w = galaxy(eightRadii());
    panel.refresh(*w, {2, 2}, 0);
    EXPECT_TRUE(names().contains("predicted, e = 2")) << "the first refresh is drawn at once";
    panel.refresh(*w, {1.5, 2}, 1);
    panel.refresh(*w, {1.25, 2}, 2);
    EXPECT_TRUE(names().contains("predicted, e = 2")) << "too soon for another drawing";
    EXPECT_TRUE(QTest::qWaitFor([&] { return names().contains("predicted, e = 1.25"); }, 3000))
        << "the latest refresh is drawn once the interval is over";
}

}  // namespace
}  // namespace orb::test
