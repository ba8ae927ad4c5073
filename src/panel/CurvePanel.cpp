#include "panel/CurvePanel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "base/Files.h"
#include "curve/CurveCsv.h"
#include "curve/ObservedCurve.h"
#include "panel/AccelerationChart.h"
#include "panel/ChartStyle.h"
#include "panel/CurveChart.h"
#include "panel/HistoryCharts.h"
#include "platform/Pictures.h"

namespace orb {

using namespace chart;

QString ngc3198Citation()
{
    return QStringLiteral(
        "F. Lelli, S. S. McGaugh, J. M. Schombert, \"SPARC: Mass Models for 175 Disk Galaxies with Spitzer "
        "Photometry and Accurate Rotation Curves\", The Astronomical Journal 152, 157 (2016), "
        "doi:10.3847/0004-6256/152/6/157");
}

namespace {

QString makeCaption(const RotationCurve& curve)
{
    const SlopeFit& fit = curve.slope();
    const int inPlay = static_cast<int>(curve.stars().size());
    const QString over = QStringLiteral("over %1 of %2 %3").arg(fit.stars).arg(inPlay).arg(inPlay == 1 ? "star" : "stars");
    if (fit.slope)
        return QStringLiteral("Rotation curve — slope %1 %2 (Keplerian -0.5, flat 0)")
            .arg(QString::fromStdString(slopeText(fit)), over);
    return QStringLiteral("Rotation curve — slope: none %1 (%2)")
        .arg(over, fit.stars < RotationCurve::kMinFitStars ? "too few stars" : "all at one radius");
}

// What the charts draw besides the stars and the predicted curves: the
// binned curve and the zone it is read beyond, the accelerations and the
// masses. Plain points in the charts' units, rebuilt at most once a frame.
struct CurveStatistics {
    double zoneRadius = 0;
    std::vector<BinnedSpeed> binned;
    std::vector<ChartPoint> accelerations;  // (g_bar, g_obs) of each star
    std::vector<ChartPoint> ngcAccelerations;
    std::vector<ChartPoint> relation;    // g_obs of g_bar, in order of g_bar
    std::vector<ChartPoint> dynamical;   // M_dyn by radius
    std::vector<ChartPoint> attracting;  // M(<r) by radius
    std::vector<std::uint16_t> order;    // scratch
};

// ---------------------------------------------------------------------------
// STAND-IN, until the curve model computes these itself: its radial
// acceleration relation, mass profile and binned curve replace this one
// function whole. From what RotationCurve gives today: its zone;
// g_obs = v^2 / r and g_bar = 10000 M(r) / r^2 for each star; and by radius,
// M_dyn = v^2 r^(e - 1) / 10000 and M(<r), each averaged over runs of
// neighbouring stars so that a line has at most kMassPoints points; no binned
// curve, no NGC 3198 points, no relation. Whatever overflows here is left to
// the charts, which draw only finite points (and only positive ones on log
// axes).
// ---------------------------------------------------------------------------
constexpr std::size_t kMassPoints = 96;

void standInStatistics(const RotationCurve& curve, CurveStatistics& out)
{
    const auto stars = curve.stars();
    out.zoneRadius = curve.zoneRadius();
    out.binned.clear();
    out.ngcAccelerations.clear();
    out.relation.clear();
    out.accelerations.clear();
    for (const StarPoint& p : stars)
        out.accelerations.push_back({10000 * p.enclosed / (p.radius * p.radius), p.speed * p.speed / p.radius});

    out.order.resize(stars.size());
    for (std::size_t i = 0; i < stars.size(); ++i) out.order[i] = static_cast<std::uint16_t>(i);
    std::sort(out.order.begin(), out.order.end(), [&](auto a, auto b) { return stars[a].radius < stars[b].radius; });
    const auto e = curve.exponent();
    const std::size_t group = std::max<std::size_t>(1, (stars.size() + kMassPoints - 1) / kMassPoints);
    out.dynamical.clear();
    out.attracting.clear();
    for (std::size_t i = 0; i < out.order.size(); i += group) {
        const std::size_t end = std::min(out.order.size(), i + group);
        double r = 0, dynamical = 0, attracting = 0;
        for (std::size_t k = i; k < end; ++k) {
            const StarPoint& p = stars[out.order[k]];
            r += p.radius;
            if (e) dynamical += p.speed * p.speed * std::pow(p.radius, *e - 1) / 10000;
            attracting += p.enclosed;
        }
        const double n = static_cast<double>(end - i);
        if (e) out.dynamical.push_back({r / n, dynamical / n});
        out.attracting.push_back({r / n, attracting / n});
    }
}

}  // namespace

struct CurvePanel::State {
    RotationCurve curve;
    // The colours of the table the curve was read from (the rest stays zero):
    // the dots and the saved curve show what the curve saw.
    World colours;
    CurveHistory history;
    std::vector<ObservedRow> ngcRows;
    QString ngcProblem;
    bool ngc = false;
    bool nearCircular = false;
    ObservedScale scale;
    AxisRange x{500}, y{5}, below{0};
    QString caption;
    std::vector<double> radii, speeds;  // scratch for the axes' extents
    long long lastRecord = 0;
    bool recorded = false;
    // Bumped whenever what the charts show changes: the curve at each refresh,
    // the history at each record.
    unsigned long long frame = 1, historyVersion = 1;
    CurveStatistics statistics;
    unsigned long long statisticsFrame = 0;

