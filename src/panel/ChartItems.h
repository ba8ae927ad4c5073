#pragma once
// Items drawn over a chart's plot area by hand, where Qt's series would cost
// too much or cannot draw what is wanted: the stars as dots of their own
// colours, and points with vertical error bars.
//
// Each covers the plot area of its chart and maps its points linearly from the
// range it is given (set it to the axes' range, in the same units: a log axis
// takes log10 values). Points outside the range are not drawn.

#include <QColor>
#include <QGraphicsItem>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRectF>
#include <QRgb>
#include <vector>

class QChart;

namespace orb::chart {

class PlotOverlay : public QGraphicsItem {
public:
    // A child of the chart that follows its plot area.
    explicit PlotOverlay(QChart* chart);

    void setRange(double x0, double x1, double y0, double y1);
    QRectF boundingRect() const override { return area_; }

protected:
    void setArea(const QRectF& area);
    // Pixels per unit across (sx) and up (sy) on a plot area of w x h pixels;
    // false when the range is empty or not finite.
    bool scales(double w, double h, double& sx, double& sy) const;
    const QRectF& area() const { return area_; }

    double x0_ = 0, x1_ = 1, y0_ = 0, y1_ = 1;

private:
    QRectF area_;
};

// The stars as dots of their own colours. Qt's scatter series take one colour
// each, and a series per colour (or a marker item per point) costs
// milliseconds a frame at 1000 stars, so the dots are set straight into an
// image the size of the plot area.
class StarDots : public PlotOverlay {
public:
    struct Dot {
        double x, y;
        QRgb colour;
    };

    // Dots of `radius` pixels, room for `reserve` of them made at once.
    StarDots(QChart* chart, double radius, std::size_t reserve);

    // Fill, then update().
    std::vector<Dot>& dots() { return dots_; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;

private:
    void makeDisc(double dpr);

    double radius_;
    std::vector<Dot> dots_;
    QImage image_;
    QList<QPoint> disc_;
    double discDpr_ = 0;
};

// Points with vertical error bars, few enough to draw one by one: each a
// filled disc at (x, y) on a bar from lo to hi with short caps.
class ErrorBars : public PlotOverlay {
public:
    struct Bar {
        double x, y, lo, hi;
    };

    ErrorBars(QChart* chart, const QColor& colour);

    // Fill, then update().
    std::vector<Bar>& bars() { return bars_; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override;

private:
    QColor colour_;
    std::vector<Bar> bars_;
};

}  // namespace orb::chart
