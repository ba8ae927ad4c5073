#pragma once
// What the rotation-curve charts share: the dark look, the pens, the axes and
// how their ends follow the data, and the guards that keep every number a
// chart receives finite and within the painter's reach.

#include <QColor>
#include <QFont>
#include <QPen>
#include <QString>
#include <Qt>
#include <vector>

class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;

namespace orb::chart {

// No axis reaches beyond this: a star flung farther is simply off the chart.
inline constexpr double kAxisCap = 1e9;
// Line points stop this many axis lengths out: far enough that the clipped line
// keeps its direction, near enough for the painter's fixed-point arithmetic.
inline constexpr double kDrawReach = 1e3;
// Refreshes the data must stay below half an axis before it shrinks: some 1.5 s
// at 60 Hz, so a passing lull does not make the chart jump.
inline constexpr int kShrinkAfter = 90;

// A point of a chart in its axes' units.
struct ChartPoint {
    double x = 0, y = 0;
};

inline const QColor kPanelBack{0x2e, 0x30, 0x3a};
inline const QColor kChartBack{0x1d, 0x20, 0x29};
inline const QColor kEmptyBin{0x14, 0x16, 0x1e};
inline const QColor kText{0xd4, 0xd8, 0xe4};
inline const QColor kFrame{0x80, 0x84, 0x90};
inline const QColor kKepler{0xff, 0x9a, 0x3c};
inline const QColor kFlat{0x4c, 0xd0, 0xe0};
inline const QColor kPredicted{0xff, 0xff, 0xff};
inline const QColor kNgc{0xe8, 0x6c, 0xd8};
inline const QColor kVisibleMatter{0xc8, 0xc8, 0xa0};
inline const QColor kBinnedMean{0xff, 0xe0, 0x66};
// The stars on the acceleration chart: one colour, none of a star's own.
inline const QColor kAccelerationDot{0x8f, 0xb4, 0xff};

// Axis ends: the smallest of 1, 1.5, 2, 3, 4, 5, 6, 8 x 10^k not below x, fine
// enough that the data fill most of the chart; 0 for x <= 0.
double niceAbove(double x);
// Tick steps: 1, 2 or 5 x 10^k, about five to an axis end, and every axis end
// above a whole number of them.
double tickStep(double end);

// One end of an axis that follows the data without jumping every frame: it
// grows at once to the nice number above the data when the data pass it, and
// shrinks to fit only after the data have stayed below half of it for
// kShrinkAfter refreshes.
class AxisRange {
public:
    explicit AxisRange(double floor) : floor_(floor) {}

    void follow(double data);
    void reset();
    double max() const { return set_ ? max_ : floor_; }

private:
    double floor_;
    double max_ = 0;
    bool set_ = false;
    int low_ = 0;
};

// The ends of a log axis in whole decades, following the data as AxisRange
// does: out at once when the data pass an end, in only after the data have
// stayed a decade or more inside an end for kShrinkAfter calls. Never below
// 10^-kMaxDecade nor above 10^kMaxDecade, and never more than kMaxSpan decades
// wide (the top decades kept): min() and max() are always positive, finite
// and at least a decade apart.
class DecadeRange {
public:
    static constexpr int kMaxDecade = 30;
    static constexpr int kMaxSpan = 12;

    // The range while there are no data: 10^lo..10^hi.
    DecadeRange(int lo, int hi);

    // lo..hi: the data's extent. Without data (lo or hi not positive and
    // finite, or lo > hi) the range stays as it is.
    void follow(double lo, double hi);
    void reset();
    double min() const;
    double max() const;
    // Exponents of min() and max().
    int lowDecade() const { return lo_; }
    int highDecade() const { return hi_; }

private:
    int firstLo_, firstHi_;
    int lo_, hi_;
    bool set_ = false;
    int inside_ = 0;
};

// Whether the point may go to a chart with two log axes: both coordinates
// positive and finite.
bool onLogAxes(const ChartPoint& p);

// A value as the chart may draw it: within kDrawReach axis lengths of lo..hi.
double drawable(double v, double lo, double hi);

// The value below which all but the top 2% of v lie (v is reordered): what
// the axes and colour keys follow, so that a star or two flung far out does
// not squash the rest into a corner. 0 for no values.
double mostOf(std::vector<double>& v);

// A colour channel of the body table (any float) as 0..255.
int channel(float c);

// A number for a label: whole from 100 on, else three significant digits.
QString numberText(double v);

// A font 15% smaller, not below 6 points: for legends, ticks and small titles.
QFont smaller(QFont f);

QPen pen(const QColor& c, double width, Qt::PenStyle style = Qt::SolidLine);

// A dark chart without animation or rounded corners.
QChart* newChart();
// A value axis of the chart on `side`, 0..1 until told otherwise.
QValueAxis* newAxis(QChart* c, Qt::Alignment side, const QString& title);
// A line series of the chart on the axes x and y.
QLineSeries* newLine(QChart* c, const QString& name, const QPen& pen, QValueAxis* x, QValueAxis* y);
// A chart view without a frame or a light backdrop around its dark chart.
void blendIn(QChartView* view);

// Sets the axis to lo..hi with ticks every `step`, never laying out a wide
// range with a fine step on the way.
void setRange(QValueAxis* a, double lo, double hi, double step);
// The same with about five ticks to the farther end.
void setRange(QValueAxis* a, double lo, double hi);

}  // namespace orb::chart
