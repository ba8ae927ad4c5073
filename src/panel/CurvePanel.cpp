#include "panel/CurvePanel.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QGraphicsItem>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPen>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "base/Files.h"
#include "curve/CurveCsv.h"
#include "curve/ObservedCurve.h"
#include "platform/Pictures.h"

namespace orb {

QString ngc3198Citation()
{
    return QStringLiteral(
        "F. Lelli, S. S. McGaugh, J. M. Schombert, \"SPARC: Mass Models for 175 Disk Galaxies with Spitzer "
        "Photometry and Accurate Rotation Curves\", The Astronomical Journal 152, 157 (2016), "
        "doi:10.3847/0004-6256/152/6/157");
}

namespace {

// No axis reaches beyond this: a star flung farther is simply off the chart.
constexpr double kAxisCap = 1e9;
// Line points stop this many axis lengths out: far enough that the clipped line
// keeps its direction, near enough for the painter's fixed-point arithmetic.
constexpr double kDrawReach = 1e3;
// Points of the slope over the run, at most.
constexpr int kSlopePoints = 128;
// Refreshes the data must stay below half an axis before it shrinks: some 1.5 s
// at 60 Hz, so a passing lull does not make the chart jump.
constexpr int kShrinkAfter = 90;

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

// Axis ends: fine enough that the data fill most of the chart.
double niceAbove(double x)
{
    static const double steps[] = {1, 1.5, 2, 3, 4, 5, 6, 8};
    return smallestAbove(x, steps);
}

// Tick steps: 1, 2 or 5 x 10^k, about five to an axis end, and every axis end
// above a whole number of them.
double tickStep(double end)
{
    static const double steps[] = {1, 2, 5};
    return std::max(smallestAbove(end / 5, steps), 1e-9);
}

// One end of an axis that follows the data without jumping every frame: it
// grows at once to the nice number above the data when the data pass it, and
// shrinks to fit only after the data have stayed below half of it for
// kShrinkAfter refreshes.
class AxisRange {
public:
    explicit AxisRange(double floor) : floor_(floor) {}

    void follow(double data)
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
    void reset()
    {
        set_ = false;
        max_ = floor_;
        low_ = 0;
    }
    double max() const { return set_ ? max_ : floor_; }

private:
    double floor_;
    double max_ = 0;
    bool set_ = false;
    int low_ = 0;
};

// A value as the chart may draw it: within kDrawReach axis lengths.
double drawable(double v, double lo, double hi)
{
    const double reach = (hi - lo) * kDrawReach;
    return std::clamp(v, lo - reach, hi + reach);
}

// The value below which all but the top 2% of v lie (v is reordered): what
// the axes and colour keys follow, so that a star or two flung far out does
// not squash the rest into a corner.
double mostOf(std::vector<double>& v)
{
    if (v.empty()) return 0;
    const auto at = v.end() - 1 - static_cast<std::ptrdiff_t>(v.size() / 50);
    std::nth_element(v.begin(), at, v.end());
    return *at;
}

int channel(float c) { return c >= 255 ? 255 : c > 0 ? static_cast<int>(c + 0.5f) : 0; }

QString numberText(double v) { return std::fabs(v) >= 100 ? QString::number(v, 'f', 0) : QString::number(v, 'g', 3); }

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

// The stars as dots of their own colours. Qt's scatter series take one colour
// each, and a series per colour costs milliseconds a frame at 1000 stars, so
// the dots are set straight into an image the size of the plot area.
class StarDots : public QGraphicsItem {
public:
    struct Dot {
        double x, y;
        QRgb colour;
    };

    explicit StarDots(QChart* chart) : QGraphicsItem(chart)
    {
        dots_.reserve(kSlots);
        // Above the grid, under the lines.
        setZValue(3.5);
    }

    std::vector<Dot>& dots() { return dots_; }
    void setRange(double x0, double x1, double y0, double y1)
    {
        x0_ = x0;
        x1_ = x1;
        y0_ = y0;
        y1_ = y1;
    }
    void setArea(const QRectF& area)
    {
        prepareGeometryChange();
        area_ = area;
    }

