#include "panel/CurvePanel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "base/Files.h"
#include "curve/Acceleration.h"
#include "curve/BinnedCurve.h"
#include "curve/CurveCsv.h"
#include "curve/CurveText.h"
#include "curve/NgcScale.h"
#include "curve/ObservedCurve.h"
#include "panel/AccelerationChart.h"
#include "panel/ChartStyle.h"
#include "panel/CurveChart.h"
#include "panel/HistoryCharts.h"
#include "platform/Pictures.h"
#include "world/TableHash.h"

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

QString makeCaption(const BinnedCurve& binned, int inPlay)
{
    const BinnedFit& fit = binned.fit();
    if (fit.slope) return QStringLiteral("Rotation curve — ") + QString::fromStdString(binnedFitText(fit));
    // Within the pair's zone its own shape pulls as much as its mass: the
    // stars there say nothing clean about the law.
    const double zone = binned.zoneRadius();
    const QString beyond = zone > 0 ? QStringLiteral("beyond the pair's zone of %1 twips").arg(zone, 0, 'f', 0)
                                    : QStringLiteral("beyond the centre");
    const QString why = inPlay == 0 ? QStringLiteral("no stars in play")
                                    : QStringLiteral("fewer than %1 radial bins with stars %2")
                                          .arg(BinnedCurve::kMinFitBins)
                                          .arg(beyond);
    return QStringLiteral("Rotation curve — slope: none (%1)").arg(why);
}

// What the data of NGC 3198 say, whatever the scale: how far its observed
// speed stands above what its visible matter gives at its outermost point,
// and the exponent its outer curve implies.
QString ngcCaption(std::span<const ObservedRow> rows)
{
    if (rows.empty()) return {};
    const ExponentFit outer = ngcOuterExponent(rows);
    return QStringLiteral("NGC 3198: V_obs / V_bar = %1 at %2 kpc; its curve beyond %3 kpc implies exponent %4")
        .arg(QString::fromStdString(twoDecimals(ngcOuterSpeedRatio(rows))))
        .arg(rows.back().radiusKpc, 0, 'f', 1)
        .arg(kNgcOuterFromKpc, 0, 'f', 0)
        .arg(QString::fromStdString(exponentWithErrorText(outer)));
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
    std::vector<ChartPoint> dynamical;   // M_dyn by radius, a point a bin
    std::vector<ChartPoint> attracting;  // M(<r) by radius
    std::vector<ChartPoint> ngcDynamical, ngcVisible;  // NGC 3198's, at the scale drawn
};

// The comment line that ties an export to the table it was made from.
std::string hashLine(const World& table) { return "# table hash " + hashText(tableHash(table)) + '\n'; }

}  // namespace

struct CurvePanel::State {
    RotationCurve curve;
    BinnedCurve binned;
    RadialAcceleration accelerations;
    NgcScaleKeeper keeper;
    std::vector<ObservedAcceleration> ngcObserved;  // scratch
    // The body columns of the table the curve was read from: the dots and the
    // saved curve show what the curve saw, and the exports carry its hash.
    World colours;
    CurveHistory history;
    std::vector<ObservedRow> ngcRows;
    QString ngcProblem;
    bool ngc = false;
    bool nearCircular = false;
    ObservedScale scale;
    AxisRange x{500}, y{5}, below{0};
    QString caption;     // the fit, and NGC 3198's figures while shown
    QString fitCaption;  // the fit alone
    std::vector<double> radii, speeds;  // scratch for the axes' extents
    long long lastRecord = 0;
    bool recorded = false;
    // The tick the run started at, so the charts count the run's own ticks;
    // -1 until known (the first refresh of a run stands in for it).
    long long runStart = -1;
    // Bumped whenever what the charts show changes: the curve at each refresh,
    // the history at each record.
    unsigned long long frame = 1, historyVersion = 1;
    CurveStatistics statistics;
    unsigned long long statisticsFrame = 0;

    const CurveStatistics& statisticsNow()
    {
        if (statisticsFrame != frame) {
            gather();
            statisticsFrame = frame;
        }
        return statistics;
    }

    void gather();
};