    const CurveStatistics& statisticsNow()
    {
        if (statisticsFrame != frame) {
            standInStatistics(curve, statistics);
            statisticsFrame = frame;
        }
        return statistics;
    }
};

namespace {

QLabel* newCaption(QWidget* parent)
{
    auto* caption = new QLabel(parent);
    caption->setObjectName("CurveCaption");
    caption->setWordWrap(true);
    QFont f = caption->font();
    f.setBold(true);
    caption->setFont(f);
    return caption;
}

}  // namespace

CurvePanel::CurvePanel(QWidget* parent) : QWidget(parent), s_(std::make_unique<State>())
{
    setObjectName("CurvePanel");
    setWindowTitle("Rotation curve");
    auto rows = ngc3198Curve();
    if (rows)
        s_->ngcRows = std::move(*rows);
    else
        s_->ngcProblem = QString::fromStdString(rows.error());
    s_->caption = makeCaption(s_->curve);
    s_->radii.reserve(kSlots);
    s_->speeds.reserve(kSlots);

    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(4, 4, 4, 4);
    box->setSpacing(3);
    caption_ = newCaption(this);
    box->addWidget(caption_);

    auto* controls = new QHBoxLayout;
    controls->setSpacing(10);
    ngc_ = new QCheckBox("NGC 3198", this);
    ngc_->setObjectName("CurveNgc");
    ngc_->setToolTip("The observed rotation curve of the spiral galaxy NGC 3198 and what its visible matter alone "
                     "would give, scaled so that its flat part meets the outer simulated curve.\nData: SPARC, " +
                     ngc3198Citation());
    ngc_->setEnabled(s_->ngcProblem.isEmpty());
    connect(ngc_, &QCheckBox::toggled, this, &CurvePanel::setShowNgc3198);
    controls->addWidget(ngc_);
    circular_ = new QCheckBox("Near-circular only", this);
    circular_->setObjectName("CHcirc");
    circular_->setToolTip("Count only the stars on nearly circular orbits: a star falling in or flung out does "
                          "not show the pull at its radius.");
    connect(circular_, &QCheckBox::toggled, this, &CurvePanel::setNearCircularOnly);
    controls->addWidget(circular_);
    rescale_ = new QPushButton("Rescale", this);
    rescale_->setObjectName("CDrescale");
    rescale_->setToolTip("Choose the NGC 3198 scale again from the stars as they are now");
    rescale_->setEnabled(s_->ngcProblem.isEmpty());
    connect(rescale_, &QPushButton::clicked, this, &CurvePanel::rescaleRequested);
    controls->addWidget(rescale_);
    controls->addStretch(1);
    box->addLayout(controls);

    // One chart at a time: each stays readable in a narrow dock.
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("CurveTabs");
    tabs_->setDocumentMode(true);
    curveChart_ = new CurveChart;
    curveChart_->setObjectName("CurveTab");
    tabs_->addTab(curveChart_, "Curve");
    tabs_->setTabToolTip(0, "Each star's speed against its distance from the centre, with the curve the pull law "
                            "predicts");
    accelerationChart_ = new AccelerationChart(Qt::Vertical);
    accelerationChart_->setObjectName("AccelerationTab");
    tabs_->addTab(accelerationChart_, "Acceleration");
    tabs_->setTabToolTip(1, "The acceleration each star shows against the one its attracting mass gives, and the "
                            "mass its speed asks for");
    historyCharts_ = new HistoryCharts(Qt::Vertical);
    historyCharts_->setObjectName("HistoryTab");
    tabs_->addTab(historyCharts_, "History");
    tabs_->setTabToolTip(2, "The slope and the mean speed by radius over the run");
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { redraw(); });
    box->addWidget(tabs_, 1);
}

