#include "panel/HistoryCharts.h"

#include <QAreaSeries>
#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "panel/ChartStyle.h"

namespace orb {

using namespace chart;

namespace {

// Points of the slope over the run, at most.
constexpr int kSlopePoints = 128;

// The heat colour of a mean speed: dark to yellow for the galaxy's sense of
// turning, dark to blue against it; t in -1..1.
QRgb heatColour(double t)
{
    struct Stop {
        double at;
        int r, g, b;
    };
    static const Stop warm[] = {{0, 30, 16, 70}, {0.3, 120, 30, 120}, {0.6, 220, 70, 60}, {0.8, 250, 165, 40}, {1, 252, 250, 170}};
    static const Stop cold[] = {{0, 30, 16, 70}, {0.5, 40, 110, 220}, {1, 160, 225, 255}};
    const bool against = t < 0;
    const double a = std::min(std::fabs(t), 1.0);
    const Stop* s = against ? cold : warm;
    const int n = against ? 3 : 5;
    int k = 1;
    while (k < n - 1 && a > s[k].at) ++k;
    const double f = (a - s[k - 1].at) / (s[k].at - s[k - 1].at);
    auto mix = [f](int p, int q) { return static_cast<int>(p + (q - p) * std::clamp(f, 0.0, 1.0) + 0.5); };
    return qRgb(mix(s[k - 1].r, s[k].r), mix(s[k - 1].g, s[k].g), mix(s[k - 1].b, s[k].b));
}

// heatColour at 2 x 256 steps, for filling the strip quickly.
QRgb heatShade(double t)
{
    static const std::array<QRgb, 513> table = [] {
        std::array<QRgb, 513> out{};
        for (int k = 0; k <= 512; ++k) out[static_cast<std::size_t>(k)] = heatColour((k - 256) / 256.0);
        return out;
    }();
    const double c = std::clamp(t, -1.0, 1.0);
    return table[static_cast<std::size_t>(std::lround(c * 256) + 256)];
}

}  // namespace

// Mean speed in the radial bins over the run: time across, radius up.
class HeatStrip : public QWidget {
public:
    explicit HeatStrip(QWidget* parent) : QWidget(parent)
    {
        setObjectName("CurveHeat");
        setMinimumSize(160, 110);
        means_.reserve(static_cast<std::size_t>(CurveHistory::kCapacity) * CurveHistory::kBins);
    }

