#include "panel/AccelerationChart.h"

#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "panel/ChartItems.h"
#include "panel/ChartKey.h"
#include "world/World.h"

namespace orb {

using namespace chart;

namespace {

const QColor kUnity(0xa0, 0xa4, 0xb0);
const QColor kRelation(0xb8, 0xf0, 0x6a);
const QColor kDynamical(0xff, 0xd0, 0x50);
const QColor kAttracting(0x6e, 0xc8, 0xff);

// Log axes: few enough labels for a narrow dock, at powers of 10, 100, ...
constexpr int kMostLabels = 6;

QLogValueAxis* newLogAxis(QChart* c, Qt::Alignment side, const QString& title)
{
    auto* a = new QLogValueAxis;
    a->setTitleText(title);
    a->setTitleFont(smaller(a->titleFont()));
    a->setLabelsFont(smaller(a->labelsFont()));
    a->setLabelFormat("%g");
    a->setBase(10);
    a->setMinorTickCount(0);
    a->setRange(0.01, 100);
    c->addAxis(a, side);
    return a;
}

// A chart view over its key.
QVBoxLayout* column(QWidget* view, QWidget* key)
{
    auto* box = new QVBoxLayout;
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(view, 1);
    box->addWidget(key);
    return box;
}

}  // namespace

AccelerationChart::AccelerationChart(Qt::Orientation orientation, QWidget* parent) : QWidget(parent)
{
    auto* box = new QBoxLayout(orientation == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(2);
    makeAccelerationChart();
    makeMassChart();
    box->addLayout(column(accView_, accKey_), 3);
    box->addLayout(column(massView_, massKey_), 2);
    extent_.reserve(2 * static_cast<std::size_t>(kSlots));
    points_.reserve(kSlots);
}

void AccelerationChart::makeAccelerationChart()
{
    acc_ = newChart();
    acc_->legend()->hide();
    gBar_ = newLogAxis(acc_, Qt::AlignBottom, "g_bar (twips/tick²)");
    gObs_ = newLogAxis(acc_, Qt::AlignLeft, "g_obs (twips/tick²)");
    auto attach = [this](QXYSeries* s) {
        acc_->addSeries(s);
        s->attachAxis(gBar_);
        s->attachAxis(gObs_);
    };
    unity_ = new QLineSeries;
    unity_->setName("g_obs = g_bar");
    attach(unity_);
    unity_->setPen(pen(kUnity, 1.2, Qt::DashLine));
    relation_ = new QLineSeries;
    relation_->setName("McGaugh 2016");
    attach(relation_);
    relation_->setPen(pen(kRelation, 2));
    ngc_ = new QScatterSeries;
    ngc_->setName("NGC 3198");
    attach(ngc_);
    ngc_->setMarkerShape(QScatterSeries::MarkerShapeRotatedRectangle);
    ngc_->setMarkerSize(8);
    ngc_->setColor(kNgc);
    ngc_->setBorderColor(kChartBack);
    dots_ = new StarDots(acc_, 1.6, static_cast<std::size_t>(kSlots));
    setLogAxes();

    accView_ = new QChartView(acc_, this);
    accView_->setObjectName("CurveAccelerationChart");
    accView_->setRenderHint(QPainter::Antialiasing);
    accView_->setMinimumSize(240, 180);
    accView_->setToolTip(
        "Each star's acceleration g_obs = v²/r, the pull that keeps it turning as fast as it does, against "
        "g_bar, the pull Newton's law gives from the attracting mass inside its orbit. On the dashed line the "
        "attracting mass accounts for all of it.\nMcGaugh 2016: the radial acceleration relation fitted to 153 "
        "SPARC galaxies by S. S. McGaugh, F. Lelli, J. M. Schombert, Physical Review Letters 117, 201101 (2016).");
    blendIn(accView_);
    accKey_ = new ChartKey(this);
    accKey_->setObjectName("CurveAccelerationKey");
    updateKey();
}

void AccelerationChart::updateKey()
{
    const bool relation = relation_->count() > 0, ngc = ngc_->count() > 0;
    if (keyed_ == (relation ? 1 : 0) + (ngc ? 2 : 0)) return;
    keyed_ = (relation ? 1 : 0) + (ngc ? 2 : 0);
    std::vector<ChartKey::Entry> entries{{ChartKey::Mark::Disc, kAccelerationDot, "stars"},
                                         {ChartKey::Mark::Dashes, kUnity, unity_->name()}};
    if (relation) entries.push_back({ChartKey::Mark::Line, kRelation, relation_->name()});
    if (ngc) entries.push_back({ChartKey::Mark::Diamond, kNgc, ngc_->name()});
    accKey_->setEntries(entries);
}

void AccelerationChart::makeMassChart()
{
    mass_ = newChart();
    mass_->legend()->hide();
    massX_ = newAxis(mass_, Qt::AlignBottom, "radius (twips)");
    massY_ = newAxis(mass_, Qt::AlignLeft, "mass (gravity)");
    for (QValueAxis* a : {massX_, massY_}) {
        a->setTitleFont(smaller(a->titleFont()));
        a->setLabelsFont(smaller(a->labelsFont()));
    }
    attracting_ = newLine(mass_, "M(<r)", pen(kAttracting, 2), massX_, massY_);
    dynamical_ = newLine(mass_, "M_dyn", pen(kDynamical, 1.5), massX_, massY_);
    ngcVisible_ = newLine(mass_, "NGC 3198 visible", pen(kNgc, 1.5, Qt::DashLine), massX_, massY_);
    ngcDynamical_ = new QScatterSeries;
    ngcDynamical_->setName("NGC 3198 M_dyn");
    mass_->addSeries(ngcDynamical_);
    ngcDynamical_->attachAxis(massX_);
    ngcDynamical_->attachAxis(massY_);
    ngcDynamical_->setMarkerShape(QScatterSeries::MarkerShapeRotatedRectangle);
    ngcDynamical_->setMarkerSize(7);
    ngcDynamical_->setColor(kNgc);
    ngcDynamical_->setBorderColor(kChartBack);
    setRange(massX_, 0, radiusRange_.max());
    setRange(massY_, 0, massRange_.max());

    massView_ = new QChartView(mass_, this);
    massView_->setObjectName("CurveMassChart");
    massView_->setRenderHint(QPainter::Antialiasing);
    massView_->setMinimumSize(240, 130);
    massView_->setToolTip("M_dyn: the mass inside a star's orbit that its speed asks for under the run's law.\n"
                          "M(<r): the gravity of the attracting bodies inside that orbit.\n"
                          "NGC 3198 (with the overlay): the mass its observed speeds ask for under Newton's law, "
                          "against the mass of its visible matter, at the scale of the overlay.");
    blendIn(massView_);
    massKey_ = new ChartKey(this);
    massKey_->setObjectName("CurveMassKey");
    updateMassKey(false);
}

void AccelerationChart::updateMassKey(bool ngc)
{
    std::vector<ChartKey::Entry> entries{{ChartKey::Mark::Line, kDynamical, dynamical_->name()},
                                         {ChartKey::Mark::Line, kAttracting, attracting_->name()}};
    if (ngc) {
        entries.push_back({ChartKey::Mark::Diamond, kNgc, ngcDynamical_->name()});
        entries.push_back({ChartKey::Mark::Dashes, kNgc, ngcVisible_->name()});
    }
    massKey_->setEntries(entries);
    massNgcKeyed_ = ngc;
}

void AccelerationChart::setLogAxes()
{
    if (decades_.lowDecade() == axesLo_ && decades_.highDecade() == axesHi_) return;
    axesLo_ = decades_.lowDecade();
    axesHi_ = decades_.highDecade();
    const double lo = decades_.min(), hi = decades_.max();
    const int span = decades_.highDecade() - decades_.lowDecade();
    const double base = std::pow(10.0, (span + kMostLabels - 1) / kMostLabels);
    for (QLogValueAxis* a : {gBar_, gObs_}) {
        if (a->base() != base) a->setBase(base);
        a->setRange(lo, hi);
    }
    unity_->replace(QList<QPointF>{{lo, lo}, {hi, hi}});
    const double l = decades_.lowDecade(), h = decades_.highDecade();
    dots_->setRange(l, h, l, h);
}

void AccelerationChart::setAccelerationData(std::span<const ChartPoint> stars, std::span<const ChartPoint> ngc,
                                            std::span<const ChartPoint> relation)
{
    // The axes cover all the stars but the 2% farthest out at either end, and
    // every point of NGC 3198.
    extent_.clear();
    for (const ChartPoint& p : stars)
        if (onLogAxes(p)) {
            extent_.push_back(std::log10(p.x));
            extent_.push_back(std::log10(p.y));
        }
    double hi = extent_.empty() ? -HUGE_VAL : mostOf(extent_);
    for (double& v : extent_) v = -v;
    double lo = extent_.empty() ? HUGE_VAL : -mostOf(extent_);
    for (const ChartPoint& p : ngc)
        if (onLogAxes(p)) {
            hi = std::max({hi, std::log10(p.x), std::log10(p.y)});
            lo = std::min({lo, std::log10(p.x), std::log10(p.y)});
        }
    if (lo <= hi) decades_.follow(std::pow(10.0, lo), std::pow(10.0, hi));
    setLogAxes();

    auto& dots = dots_->dots();
    dots.clear();
    const QRgb colour = kAccelerationDot.rgb();
    for (const ChartPoint& p : stars)
        if (onLogAxes(p)) dots.push_back({std::log10(p.x), std::log10(p.y), colour});
    starsDrawn_ = static_cast<int>(dots.size());
    dots_->update();

    // Points far off the chart are drawn at a few chart lengths out, where the
    // painter can still reach them; still positive, still finite.
    const double l = decades_.lowDecade(), h = decades_.highDecade(), reach = 3 * (h - l);
    auto near = [&](double v) { return std::pow(10.0, std::clamp(std::log10(v), l - reach, h + reach)); };
    auto fill = [&](QXYSeries* series, std::span<const ChartPoint> from) {
        points_.clear();
        for (const ChartPoint& p : from)
            if (onLogAxes(p)) points_.append(QPointF(near(p.x), near(p.y)));
        series->replace(points_);
    };
    fill(ngc_, ngc);
    fill(relation_, relation);
    updateKey();
}

void AccelerationChart::setMassData(std::span<const ChartPoint> dynamical, std::span<const ChartPoint> attracting,
                                    std::span<const ChartPoint> ngcDynamical, std::span<const ChartPoint> ngcVisible)
{
    auto finite = [](const ChartPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); };
    extent_.clear();
    for (auto line : {dynamical, attracting, ngcDynamical, ngcVisible})
        for (const ChartPoint& p : line)
            if (finite(p)) extent_.push_back(p.x);
    radiusRange_.follow(mostOf(extent_));
    extent_.clear();
    for (auto line : {dynamical, attracting, ngcDynamical, ngcVisible})
        for (const ChartPoint& p : line)
            if (finite(p)) extent_.push_back(p.y);
    massRange_.follow(mostOf(extent_));
    const double x1 = radiusRange_.max(), y1 = massRange_.max();
    setRange(massX_, 0, x1);
    setRange(massY_, 0, y1);

    auto fill = [&](QXYSeries* series, std::span<const ChartPoint> from) {
        points_.clear();
        for (const ChartPoint& p : from)
            if (finite(p)) points_.append(QPointF(drawable(p.x, 0, x1), drawable(p.y, 0, y1)));
        series->replace(points_);
    };
    fill(dynamical_, dynamical);
    fill(attracting_, attracting);
    fill(ngcDynamical_, ngcDynamical);
    fill(ngcVisible_, ngcVisible);
    const bool ngc = !ngcDynamical.empty() || !ngcVisible.empty();
    if (ngc != massNgcKeyed_) updateMassKey(ngc);
}

void AccelerationChart::reset()
{
    decades_.reset();
    radiusRange_.reset();
    massRange_.reset();
    setLogAxes();
}

}  // namespace orb
