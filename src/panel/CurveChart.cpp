#include "panel/CurveChart.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "panel/ChartItems.h"
#include "panel/ChartKey.h"
#include "panel/ChartStyle.h"

namespace orb {

using namespace chart;

CurveChart::CurveChart(QWidget* parent) : QWidget(parent)
{
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    scale_ = new QLabel(this);
    scale_->setObjectName("CurveScale");
    scale_->setWordWrap(true);
    scale_->setContentsMargins(0, 0, 0, 2);
    scale_->hide();
    box->addWidget(scale_);

    chart_ = newChart();
    chart_->legend()->hide();
    x_ = newAxis(chart_, Qt::AlignBottom, "radius (twips)");
    y_ = newAxis(chart_, Qt::AlignLeft, "speed (twips per tick)");
    kepler_ = newLine(chart_, "Keplerian, e = 2", pen(kKepler, 1.5, Qt::DashLine), x_, y_);
    flat_ = newLine(chart_, "flat, e = 1", pen(kFlat, 1.5, Qt::DashLine), x_, y_);
    // Over the references: at e = 2 it is the Keplerian curve itself.
    predicted_ = newLine(chart_, "predicted, e = 2", pen(kPredicted, 2), x_, y_);
    inner_ = newLine(chart_, "predicted, inner zone", pen(kPredicted, 1.2, Qt::DashLine), x_, y_);
    dots_ = new StarDots(chart_, 2.2, static_cast<std::size_t>(kSlots));
    bars_ = new ErrorBars(chart_, kBinnedMean);
    makeNgcSeries();
    view_ = new QChartView(chart_, this);
    view_->setObjectName("CurveChart");
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setMinimumSize(240, 180);
    blendIn(view_);
    box->addWidget(view_, 1);
    key_ = new ChartKey(this);
    key_->setObjectName("CurveKey");
    box->addWidget(key_);
    updateKey();

    points_.reserve(RotationCurve::kSamples);
}

CurveChart::~CurveChart()
{
    // Series taken off the chart belong to nobody.
    if (!ngcShown_) {
        delete ngcBand_;
        delete ngcObserved_;
        delete ngcVisible_;
    }
}

void CurveChart::makeNgcSeries()
{
    // The band's edges belong to the chart, which outlives the band: an area
    // series cannot own its edges, they would outlive its insides.
    ngcBand_ = new QAreaSeries(new QLineSeries(chart_), new QLineSeries(chart_));
    ngcBand_->setName("NGC 3198");
    ngcObserved_ = new QLineSeries;
    ngcObserved_->setName("NGC 3198 observed");
    ngcObserved_->setPointsVisible(true);
    ngcVisible_ = new QLineSeries;
    ngcVisible_->setName("NGC 3198 visible matter");
    ngcStyle_ = [this] {
        ngcBand_->setPen(Qt::NoPen);
        QColor band = kNgc;
        band.setAlpha(0x50);
        ngcBand_->setBrush(band);
        ngcObserved_->setPen(pen(kNgc, 1.5));
        ngcObserved_->setMarkerSize(4);
        ngcVisible_->setPen(pen(kVisibleMatter, 1.5, Qt::DotLine));
    };
}

void CurveChart::setNgcShown(bool on)
{
    if (on == ngcShown_) return;
    ngcShown_ = on;
    scale_->setVisible(on);
    const std::initializer_list<QAbstractSeries*> ngc = {ngcBand_, ngcObserved_, ngcVisible_};
    if (!on) {
        for (QAbstractSeries* s : ngc) chart_->removeSeries(s);
        updateKey();
        return;
    }
    for (QAbstractSeries* s : ngc) {
        chart_->addSeries(s);
        s->attachAxis(x_);
        s->attachAxis(y_);
    }
    ngcStyle_();
    updateKey();
}

void CurveChart::updateKey()
{
    const Keyed now{predicted_->name(), inner_->count() > 0, !bars_->bars().empty(), ngcShown_};
    if (keyed_ && *keyed_ == now) return;
    keyed_ = now;
    std::vector<ChartKey::Entry> entries;
    if (now.binned) entries.push_back({ChartKey::Mark::Ring, kBinnedMean, "binned mean ± error"});
    entries.push_back({ChartKey::Mark::Line, kPredicted, now.predicted});
    if (now.inner) entries.push_back({ChartKey::Mark::Dashes, kPredicted, "predicted, inner zone"});
    entries.push_back({ChartKey::Mark::Dashes, kKepler, kepler_->name()});
    entries.push_back({ChartKey::Mark::Dashes, kFlat, flat_->name()});
    if (now.ngc) {
        entries.push_back({ChartKey::Mark::Band, kNgc, ngcBand_->name()});
        entries.push_back({ChartKey::Mark::Dots, kVisibleMatter, ngcVisible_->name()});
    }
    key_->setEntries(entries);
}

void CurveChart::setAxes(double xMax, double yMin, double yMax)
{
    x1_ = xMax;
    y0_ = yMin;
    y1_ = yMax;
    setRange(x_, 0, x1_);
    setRange(y_, y0_, y1_);
    dots_->setRange(0, x1_, y0_, y1_);
    bars_->setRange(0, x1_, y0_, y1_);
}

void CurveChart::setStars(std::span<const StarPoint> stars, const World& colours)
{
    auto& dots = dots_->dots();
    dots.clear();
    for (const StarPoint& p : stars) {
        const int b = p.body;
        dots.push_back({p.radius, p.speed,
                        qRgb(channel(colours.colRed[b]), channel(colours.colGreen[b]), channel(colours.colBlue[b]))});
    }
    dots_->update();
}

void CurveChart::setLine(QLineSeries* series, std::span<const CurveSample> samples, double CurveSample::*v,
                         double factor)
{
    points_.clear();
    for (const CurveSample& c : samples)
        points_.append(QPointF(drawable(c.radius, 0, x1_), drawable(c.*v * factor, y0_, y1_)));
    series->replace(points_);
}

void CurveChart::setPredicted(std::span<const CurveSample> samples, std::optional<double> exponent, double zoneRadius)
{
    const QString name = exponent ? QStringLiteral("predicted, e = %1").arg(QString::number(*exponent, 'g', 4))
                                  : QStringLiteral("predicted (no exponent)");
    if (predicted_->name() != name) predicted_->setName(name);
    if (std::isnan(zoneRadius)) zoneRadius = 0;
    // The samples run outwards: those inside the zone come first. The dashed
    // inner part reaches the first sample beyond, so that the two meet.
    std::size_t first = 0;
    while (first < samples.size() && !(samples[first].radius >= zoneRadius)) ++first;
    const auto inside = samples.first(std::min(samples.size(), first + 1));
    const auto beyond = samples.subspan(first);
    // The references hold the speeds the same gravity would give under their
    // own laws, which lie far off the chart (e = 1 turns a hundred times
    // faster than e = 2 here).
    auto factor = [&](double CurveSample::*v) {
        const auto from = beyond.empty() ? samples : beyond;
        if (from.empty()) return 1.0;
        const CurveSample& mid = from[from.size() / 2];
        const double f = mid.circular / (mid.*v);
        return mid.circular > 0 && mid.*v > 0 && std::isfinite(f) ? f : 1.0;
    };
    setLine(predicted_, beyond, &CurveSample::circular, 1);
    setLine(inner_, first > 0 ? inside : std::span<const CurveSample>{}, &CurveSample::circular, 1);
    setLine(kepler_, beyond, &CurveSample::kepler, factor(&CurveSample::kepler));
    setLine(flat_, beyond, &CurveSample::flat, factor(&CurveSample::flat));
    updateKey();
}

void CurveChart::setBinned(std::span<const BinnedSpeed> points)
{
    auto& bars = bars_->bars();
    bars.clear();
    for (const BinnedSpeed& p : points) {
        const double e = std::fabs(p.error);
        if (!(std::isfinite(p.radius) && std::isfinite(p.speed) && std::isfinite(e))) continue;
        bars.push_back({p.radius, p.speed, p.speed - e, p.speed + e});
    }
    bars_->update();
    updateKey();
}

void CurveChart::setNgc(std::span<const ObservedRow> rows, const ObservedScale& k, const QString& problem,
                        const QString& note)
{
    QList<QPointF> hi, lo, obs, vis;
    for (const ObservedRow& r : rows) {
        const double x = drawable(r.radiusKpc * k.twipsPerKpc, 0, x1_);
        auto at = [&](double kms) { return QPointF(x, drawable(kms * k.speedPerKms, y0_, y1_)); };
        hi.append(at(r.speedKms + r.errorKms));
        lo.append(at(r.speedKms - r.errorKms));
        obs.append(at(r.speedKms));
        vis.append(at(visibleSpeed(r)));
    }
    ngcBand_->upperSeries()->replace(hi);
    ngcBand_->lowerSeries()->replace(lo);
    ngcObserved_->replace(obs);
    ngcVisible_->replace(vis);
    QString text = problem;
    if (text.isEmpty()) {
        text = QStringLiteral("NGC 3198: 1 kpc = %1 twips, 1 km/s = %2 twips per tick")
                   .arg(numberText(k.twipsPerKpc), numberText(k.speedPerKms));
        if (!k.matched) text += QStringLiteral(" (default scale: no stars to match yet)");
        if (!note.isEmpty()) text += QStringLiteral("\n") + note;
    }
    if (scale_->text() != text) scale_->setText(text);
}

}  // namespace orb