    void setHistory(const CurveHistory& h)
    {
        samples_ = h.size();
        // Only the bins that held nearly every star seen: the history's range
        // never shrinks, and a star flung far out once would leave the strip
        // mostly empty.
        std::array<std::int64_t, CurveHistory::kBins> seen{};
        std::int64_t total = 0;
        for (int i = 0; i < samples_; ++i)
            for (int b = 0; b < CurveHistory::kBins; ++b) {
                seen[static_cast<std::size_t>(b)] += h[i].count[static_cast<std::size_t>(b)];
                total += h[i].count[static_cast<std::size_t>(b)];
            }
        bins_ = CurveHistory::kBins;
        std::int64_t sum = 0;
        for (int b = 0; b < CurveHistory::kBins && total > 0; ++b) {
            sum += seen[static_cast<std::size_t>(b)];
            if (sum * 50 >= total * 49) {
                bins_ = b + 1;
                break;
            }
        }
        range_ = h.binWidth() * bins_;
        first_ = h.empty() ? 0 : h.front().firstTick;
        last_ = h.empty() ? 0 : h.back().lastTick;
        means_.clear();
        for (int i = 0; i < samples_; ++i)
            for (int b = 0; b < bins_; ++b)
                if (const auto m = h[i].binMean(b)) means_.push_back(std::fabs(*m));
        maxAbs_ = mostOf(means_);
        against_ = false;
        image_ = QImage(std::max(1, samples_), bins_, QImage::Format_RGB32);
        image_.fill(kEmptyBin);
        for (int b = 0; b < bins_; ++b) {
            auto* row = reinterpret_cast<QRgb*>(image_.scanLine(bins_ - 1 - b));
            for (int i = 0; i < samples_; ++i) {
                const auto m = h[i].binMean(b);
                if (!m) continue;
                if (*m < 0) against_ = true;
                row[i] = heatShade(maxAbs_ > 0 ? *m / maxAbs_ : 0.0);
            }
        }
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), kPanelBack);
        p.setFont(smaller(font()));
        p.setPen(kText);
        const int line = p.fontMetrics().height();
        const QRect plot = rect().adjusted(p.fontMetrics().horizontalAdvance("00000") + 8, line + 4, -64, -line - 6);
        // Cut at the end rather than lose its first letters in a narrow dock.
        const QString title = p.fontMetrics().elidedText("mean speed by radius over the run", Qt::ElideRight,
                                                          std::max(0, width() - 4));
        p.drawText(QRect(2, 2, width() - 4, line), Qt::AlignHCenter, title);
        if (plot.width() < 4 || plot.height() < 4) return;
        if (samples_ == 0) {
            p.fillRect(plot, kEmptyBin);
            p.drawText(plot, Qt::AlignCenter, "no history yet");
            return;
        }
        p.drawImage(plot, image_);
        p.setPen(kFrame);
        p.drawRect(plot.adjusted(0, 0, -1, -1));
        p.setPen(kText);
        const int lw = plot.left() - 4;
        p.drawText(QRect(0, plot.bottom() - line, lw, line), Qt::AlignRight, "0");
        p.drawText(QRect(0, plot.top(), lw, line), Qt::AlignRight, numberText(range_));
        p.drawText(QRect(0, plot.top() + line, lw, line), Qt::AlignRight, "twips");
        const QRect ticks(plot.left(), plot.bottom() + 2, plot.width(), line);
        // The run's first and last ticks at the ends, the word between them
        // only where it keeps clear of both.
        const QString from = QString::number(first_), to = QString::number(last_);
        p.drawText(ticks, Qt::AlignLeft, from);
        p.drawText(ticks, Qt::AlignRight, to);
        const QFontMetrics fm = p.fontMetrics();
        const int ends = 2 * std::max(fm.horizontalAdvance(from), fm.horizontalAdvance(to));
        if (ends + fm.horizontalAdvance("tick") + 2 * fm.horizontalAdvance("  ") <= ticks.width())
            p.drawText(ticks, Qt::AlignHCenter, "tick");

        // The colour key: the galaxy's sense at the top, against it at the bottom.
        const QRect key(plot.right() + 8, plot.top(), 10, plot.height());
        const double lo = against_ ? -1 : 0;
        for (int y = 0; y < key.height(); ++y) {
            const double t = 1 - (1 - lo) * (y + 0.5) / key.height();
            p.fillRect(QRect(key.left(), key.top() + y, key.width(), 1), QColor::fromRgb(heatColour(t)));
        }
        const int tx = key.right() + 4;
        p.drawText(QRect(tx, key.top(), width() - tx, line), Qt::AlignLeft, numberText(maxAbs_));
        p.drawText(QRect(tx, key.bottom() - line, width() - tx, line), Qt::AlignLeft,
                   against_ ? numberText(-maxAbs_) : QStringLiteral("0"));
        p.drawText(QRect(tx, key.center().y() - line / 2, width() - tx, line), Qt::AlignLeft, "tw/tk");
    }

private:
    QImage image_;
    std::vector<double> means_;
    int samples_ = 0, bins_ = CurveHistory::kBins;
    double range_ = 0, maxAbs_ = 0;
    long long first_ = 0, last_ = 0;
    bool against_ = false;
};

