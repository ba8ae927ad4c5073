#pragma once
// The rotation curve over the run: the fitted slope at each moment with its
// spread against the Keplerian and flat references, and a heat strip of the
// mean speed by radius over the run.
//
// It draws the history it is handed when it is handed it; its owner decides
// when.

#include <QWidget>
#include <vector>

#include "curve/CurveHistory.h"

class QAreaSeries;
class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;

namespace orb {

class HeatStrip;

class HistoryCharts : public QWidget {
public:
    // The slope chart and the heat strip side by side (Qt::Horizontal) or the
    // one above the other.
    explicit HistoryCharts(Qt::Orientation orientation, QWidget* parent = nullptr);

    void setHistory(const CurveHistory& h);

    QChart* slopeChart() const { return slope_; }

private:
    void setSlopes(const CurveHistory& h);

    QChart* slope_;
    QValueAxis *slopeX_, *slopeY_;
    QAreaSeries* spread_;
    QLineSeries *keplerRef_, *flatRef_, *slopeLine_;
    QChartView* slopeView_;
    HeatStrip* heat_;
    std::vector<double> slopes_;
};

}  // namespace orb