CurvePanel::~CurvePanel() = default;

void CurvePanel::restart()
{
    s_->history.clear();
    s_->recorded = false;
    s_->lastRecord = 0;
    for (AxisRange* a : {&s_->x, &s_->y, &s_->below}) a->reset();
    accelerationChart_->reset();
    ++s_->historyVersion;
    ++s_->frame;
}

void CurvePanel::refresh(const World& w, double exponent, double planetoidFactor, long long tick)
{
    State& s = *s_;
    s.curve.update(w, exponent, planetoidFactor);
    s.colours.colRed = w.colRed;
    s.colours.colGreen = w.colGreen;
    s.colours.colBlue = w.colBlue;

    if (s.recorded && tick < s.lastRecord) restart();
    // Unsigned, so that no difference of ticks can overflow; tick >= lastRecord here.
    if (!s.recorded || static_cast<unsigned long long>(tick) - static_cast<unsigned long long>(s.lastRecord) >=
                           static_cast<unsigned long long>(kRecordEvery)) {
        s.history.record(tick, s.curve);
        s.lastRecord = tick;
        s.recorded = true;
        ++s.historyVersion;
    }

    // The axes cover all the stars but the 2% farthest out on each side.
    s.radii.clear();
    s.speeds.clear();
    for (const StarPoint& p : s.curve.stars()) {
        s.radii.push_back(p.radius);
        s.speeds.push_back(p.speed);
    }
    double far = mostOf(s.radii);
    double fast = mostOf(s.speeds);
    // The predicted curve over the outer half of the stars stays in view too
    // (its inner end rises without bound as the radius shrinks).
    const auto samples = s.curve.samples();
    for (std::size_t k = samples.size() / 2; k < samples.size(); ++k) fast = std::max(fast, samples[k].circular);
    for (double& v : s.speeds) v = -v;
    const double against = mostOf(s.speeds);
    if (s.ngc && s.ngcProblem.isEmpty()) {
        s.scale = scaleObserved(s.ngcRows, s.curve.stars());
        for (const ObservedRow& r : s.ngcRows) {
            far = std::max(far, r.radiusKpc * s.scale.twipsPerKpc);
            fast = std::max(fast, (r.speedKms + r.errorKms) * s.scale.speedPerKms);
        }
    }
    s.x.follow(far);
    s.y.follow(fast);
    s.below.follow(against);

    s.caption = makeCaption(s.curve);
    ++s.frame;
    if (isVisible()) redraw();
}

void CurvePanel::newRun()
{
    restart();
    if (isVisible()) redraw();
}

bool CurvePanel::showNgc3198() const { return s_->ngc; }

void CurvePanel::setShowNgc3198(bool on)
{
    if (!s_->ngcProblem.isEmpty()) on = false;
    if (on == s_->ngc) return;
    s_->ngc = on;
    if (on) s_->scale = scaleObserved(s_->ngcRows, s_->curve.stars());
    ngc_->setChecked(on);
    ++s_->frame;
    if (isVisible()) redraw();
}

bool CurvePanel::nearCircularOnly() const { return s_->nearCircular; }

void CurvePanel::setNearCircularOnly(bool on)
{
    if (on == s_->nearCircular) return;
    s_->nearCircular = on;
    circular_->setChecked(on);
    ++s_->frame;
    emit nearCircularChanged(on);
    if (isVisible()) redraw();
}