void CurvePanel::State::gather()
{
    CurveStatistics& out = statistics;
    out.zoneRadius = curve.zoneRadius();
    out.binned.clear();
    for (const CurveBin& b : binned.bins()) out.binned.push_back({b.radius, b.speed, b.speedError});

    accelerations.update(curve, binned);
    out.accelerations.clear();
    for (const AccelerationPoint& p : accelerations.stars()) out.accelerations.push_back({p.gBar, p.gObs});
    out.dynamical.clear();
    out.attracting.clear();
    for (const AccelerationPoint& p : accelerations.bins()) {
        out.dynamical.push_back({p.radius, p.dynamical});
        out.attracting.push_back({p.radius, p.attracting});
    }

    out.ngcAccelerations.clear();
    out.relation.clear();
    out.ngcDynamical.clear();
    out.ngcVisible.clear();
    if (!ngc || !ngcProblem.isEmpty()) return;
    ngcObserved = observedAccelerations(ngcRows, scale);
    double lo = 0, hi = 0;
    auto span = [&](double g) {
        if (!(g > 0) || !std::isfinite(g)) return;
        lo = lo > 0 ? std::min(lo, g) : g;
        hi = std::max(hi, g);
    };
    for (const ObservedAcceleration& a : ngcObserved) {
        out.ngcAccelerations.push_back({a.gBar, a.gObs});
        span(a.gBar);
        // Newton's mass for the observed and the visible speeds at this radius.
        out.ngcDynamical.push_back({a.radius, a.gObs * a.radius * a.radius / 10000});
        out.ngcVisible.push_back({a.radius, std::max(0.0, a.gBar) * a.radius * a.radius / 10000});
    }
    for (const ChartPoint& p : out.accelerations) span(p.x);
    if (hi > 0) {
        for (const AccelerationSample& m : mlsCurve(lo / 2, hi * 2, 64, mlsGDagger(scale)))
            out.relation.push_back({m.gBar, m.gObs});
    }
}

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
    s_->caption = makeCaption(s_->binned, 0);
    s_->radii.reserve(kSlots);
    s_->speeds.reserve(kSlots);

    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(4, 4, 4, 4);
    box->setSpacing(3);
    caption_ = newCaption(this);
    // Three lines whatever the text, so nothing below moves as it changes.
    caption_->setFixedHeight(3 * caption_->fontMetrics().lineSpacing() + 2);
    caption_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
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
    connect(rescale_, &QPushButton::clicked, this, &CurvePanel::rescale);
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
    s_->binned.clear();
    s_->keeper.rescaleNext();
    s_->recorded = false;
    s_->lastRecord = 0;
    s_->runStart = -1;
    for (AxisRange* a : {&s_->x, &s_->y, &s_->below}) a->reset();
    accelerationChart_->reset();
    ++s_->historyVersion;
    ++s_->frame;
}

void CurvePanel::refresh(const World& w, const CurveLaw& law, long long tick)
{
    State& s = *s_;
    s.curve.update(w, law.exponent, law.planetoidFactor, law.pullFactor);
    forEachBodyColumn([&](const char*, auto column) { s.colours.*column = w.*column; });

    if (s.recorded && tick < s.lastRecord) restart();
    if (s.runStart < 0 || tick < s.runStart) s.runStart = tick;
    const long long runTick = tick - s.runStart;
    // Every refresh feeds the binned curve (a refresh at the same tick, as
    // while paused, stands in for the one before); the history takes the
    // binned slope every kRecordEvery ticks.
    s.binned.record(runTick, s.curve, s.nearCircular);
    // Unsigned, so that no difference of ticks can overflow; tick >= lastRecord here.
    if (!s.recorded || static_cast<unsigned long long>(tick) - static_cast<unsigned long long>(s.lastRecord) >=
                           static_cast<unsigned long long>(kRecordEvery)) {
        s.history.record(runTick, s.curve, s.binned.fit().slope);
        s.lastRecord = tick;
        s.recorded = true;
        ++s.historyVersion;
    }
    if (s.ngcProblem.isEmpty()) s.keeper.update(s.ngcRows, s.curve);
    s.scale = s.keeper.scale();

    // The axes cover all the stars but the 2% farthest out on each side, so
    // that a star or two flung far out do not squash the rest.
    s.radii.clear();
    s.speeds.clear();
    for (const StarPoint& p : s.curve.stars()) {
        s.radii.push_back(p.radius);
        s.speeds.push_back(p.speed);
    }
    double far = mostOf(s.radii);
    double fast = mostOf(s.speeds);
    // The binned curve and the predicted curve beyond the zone stay in view
    // too (the prediction's inner end rises without bound as the radius
    // shrinks).
    for (const CurveBin& b : s.binned.bins()) fast = std::max(fast, b.speed + b.speedError);
    const auto samples = s.curve.samples();
    for (std::size_t k = samples.size() / 2; k < samples.size(); ++k)
        if (samples[k].beyondZone) fast = std::max(fast, samples[k].circular);
    for (double& v : s.speeds) v = -v;
    const double against = mostOf(s.speeds);
    if (s.ngc && s.ngcProblem.isEmpty()) {
        for (const ObservedRow& r : s.ngcRows) {
            far = std::max(far, r.radiusKpc * s.scale.twipsPerKpc);
            fast = std::max(fast, (r.speedKms + r.errorKms) * s.scale.speedPerKms);
        }
    }
    s.x.follow(far);
    s.y.follow(fast);
    s.below.follow(against);

    s.fitCaption = makeCaption(s.binned, static_cast<int>(s.curve.stars().size()));
    s.caption = s.fitCaption;
    if (s.ngc && s.ngcProblem.isEmpty()) s.caption += "\n" + ngcCaption(s.ngcRows);
    ++s.frame;
    if (isVisible()) redrawSoon();
}