    QRectF boundingRect() const override { return area_; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        const double dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const double w = std::ceil(area_.width() * dpr), h = std::ceil(area_.height() * dpr);
        if (!(w >= 1 && h >= 1 && w < 1e5 && h < 1e5)) return;
        const QSize size(static_cast<int>(w), static_cast<int>(h));
        if (image_.size() != size) image_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
        if (dpr != discDpr_) makeDisc(dpr);
        image_.fill(Qt::transparent);
        image_.setDevicePixelRatio(dpr);
        const double sx = w / (x1_ - x0_), sy = h / (y1_ - y0_);
        const int iw = size.width(), ih = size.height();
        for (const Dot& d : dots_) {
            const double fx = (d.x - x0_) * sx, fy = h - (d.y - y0_) * sy;
            if (!(fx >= 0 && fx < w && fy >= 0 && fy < h)) continue;
            const int cx = static_cast<int>(fx), cy = static_cast<int>(fy);
            const QRgb c = d.colour | 0xff000000u;
            for (const QPoint& o : disc_) {
                const int x = cx + o.x(), y = cy + o.y();
                if (x >= 0 && x < iw && y >= 0 && y < ih) reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = c;
            }
        }
        painter->drawImage(area_.topLeft(), image_);
    }

private:
    void makeDisc(double dpr)
    {
        discDpr_ = dpr;
        disc_.clear();
        const double r = 2.2 * dpr;
        const int n = static_cast<int>(r);
        for (int y = -n; y <= n; ++y)
            for (int x = -n; x <= n; ++x)
                if (x * x + y * y <= r * r) disc_.append(QPoint(x, y));
    }