QString CurvePanel::caption() const { return s_->caption; }

QString CurvePanel::slopeShown() const { return QString::fromStdString(slopeText(s_->curve.slope())); }

Status CurvePanel::saveCurve(const QString& path) const
{
    if (path.isEmpty()) return fail("no file named to save the rotation curve in");
    return writeFileAtomically(QFile::encodeName(path).toStdString(), curveCsv(s_->curve, s_->colours));
}

Status CurvePanel::exportPlot(const QString& path) const
{
    if (path.isEmpty()) return fail("no file named to export the rotation curve picture to");
    // The caption and the charts of all three tabs at the export size, shown
    // nowhere, so the picture does not depend on the panel's size, on the tab
    // shown or on whether the panel is shown at all.
    QWidget twin;
    twin.setAttribute(Qt::WA_DontShowOnScreen);
    twin.setAutoFillBackground(true);
    QPalette pal = twin.palette();
    pal.setColor(QPalette::Window, kPanelBack);
    pal.setColor(QPalette::WindowText, kText);
    twin.setPalette(pal);
    auto* box = new QVBoxLayout(&twin);
    box->setContentsMargins(10, 8, 10, 8);
    box->setSpacing(4);
    QLabel* caption = newCaption(&twin);
    caption->setText(s_->caption);
    box->addWidget(caption);
    auto* curve = new CurveChart(&twin);
    box->addWidget(curve, 3);
    auto* acceleration = new AccelerationChart(Qt::Horizontal, &twin);
    box->addWidget(acceleration, 2);
    auto* history = new HistoryCharts(Qt::Horizontal, &twin);
    box->addWidget(history, 2);
    twin.resize(kExportWidth, kExportHeight);
    drawCurve(*curve);
    drawAcceleration(*acceleration);
    drawHistory(*history);
    twin.show();
    // Lay out the widgets and the charts inside them; nothing else runs.
    for (int i = 0; i < 3; ++i) QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);

    QImage image(kExportWidth, kExportHeight, QImage::Format_RGB32);
    image.fill(kPanelBack);
    twin.render(&image);
    twin.hide();

    return savePng(image, path);
}

QSize CurvePanel::sizeHint() const { return {460, 640}; }

const RotationCurve& CurvePanel::curve() const { return s_->curve; }

const CurveHistory& CurvePanel::history() const { return s_->history; }

void CurvePanel::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    redraw();
}

void CurvePanel::redraw()
{
    if (!isVisible()) return;
    if (caption_->text() != s_->caption) caption_->setText(s_->caption);
    QWidget* shown = tabs_->currentWidget();
    if (shown == curveChart_ && drawn_.curve != s_->frame) {
        drawCurve(*curveChart_);
        drawn_.curve = s_->frame;
    } else if (shown == accelerationChart_ && drawn_.acceleration != s_->frame) {
        drawAcceleration(*accelerationChart_);
        drawn_.acceleration = s_->frame;
    } else if (shown == historyCharts_ && drawn_.history != s_->historyVersion) {
        drawHistory(*historyCharts_);
        drawn_.history = s_->historyVersion;
    }
}

void CurvePanel::drawCurve(CurveChart& c) const
{
    State& s = *s_;
    const CurveStatistics& stats = s.statisticsNow();
    c.setNgcShown(s.ngc);
    c.setAxes(s.x.max(), -s.below.max(), s.y.max());
    c.setStars(s.curve.stars(), s.colours);
    c.setPredicted(s.curve.samples(), s.curve.exponent(), stats.zoneRadius);
    c.setBinned(stats.binned);
    if (s.ngc) c.setNgc(s.ngcRows, s.scale, s.ngcProblem);
}

void CurvePanel::drawAcceleration(AccelerationChart& c) const
{
    const CurveStatistics& stats = s_->statisticsNow();
    c.setAccelerationData(stats.accelerations, s_->ngc ? std::span<const ChartPoint>(stats.ngcAccelerations)
                                                       : std::span<const ChartPoint>{},
                          stats.relation);
    c.setMassData(stats.dynamical, stats.attracting);
}

void CurvePanel::drawHistory(HistoryCharts& c) const { c.setHistory(s_->history); }

}  // namespace orb