void CurvePanel::setRedrawInterval(int ms) { redrawInterval_ = std::max(0, ms); }

void CurvePanel::redrawSoon()
{
    // Refreshes faster than the interval are drawn together: the latest one a
    // little later, once, so the last state always shows.
    if (redrawInterval_ > 0 && lastRedraw_.isValid() && lastRedraw_.elapsed() < redrawInterval_) {
        if (!redrawPending_) {
            redrawPending_ = true;
            QTimer::singleShot(static_cast<int>(redrawInterval_ - lastRedraw_.elapsed()), this, [this] {
                redrawPending_ = false;
                redraw();
            });
        }
        return;
    }
    redraw();
}

void CurvePanel::newRun(long long startTick)
{
    restart();
    s_->runStart = startTick < 0 ? -1 : startTick;
    if (isVisible()) redraw();
}

bool CurvePanel::showNgc3198() const { return s_->ngc; }

void CurvePanel::setShowNgc3198(bool on)
{
    if (!s_->ngcProblem.isEmpty()) on = false;
    if (on == s_->ngc) return;
    s_->ngc = on;
    // The scale is chosen from the stars at the next refresh, and then kept.
    if (on) s_->keeper.rescaleNext();
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

void CurvePanel::rescale()
{
    s_->keeper.rescaleNext();
    emit rescaleRequested();
}

QString CurvePanel::slopeShown() const { return QString::fromStdString(slopeWithErrorText(s_->binned.fit())); }

QString CurvePanel::exponentShown() const { return QString::fromStdString(exponentWithErrorText(s_->binned.fit())); }

QString CurvePanel::ngcScaleShown() const { return QString::fromStdString(ngcScaleText(s_->scale)); }

QString CurvePanel::ngcExponentShown() const
{
    return QString::fromStdString(exponentWithErrorText(ngcOuterExponent(s_->ngcRows)));
}

Status CurvePanel::saveCurve(const QString& path) const
{
    if (path.isEmpty()) return fail("no file named to save the rotation curve in");
    return writeFileAtomically(QFile::encodeName(path).toStdString(),
                               hashLine(s_->colours) + curveCsv(s_->curve, s_->colours, s_->binned));
}

Status CurvePanel::saveBins(const QString& path) const
{
    if (path.isEmpty()) return fail("no file named to save the binned rotation curve in");
    return writeFileAtomically(QFile::encodeName(path).toStdString(),
                               hashLine(s_->colours) + binnedCurveCsv(s_->binned));
}

Status CurvePanel::saveAccelerations(const QString& path) const
{
    if (path.isEmpty()) return fail("no file named to save the accelerations in");
    return writeFileAtomically(QFile::encodeName(path).toStdString(),
                               hashLine(s_->colours) + rarCsv(s_->curve, s_->scale));
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

    return savePng(image, path, tableHash(s_->colours));
}

QSize CurvePanel::sizeHint() const { return {460, 640}; }

const RotationCurve& CurvePanel::curve() const { return s_->curve; }

const CurveHistory& CurvePanel::history() const { return s_->history; }

const BinnedCurve& CurvePanel::binned() const { return s_->binned; }

const ObservedScale& CurvePanel::ngcScale() const { return s_->scale; }

void CurvePanel::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    redraw();
}

void CurvePanel::redraw()
{
    if (!isVisible()) return;
    lastRedraw_.start();
    // On screen the caption holds the fit; NGC 3198's figures stand with its
    // scale on the curve tab, so the caption's height never changes.
    if (caption_->text() != s_->fitCaption) caption_->setText(s_->fitCaption);
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
    if (s.ngc) c.setNgc(s.ngcRows, s.scale, s.ngcProblem, ngcCaption(s.ngcRows));
}

void CurvePanel::drawAcceleration(AccelerationChart& c) const
{
    const CurveStatistics& stats = s_->statisticsNow();
    c.setAccelerationData(stats.accelerations, s_->ngc ? std::span<const ChartPoint>(stats.ngcAccelerations)
                                                       : std::span<const ChartPoint>{},
                          stats.relation);
    c.setMassData(stats.dynamical, stats.attracting, stats.ngcDynamical, stats.ngcVisible);
}

void CurvePanel::drawHistory(HistoryCharts& c) const { c.setHistory(s_->history); }

}  // namespace orb