    std::vector<Dot> dots_;
    QRectF area_;
    double x0_ = 0, x1_ = 1, y0_ = 0, y1_ = 1;
    QImage image_;
    QList<QPoint> disc_;
    double discDpr_ = 0;
};

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

const QColor kPanelBack(0x2e, 0x30, 0x3a);
const QColor kEmptyBin(0x14, 0x16, 0x1e);
const QColor kText(0xd4, 0xd8, 0xe4);

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
        QFont f = font();
        f.setPointSizeF(std::max(6.0, f.pointSizeF() * 0.85));
        p.setFont(f);
        p.setPen(kText);
        const int line = p.fontMetrics().height();
        const QRect plot = rect().adjusted(p.fontMetrics().horizontalAdvance("00000") + 8, line + 4, -64, -line - 6);
        p.drawText(QRect(0, 2, width(), line), Qt::AlignHCenter, "mean speed by radius over the run");
        if (plot.width() < 4 || plot.height() < 4) return;
        if (samples_ == 0) {
            p.fillRect(plot, kEmptyBin);
            p.drawText(plot, Qt::AlignCenter, "no history yet");
            return;
        }
        p.drawImage(plot, image_);
        p.setPen(QColor(0x80, 0x84, 0x90));
        p.drawRect(plot.adjusted(0, 0, -1, -1));
        p.setPen(kText);
        const int lw = plot.left() - 4;
        p.drawText(QRect(0, plot.bottom() - line, lw, line), Qt::AlignRight, "0");
        p.drawText(QRect(0, plot.top(), lw, line), Qt::AlignRight, numberText(range_));
        p.drawText(QRect(0, plot.top() + line, lw, line), Qt::AlignRight, "twips");
        const QRect ticks(plot.left(), plot.bottom() + 2, plot.width(), line);
        p.drawText(ticks, Qt::AlignLeft, QString::number(first_));
        p.drawText(ticks, Qt::AlignHCenter, "tick");
        p.drawText(ticks, Qt::AlignRight, QString::number(last_));

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

// A chart view without a frame or a light backdrop around its dark chart.
void blendIn(QChartView* view)
{
    view->setFrameShape(QFrame::NoFrame);
    view->setBackgroundBrush(QColor(0x1d, 0x20, 0x29));
    view->setStyleSheet("background: transparent;");
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

QPen pen(const QColor& c, double width, Qt::PenStyle style = Qt::SolidLine)
{
    QPen p(c, width, style);
    p.setCosmetic(true);
    return p;
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
    ObservedScale scale;
    AxisRange x{500}, y{5}, below{0};
    QString caption;
    std::vector<double> radii, speeds;  // scratch for the axes' extents
    long long lastRecord = 0;
    bool recorded = false;
    unsigned long long frame = 1, historyVersion = 1;
};

// The caption and the charts, drawn from the panel's state: once for the panel
// itself and once, offscreen, for an exported picture.
class CurveCharts : public QWidget {
public:
    explicit CurveCharts(QWidget* parent) : QWidget(parent)
    {
        auto* box = new QVBoxLayout(this);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(2);
        top_ = new QHBoxLayout;
        caption_ = new QLabel(this);
        caption_->setObjectName("CurveCaption");
        caption_->setWordWrap(true);
        QFont cf = caption_->font();
        cf.setBold(true);
        caption_->setFont(cf);
        top_->addWidget(caption_, 1);
        box->addLayout(top_);
        scale_ = new QLabel(this);
        scale_->setObjectName("CurveScale");
        scale_->hide();
        box->addWidget(scale_);

        main_ = newChart();
        main_->legend()->setAlignment(Qt::AlignBottom);
        QFont lf = main_->legend()->font();
        lf.setPointSizeF(std::max(6.0, lf.pointSizeF() * 0.85));
        main_->legend()->setFont(lf);
        x_ = newAxis(main_, Qt::AlignBottom, "radius (twips)");
        y_ = newAxis(main_, Qt::AlignLeft, "speed (twips per tick)");
        kepler_ = newLine(main_, "Keplerian, e = 2", pen(QColor(0xff, 0x9a, 0x3c), 1.5, Qt::DashLine), x_, y_);
        flat_ = newLine(main_, "flat, e = 1", pen(QColor(0x4c, 0xd0, 0xe0), 1.5, Qt::DashLine), x_, y_);
        // Over the references: at e = 2 it is the Keplerian curve itself.
        predicted_ = newLine(main_, "predicted, e = 2", pen(QColor(0xff, 0xff, 0xff), 2), x_, y_);
        dots_ = new StarDots(main_);
        QObject::connect(main_, &QChart::plotAreaChanged, main_, [this](const QRectF& r) { dots_->setArea(r); });
        makeNgcSeries();
        mainView_ = new QChartView(main_, this);
        mainView_->setObjectName("CurveChart");
        mainView_->setRenderHint(QPainter::Antialiasing);
        mainView_->setMinimumSize(240, 180);
        blendIn(mainView_);
        box->addWidget(mainView_, 3);

        auto* lower = new QHBoxLayout;
        lower->setSpacing(2);
        slope_ = newChart();
        slope_->legend()->hide();
        slope_->setTitle("slope over the run");
        QFont tf = slope_->titleFont();
        tf.setPointSizeF(std::max(6.0, tf.pointSizeF() * 0.85));
        slope_->setTitleFont(tf);
        slopeX_ = newAxis(slope_, Qt::AlignBottom, "tick");
        slopeY_ = newAxis(slope_, Qt::AlignLeft, "slope");
        for (QValueAxis* a : {slopeX_, slopeY_}) {
            a->setTitleVisible(false);
            QFont af = a->labelsFont();
            af.setPointSizeF(std::max(6.0, af.pointSizeF() * 0.85));
            a->setLabelsFont(af);
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
        keplerRef_ = newLine(slope_, "Keplerian", pen(QColor(0xff, 0x9a, 0x3c), 1, Qt::DashLine), slopeX_, slopeY_);
        flatRef_ = newLine(slope_, "flat", pen(QColor(0x4c, 0xd0, 0xe0), 1, Qt::DashLine), slopeX_, slopeY_);
        slopeLine_ = newLine(slope_, "slope", pen(QColor(0xff, 0xff, 0xff), 1.5), slopeX_, slopeY_);
        slopeView_ = new QChartView(slope_, this);
        slopeView_->setObjectName("CurveHistoryChart");
        slopeView_->setRenderHint(QPainter::Antialiasing);
        slopeView_->setMinimumSize(160, 110);
        slopeView_->setToolTip("The slope of log speed against log radius at each moment of the run, with its "
                               "spread: orange dashes at -0.5 (Keplerian), cyan dashes at 0 (flat).");
        blendIn(slopeView_);
        lower->addWidget(slopeView_, 1);
        heat_ = new HeatStrip(this);
        lower->addWidget(heat_, 1);
        box->addLayout(lower, 2);

        points_.reserve(RotationCurve::kSamples);
        slopes_.reserve(CurveHistory::kCapacity);
    }

    ~CurveCharts() override
    {
        // Series taken off the chart belong to nobody.
        if (!ngcShown_) {
            delete ngcBand_;
            delete ngcObserved_;
            delete ngcVisible_;
        }
    }

    QHBoxLayout* topRow() const { return top_; }

    // Brings whatever changed since the last call up to date.
    void draw(const CurvePanel::State& s)
    {
        setNgcShown(s.ngc);
        if (caption_->text() != s.caption) caption_->setText(s.caption);
        if (s.frame != frame_) drawMain(s);
        if (s.historyVersion != historyVersion_) drawHistory(s.history);
        frame_ = s.frame;
        historyVersion_ = s.historyVersion;
    }

private:
    void makeNgcSeries()
    {
        const QColor observed(0xe8, 0x6c, 0xd8);
        // The band's edges belong to the chart, which outlives the band: an area
        // series cannot own its edges, they would outlive its insides.
        ngcBand_ = new QAreaSeries(new QLineSeries(main_), new QLineSeries(main_));
        ngcBand_->setName("NGC 3198");
        ngcObserved_ = new QLineSeries;
        ngcObserved_->setName("NGC 3198 observed");
        ngcObserved_->setPointsVisible(true);
        ngcVisible_ = new QLineSeries;
        ngcVisible_->setName("NGC 3198 visible matter");
        ngcStyle_ = [this, observed] {
            ngcBand_->setPen(Qt::NoPen);
            QColor band = observed;
            band.setAlpha(0x50);
            ngcBand_->setBrush(band);
            ngcObserved_->setPen(pen(observed, 1.5));
            ngcObserved_->setMarkerSize(4);
            ngcVisible_->setPen(pen(QColor(0xc8, 0xc8, 0xa0), 1.5, Qt::DotLine));
        };
    }

    void setNgcShown(bool on)
    {
        if (on == ngcShown_) return;
        ngcShown_ = on;
        scale_->setVisible(on);
        const std::initializer_list<QAbstractSeries*> ngc = {ngcBand_, ngcObserved_, ngcVisible_};
        if (!on) {
            for (QAbstractSeries* s : ngc) main_->removeSeries(s);
            return;
        }
        for (QAbstractSeries* s : ngc) {
            main_->addSeries(s);
            s->attachAxis(x_);
            s->attachAxis(y_);
        }
        ngcStyle_();
        // One legend entry for the band and its line.
        for (QLegendMarker* m : main_->legend()->markers(ngcObserved_)) m->setVisible(false);
    }

    void drawMain(const CurvePanel::State& s)
    {
        const double x1 = s.x.max(), y0 = -s.below.max(), y1 = s.y.max();
        setRange(x_, 0, x1);
        setRange(y_, y0, y1);

        auto& dots = dots_->dots();
        dots.clear();
        for (const StarPoint& p : s.curve.stars()) {
            const int b = p.body;
            dots.push_back({p.radius, p.speed,
                            qRgb(channel(s.colours.colRed[b]), channel(s.colours.colGreen[b]),
                                 channel(s.colours.colBlue[b]))});
        }
        dots_->setRange(0, x1, y0, y1);
        dots_->update();

        const auto e = s.curve.exponent();
        const QString name = e ? QStringLiteral("predicted, e = %1").arg(QString::number(*e, 'g', 4))
                               : QStringLiteral("predicted (no exponent)");
        if (predicted_->name() != name) predicted_->setName(name);
        // The references hold the speeds the same gravity would give under
        // their own laws, which lie far off the chart (e = 1 turns a hundred
        // times faster than e = 2 here). What tells is their shape, so each is
        // drawn through the predicted curve at the middle sample.
        const auto samples = s.curve.samples();
        auto line = [&](QLineSeries* series, double CurveSample::*v) {
            double factor = 1;
            if (!samples.empty()) {
                const CurveSample& mid = samples[samples.size() / 2];
                const double f = mid.circular / (mid.*v);
                if (mid.circular > 0 && mid.*v > 0 && std::isfinite(f)) factor = f;
            }
            points_.clear();
            for (const CurveSample& c : samples)
                points_.append(QPointF(drawable(c.radius, 0, x1), drawable(c.*v * factor, y0, y1)));
            series->replace(points_);
        };
        line(predicted_, &CurveSample::circular);
        line(kepler_, &CurveSample::kepler);
        line(flat_, &CurveSample::flat);

        if (s.ngc) drawNgc(s, x1, y0, y1);
    }

    void drawNgc(const CurvePanel::State& s, double x1, double y0, double y1)
    {
        const ObservedScale& k = s.scale;
        QList<QPointF> hi, lo, obs, vis;
        for (const ObservedRow& r : s.ngcRows) {
            const double x = drawable(r.radiusKpc * k.twipsPerKpc, 0, x1);
            auto at = [&](double kms) { return QPointF(x, drawable(kms * k.speedPerKms, y0, y1)); };
            hi.append(at(r.speedKms + r.errorKms));
            lo.append(at(r.speedKms - r.errorKms));
            obs.append(at(r.speedKms));
            vis.append(at(visibleSpeed(r)));
        }
        ngcBand_->upperSeries()->replace(hi);
        ngcBand_->lowerSeries()->replace(lo);
        ngcObserved_->replace(obs);
        ngcVisible_->replace(vis);
        QString text = s.ngcProblem;
        if (text.isEmpty()) {
            text = QStringLiteral("NGC 3198: 1 kpc = %1 twips, 1 km/s = %2 twips per tick")
                       .arg(numberText(k.twipsPerKpc), numberText(k.speedPerKms));
            if (!k.matched) text += QStringLiteral(" (default scale: no stars to match yet)");
        }
        if (scale_->text() != text) scale_->setText(text);
    }

    void drawHistory(const CurveHistory& h)
    {
        heat_->setHistory(h);
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

    QHBoxLayout* top_;
    QLabel *caption_, *scale_;
    QChart* main_;
    QValueAxis *x_, *y_;
    QLineSeries *predicted_, *kepler_, *flat_;
    StarDots* dots_;
    QAreaSeries* ngcBand_;
    QLineSeries *ngcObserved_, *ngcVisible_;
    std::function<void()> ngcStyle_;
    bool ngcShown_ = false;
    QChartView* mainView_;
    QChart* slope_;
    QValueAxis *slopeX_, *slopeY_;
    QAreaSeries* spread_;
    QLineSeries *keplerRef_, *flatRef_, *slopeLine_;
    QChartView* slopeView_;
    HeatStrip* heat_;
    QList<QPointF> points_;
    std::vector<double> slopes_;
    unsigned long long frame_ = 0, historyVersion_ = 0;
};

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
    charts_ = new CurveCharts(this);
    box->addWidget(charts_);
    ngc_ = new QCheckBox("NGC 3198", this);
    ngc_->setObjectName("CurveNgc");
    ngc_->setToolTip("The observed rotation curve of the spiral galaxy NGC 3198 and what its visible matter alone "
                     "would give, scaled so that its flat part meets the outer simulated curve.\nData: SPARC, " +
                     ngc3198Citation());
    ngc_->setEnabled(s_->ngcProblem.isEmpty());
    charts_->topRow()->addWidget(ngc_, 0, Qt::AlignTop);
    connect(ngc_, &QCheckBox::toggled, this, &CurvePanel::setShowNgc3198);
}

CurvePanel::~CurvePanel() = default;

void CurvePanel::restart()
{
    s_->history.clear();
    s_->recorded = false;
    s_->lastRecord = 0;
    for (AxisRange* a : {&s_->x, &s_->y, &s_->below}) a->reset();
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
    // A twin of the charts at the export size, shown nowhere, so the picture
    // does not depend on the panel's size or on whether it is shown at all.
    CurveCharts twin(nullptr);
    twin.setAttribute(Qt::WA_DontShowOnScreen);
    twin.setAutoFillBackground(true);
    QPalette pal = twin.palette();
    pal.setColor(QPalette::Window, kPanelBack);
    pal.setColor(QPalette::WindowText, kText);
    twin.setPalette(pal);
    twin.layout()->setContentsMargins(10, 8, 10, 8);
    twin.resize(kExportWidth, kExportHeight);
    twin.draw(*s_);
    twin.show();
    // Lay out the widgets and the charts inside them; nothing else runs.
    for (int i = 0; i < 3; ++i) QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);

    QImage image(kExportWidth, kExportHeight, QImage::Format_RGB32);
    image.fill(kPanelBack);
    twin.render(&image);
    twin.hide();

    return savePng(image, path);
}

const RotationCurve& CurvePanel::curve() const { return s_->curve; }

const CurveHistory& CurvePanel::history() const { return s_->history; }

void CurvePanel::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    redraw();
}

void CurvePanel::redraw() { charts_->draw(*s_); }

}  // namespace orb
