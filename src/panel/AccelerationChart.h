#pragma once
// The accelerations of the rotation curve: the acceleration each star needs to
// turn as it does (g_obs) against the one the attracting mass inside its orbit
// gives under Newton's law (g_bar), on log axes, with the 1:1 line, NGC 3198's
// points and the relation McGaugh, Lelli and Schombert fitted to 153 galaxies
// in 2016; and a small chart of the dynamical mass against radius beside the
// attracting mass.
//
// It draws the plain points it is handed, when it is handed them; its owner
// decides when. Points that a log axis cannot take (zero, negative, not
// finite) are left out, and so are those a linear axis cannot (not finite).

#include <QList>
#include <QPointF>
#include <QWidget>
#include <span>
#include <vector>

#include "panel/ChartStyle.h"

class QChart;
class QChartView;
class QLineSeries;
class QLogValueAxis;
class QScatterSeries;
class QValueAxis;

namespace orb {

namespace chart {
class ChartKey;
class StarDots;
}  // namespace chart

class AccelerationChart : public QWidget {
public:
    // The acceleration chart and the mass chart side by side (Qt::Horizontal)
    // or the one above the other.
    explicit AccelerationChart(Qt::Orientation orientation, QWidget* parent = nullptr);

    // x = g_bar, y = g_obs, in the same units: the stars, NGC 3198's points
    // (scaled to the simulation) and the fitted relation, in order of g_bar.
    void setAccelerationData(std::span<const chart::ChartPoint> stars, std::span<const chart::ChartPoint> ngc,
                             std::span<const chart::ChartPoint> relation);
    // x = radius: the dynamical mass M_dyn(r) and the attracting mass M(<r),
    // each in order of radius; and, when given, NGC 3198's dynamical mass and
    // the mass of its visible matter at the scale it is drawn at.
    void setMassData(std::span<const chart::ChartPoint> dynamical, std::span<const chart::ChartPoint> attracting,
                     std::span<const chart::ChartPoint> ngcDynamical = {},
                     std::span<const chart::ChartPoint> ngcVisible = {});

    // A new run: the axes start over.
    void reset();

    // The stars drawn by the last setAccelerationData.
    int starsDrawn() const { return starsDrawn_; }
    QChart* accelerationChart() const { return acc_; }
    QChart* massChart() const { return mass_; }

private:
    void makeAccelerationChart();
    void makeMassChart();
    void setLogAxes();
    void updateKey();
    void updateMassKey(bool ngc);

    QChart* acc_;
    QLogValueAxis *gBar_, *gObs_;
    chart::StarDots* dots_;
    QScatterSeries* ngc_;
    QLineSeries *unity_, *relation_;
    QChartView* accView_;
    chart::ChartKey* accKey_;
    int keyed_ = -1;  // what the key lists: 1 the relation, 2 NGC 3198
    chart::DecadeRange decades_{-2, 2};
    int axesLo_ = 1, axesHi_ = 0;  // the decades the axes show; none yet
    int starsDrawn_ = 0;

    QChart* mass_;
    QValueAxis *massX_, *massY_;
    QLineSeries *dynamical_, *attracting_, *ngcVisible_;
    QScatterSeries* ngcDynamical_;
    bool massNgcKeyed_ = false;
    QChartView* massView_;
    chart::ChartKey* massKey_;
    chart::AxisRange radiusRange_{500}, massRange_{1};

    std::vector<double> extent_;  // scratch: log10 of the coordinates
    QList<QPointF> points_;
};

}  // namespace orb