HistoryCharts::HistoryCharts(Qt::Orientation orientation, QWidget* parent) : QWidget(parent)
{
    auto* box = new QBoxLayout(orientation == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(2);

    slope_ = newChart();
    slope_->legend()->hide();
    slope_->setTitle("slope over the run");
    slope_->setTitleFont(smaller(slope_->titleFont()));
    slopeX_ = newAxis(slope_, Qt::AlignBottom, "tick");
    slopeY_ = newAxis(slope_, Qt::AlignLeft, "slope");
    for (QValueAxis* a : {slopeX_, slopeY_}) {
        a->setTitleVisible(false);
        a->setLabelsFont(smaller(a->labelsFont()));
    }
    auto* hi = new QLineSeries(slope_);
    auto* lo = new QLineSeries(slope_);
    spread_ = new QAreaSeries(hi, lo);
    spread_->setName("slope range");
    slope_->addSeries(spread_);
    spread_->attachAxis(slopeX_);
    spread_->attachAxis(slopeY_);
    spread_->setPen(Qt::NoPen);
    spread_->setBrush(QColor(0xff, 0xff, 0xff, 0x40));
    keplerRef_ = newLine(slope_, "Keplerian", pen(kKepler, 1, Qt::DashLine), slopeX_, slopeY_);
    flatRef_ = newLine(slope_, "flat", pen(kFlat, 1, Qt::DashLine), slopeX_, slopeY_);
    slopeLine_ = newLine(slope_, "slope", pen(kPredicted, 1.5), slopeX_, slopeY_);
    slopeView_ = new QChartView(slope_, this);
    slopeView_->setObjectName("CurveHistoryChart");
    slopeView_->setRenderHint(QPainter::Antialiasing);
    slopeView_->setMinimumSize(160, 110);
    slopeView_->setToolTip("The slope of log speed against log radius at each moment of the run, with its "
                           "spread: orange dashes at -0.5 (Keplerian), cyan dashes at 0 (flat).");
    blendIn(slopeView_);
    box->addWidget(slopeView_, 1);
    heat_ = new HeatStrip(this);
    box->addWidget(heat_, 1);

    slopes_.reserve(CurveHistory::kCapacity);
}

void HistoryCharts::setHistory(const CurveHistory& h)
{
    heat_->setHistory(h);
    setSlopes(h);
}

void HistoryCharts::setSlopes(const CurveHistory& h)
{
    // At most kSlopePoints points: a small chart shows no more, and Qt's
    // series cost time by the point.
    const int n = h.size();
    const int group = std::max(1, (n + kSlopePoints - 1) / kSlopePoints);
    QList<QPointF> mean, top, bottom;
    slopes_.clear();
    for (int i = 0; i < n; i += group) {
        const int end = std::min(n, i + group);
        double sum = 0, lo = 0, hi = 0;
        std::int64_t records = 0;
        for (int k = i; k < end; ++k) {
            const HistorySample& m = h[k];
            if (m.slopeRecords == 0) continue;
            lo = records > 0 ? std::min(lo, m.slopeMin) : m.slopeMin;
            hi = records > 0 ? std::max(hi, m.slopeMax) : m.slopeMax;
            sum += m.slopeSum;
            records += m.slopeRecords;
        }
        if (records == 0) continue;
        const double slope = sum / static_cast<double>(records);
        if (!std::isfinite(slope)) continue;
        const double t = static_cast<double>(h[i].firstTick) / 2 + static_cast<double>(h[end - 1].lastTick) / 2;
        mean.append(QPointF(t, std::clamp(slope, -100.0, 100.0)));
        top.append(QPointF(t, std::clamp(hi, -100.0, 100.0)));
        bottom.append(QPointF(t, std::clamp(lo, -100.0, 100.0)));
        slopes_.push_back(slope);
    }
    // From the Keplerian -0.5 to the flat 0 at least, out to most of the
    // slopes in whole halves, and no farther than +-3: the wild slopes of
    // the first few stars must not flatten the rest.
    const double hi = std::clamp(std::ceil(std::max(0.5, mostOf(slopes_)) * 2) / 2, 0.5, 3.0);
    for (double& v : slopes_) v = -v;
    const double lo = std::clamp(std::floor(std::min(-1.0, -mostOf(slopes_)) * 2) / 2, -3.0, -1.0);
    // The time axis reaches a nice number of ticks, so that it is laid out
    // anew only now and then, not at every record.
    const double t0 = n == 0 ? 0.0 : static_cast<double>(h.front().firstTick);
    const double last = n == 0 ? 0.0 : static_cast<double>(h.back().lastTick);
    const double t1 = t0 + std::max(1.0, niceAbove(last - t0));
    if (slopeX_->min() != t0 || slopeX_->max() != t1) {
        // Two or three labels: a narrow dock has no room for more tick numbers.
        setRange(slopeX_, t0, t1, tickStep(2 * (t1 - t0)));
        keplerRef_->replace(QList<QPointF>{{t0, -0.5}, {t1, -0.5}});
        flatRef_->replace(QList<QPointF>{{t0, 0}, {t1, 0}});
    }
    setRange(slopeY_, lo, hi, hi - lo > 4 ? 1.0 : 0.5);
    slopeLine_->replace(mean);
    spread_->upperSeries()->replace(top);
    spread_->lowerSeries()->replace(bottom);
}

}  // namespace orb
