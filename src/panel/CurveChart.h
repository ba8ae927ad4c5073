#pragma once
// The speed-radius chart of the rotation curve: each star a dot of its own
// colour, the binned curve with its error bars, the curve the pull law
// predicts with the Keplerian and flat references, and on request NGC 3198's
// observed curve, with a line above the chart telling the scale it is drawn at.
//
// It draws what it is handed when it is handed it; its owner decides when. Set
// the axes first: the lines are clipped to them.

#include <QList>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <span>

#include "curve/ObservedCurve.h"
#include "curve/RotationCurve.h"
#include "world/World.h"

class QAreaSeries;
class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QValueAxis;

namespace orb {

namespace chart {
class ChartKey;
class ErrorBars;
class StarDots;
}  // namespace chart

// A point of the binned curve: the mean speed in a radial bin and its error,
// twips and twips per tick.
struct BinnedSpeed {
    double radius = 0, speed = 0, error = 0;
};

class CurveChart : public QWidget {
public:
    explicit CurveChart(QWidget* parent = nullptr);
    ~CurveChart() override;

    // Radius 0..xMax, speed yMin..yMax.
    void setAxes(double xMax, double yMin, double yMax);
    // Each star at (radius, speed), in its colour in `colours`, the table the
    // stars were read from.
    void setStars(std::span<const StarPoint> stars, const World& colours);
    // The curve predicted under `exponent` (none: not a number) and the
    // Keplerian and flat references, each drawn through the predicted one at
    // the middle sample beyond the zone: what tells is their shape. Within
    // `zoneRadius` of the centre no point mass describes the pull: the
    // predicted curve is dashed there and the references are left out.
    void setPredicted(std::span<const CurveSample> samples, std::optional<double> exponent, double zoneRadius = 0);
    // The binned curve, each point with a bar of +-error (points not finite
    // are left out).
    void setBinned(std::span<const BinnedSpeed> points);

    bool ngcShown() const { return ngcShown_; }
    void setNgcShown(bool on);
    // NGC 3198's observed curve and its visible matter at `scale`, or the
    // problem that kept the data from loading.
    // `note`: a line on what the data say, shown under the scale.
    void setNgc(std::span<const ObservedRow> rows, const ObservedScale& scale, const QString& problem,
                const QString& note = {});

    QChart* chart() const { return chart_; }

private:
    void makeNgcSeries();
    // The key under the chart, made again when what it lists changes.
    void updateKey();
    void setLine(QLineSeries* series, std::span<const CurveSample> samples, double CurveSample::*v, double factor);

    QLabel* scale_;
    QChart* chart_;
    QChartView* view_;
    QValueAxis *x_, *y_;
    double x1_ = 1, y0_ = 0, y1_ = 1;
    QLineSeries *predicted_, *inner_, *kepler_, *flat_;
    chart::StarDots* dots_;
    chart::ErrorBars* bars_;
    chart::ChartKey* key_;
    struct Keyed {
        QString predicted;
        bool inner, binned, ngc;
        bool operator==(const Keyed&) const = default;
    };
    std::optional<Keyed> keyed_;
    QAreaSeries* ngcBand_;
    QLineSeries *ngcObserved_, *ngcVisible_;
    std::function<void()> ngcStyle_;
    bool ngcShown_ = false;
    QList<QPointF> points_;
};

}  // namespace orb
