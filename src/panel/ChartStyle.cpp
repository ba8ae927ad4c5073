#include "panel/ChartStyle.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <cstddef>

namespace orb::chart {

namespace {

// The smallest of m x 10^k not below x, for m among `steps` (ascending, from 1
// to below 10); 0 for x <= 0.
template <std::size_t N>
double smallestAbove(double x, const double (&steps)[N])
{
    if (!(x > 0)) return 0;
    x = std::min(x, kAxisCap);
    double base = 1;
    while (base * 10 <= x) base *= 10;
    while (base > x) base /= 10;
    for (double m : steps)
        if (m * base >= x) return m * base;
    return 10 * base;
}

}  // namespace

double niceAbove(double x)
{
    static const double steps[] = {1, 1.5, 2, 3, 4, 5, 6, 8};
    return smallestAbove(x, steps);
}

double tickStep(double end)
{
    static const double steps[] = {1, 2, 5};
    return std::max(smallestAbove(end / 5, steps), 1e-9);
}

void AxisRange::follow(double data)
{
    const double d = data > 0 ? std::min(data, kAxisCap) : 0.0;
    // A little headroom, so that the farthest dot does not sit on the frame.
    const double target = std::max(floor_, niceAbove(d * 1.05));
    if (!set_ || d > max_) {
        max_ = target;
        set_ = true;
        low_ = 0;
    } else if (d < max_ / 2) {
        if (++low_ >= kShrinkAfter) {
            max_ = target;
            low_ = 0;
        }
    } else {
        low_ = 0;
    }
}

void AxisRange::reset()
{
    set_ = false;
    max_ = floor_;
    low_ = 0;
}

DecadeRange::DecadeRange(int lo, int hi) : firstLo_(lo), firstHi_(std::max(hi, lo + 1)), lo_(firstLo_), hi_(firstHi_) {}

void DecadeRange::follow(double lo, double hi)
{
    if (!(lo > 0 && hi >= lo && std::isfinite(hi))) return;
    // A little room, so that a point on a decade does not sit on the frame.
    const double top = static_cast<double>(kMaxDecade);
    const double l = std::clamp(std::log10(lo) - 0.02, -top, top - 1);
    const double h = std::clamp(std::log10(hi) + 0.02, -top + 1, top);
    int wantHi = static_cast<int>(std::ceil(h));
    int wantLo = std::max(static_cast<int>(std::floor(l)), wantHi - kMaxSpan);
    if (wantHi <= wantLo) wantHi = wantLo + 1;
    if (!set_ || wantLo < lo_ || wantHi > hi_) {
        lo_ = set_ ? std::min(lo_, wantLo) : wantLo;
        hi_ = set_ ? std::max(hi_, wantHi) : wantHi;
        lo_ = std::max(lo_, hi_ - kMaxSpan);
        set_ = true;
        inside_ = 0;
    } else if (wantLo > lo_ || wantHi < hi_) {
        if (++inside_ >= kShrinkAfter) {
            lo_ = wantLo;
            hi_ = wantHi;
            inside_ = 0;
        }
    } else {
        inside_ = 0;
    }
}

void DecadeRange::reset()
{
    lo_ = firstLo_;
    hi_ = firstHi_;
    set_ = false;
    inside_ = 0;
}

double DecadeRange::min() const { return std::pow(10.0, lo_); }

double DecadeRange::max() const { return std::pow(10.0, hi_); }

bool onLogAxes(const ChartPoint& p) { return p.x > 0 && p.y > 0 && std::isfinite(p.x) && std::isfinite(p.y); }

double drawable(double v, double lo, double hi)
{
    const double reach = (hi - lo) * kDrawReach;
    return std::clamp(v, lo - reach, hi + reach);
}

double mostOf(std::vector<double>& v)
{
    if (v.empty()) return 0;
    // The top 2 %, and from twenty values on at least the single farthest: one
    // star flung out of a small galaxy does not set the axis either.
    const std::size_t skip = std::max<std::size_t>(v.size() / 50, v.size() >= 20 ? 1 : 0);
    const auto at = v.end() - 1 - static_cast<std::ptrdiff_t>(skip);
    std::nth_element(v.begin(), at, v.end());
    return *at;
}

int channel(float c) { return c >= 255 ? 255 : c > 0 ? static_cast<int>(c + 0.5f) : 0; }

QString numberText(double v) { return std::fabs(v) >= 100 ? QString::number(v, 'f', 0) : QString::number(v, 'g', 3); }

QFont smaller(QFont f)
{
    f.setPointSizeF(std::max(6.0, f.pointSizeF() * 0.85));
    return f;
}

QPen pen(const QColor& c, double width, Qt::PenStyle style)
{
    QPen p(c, width, style);
    p.setCosmetic(true);
    return p;
}

QChart* newChart()
{
    auto* c = new QChart;
    c->setTheme(QChart::ChartThemeDark);
    c->setAnimationOptions(QChart::NoAnimation);
    c->setBackgroundRoundness(0);
    c->setMargins(QMargins(2, 2, 2, 2));
    return c;
}

QValueAxis* newAxis(QChart* c, Qt::Alignment side, const QString& title)
{
    auto* a = new QValueAxis;
    a->setTitleText(title);
    a->setLabelFormat("%g");
    a->setRange(0, 1);
    a->setTickInterval(0.2);
    a->setTickAnchor(0);
    a->setTickType(QValueAxis::TicksDynamic);
    c->addAxis(a, side);
    return a;
}

QLineSeries* newLine(QChart* c, const QString& name, const QPen& pen, QValueAxis* x, QValueAxis* y)
{
    auto* s = new QLineSeries;
    s->setName(name);
    s->setUseOpenGL(false);
    c->addSeries(s);
    s->attachAxis(x);
    s->attachAxis(y);
    s->setPen(pen);
    return s;
}

void blendIn(QChartView* view)
{
    view->setFrameShape(QFrame::NoFrame);
    view->setBackgroundBrush(kChartBack);
    view->setStyleSheet("background: transparent;");
}

void setRange(QValueAxis* a, double lo, double hi, double step)
{
    if (a->min() == lo && a->max() == hi && a->tickInterval() == step) return;
    // The axis lays out its ticks at each change: a wide range must never meet
    // a fine step, not even for a moment, or it makes millions of them.
    if (step > a->tickInterval()) {
        a->setTickInterval(step);
        a->setRange(lo, hi);
    } else {
        a->setRange(lo, hi);
        a->setTickInterval(step);
    }
}

void setRange(QValueAxis* a, double lo, double hi)
{
    setRange(a, lo, hi, tickStep(std::max(std::fabs(lo), std::fabs(hi))));
}

}  // namespace orb::chart
