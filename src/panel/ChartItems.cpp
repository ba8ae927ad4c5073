#include "panel/ChartItems.h"

#include <QChart>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "panel/ChartStyle.h"

namespace orb::chart {

PlotOverlay::PlotOverlay(QChart* chart) : QGraphicsItem(chart)
{
    QObject::connect(chart, &QChart::plotAreaChanged, chart, [this](const QRectF& r) { setArea(r); });
}

void PlotOverlay::setRange(double x0, double x1, double y0, double y1)
{
    x0_ = x0;
    x1_ = x1;
    y0_ = y0;
    y1_ = y1;
}

void PlotOverlay::setArea(const QRectF& area)
{
    prepareGeometryChange();
    area_ = area;
}

bool PlotOverlay::scales(double w, double h, double& sx, double& sy) const
{
    sx = w / (x1_ - x0_);
    sy = h / (y1_ - y0_);
    return std::isfinite(sx) && std::isfinite(sy) && sx > 0 && sy > 0;
}

StarDots::StarDots(QChart* chart, double radius, std::size_t reserve) : PlotOverlay(chart), radius_(radius)
{
    dots_.reserve(reserve);
    // Above the grid and the lines (Qt Charts draws its series at 4, its
    // legend at 5): a star standing on the predicted curve still shows.
    setZValue(4.5);
}

void StarDots::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const QRectF& a = area();
    const double dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const double w = std::ceil(a.width() * dpr), h = std::ceil(a.height() * dpr);
    if (!(w >= 1 && h >= 1 && w < 1e5 && h < 1e5)) return;
    double sx = 0, sy = 0;
    if (!scales(w, h, sx, sy)) return;
    const QSize size(static_cast<int>(w), static_cast<int>(h));
    if (image_.size() != size) image_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    if (dpr != discDpr_) makeDisc(dpr);
    image_.fill(Qt::transparent);
    image_.setDevicePixelRatio(dpr);
    const int iw = size.width(), ih = size.height();
    for (const Dot& d : dots_) {
        // A dot beyond the axes (they follow all but the farthest few) is
        // drawn at the edge it passed, so it still counts to the eye.
        double fx = (d.x - x0_) * sx, fy = h - (d.y - y0_) * sy;
        if (std::isnan(fx) || std::isnan(fy)) continue;
        fx = std::clamp(fx, 0.0, w - 1);
        fy = std::clamp(fy, 0.0, h - 1);
        const int cx = static_cast<int>(fx), cy = static_cast<int>(fy);
        const QRgb c = d.colour | 0xff000000u;
        for (const QPoint& o : disc_) {
            const int x = cx + o.x(), y = cy + o.y();
            if (x >= 0 && x < iw && y >= 0 && y < ih) reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = c;
        }
    }
    painter->drawImage(a.topLeft(), image_);
}

void StarDots::makeDisc(double dpr)
{
    discDpr_ = dpr;
    disc_.clear();
    const double r = radius_ * dpr;
    const int n = static_cast<int>(r);
    for (int y = -n; y <= n; ++y)
        for (int x = -n; x <= n; ++x)
            if (x * x + y * y <= r * r) disc_.append(QPoint(x, y));
}

ErrorBars::ErrorBars(QChart* chart, const QColor& colour) : PlotOverlay(chart), colour_(colour)
{
    // Over the stars and the lines.
    setZValue(9);
}

void ErrorBars::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const QRectF& a = area();
    double sx = 0, sy = 0;
    if (bars_.empty() || !(a.width() >= 1 && a.height() >= 1) || !scales(a.width(), a.height(), sx, sy)) return;
    // Far ends stop a plot height beyond the area: drawn the same, clipped.
    auto px = [&](double x) { return a.left() + std::clamp((x - x0_) * sx, -a.width(), 2 * a.width()); };
    auto py = [&](double y) { return a.bottom() - std::clamp((y - y0_) * sy, -a.height(), 2 * a.height()); };
    painter->save();
    painter->setClipRect(a);
    painter->setRenderHint(QPainter::Antialiasing);
    QPen bar(colour_, 1.5);
    bar.setCosmetic(true);
    // An open ring with the bar stopping at it, so that a star standing at its
    // bin's mean (a bin of one star) still shows in its own colour inside.
    const double cap = 3, ring = 5;
    painter->setBrush(Qt::NoBrush);
    for (const Bar& b : bars_) {
        if (!(std::isfinite(b.x) && std::isfinite(b.y) && std::isfinite(b.lo) && std::isfinite(b.hi))) continue;
        const double x = px(b.x), y = py(b.y), top = py(b.hi), bottom = py(b.lo);
        painter->setPen(bar);
        if (top < y - ring) painter->drawLine(QPointF(x, top), QPointF(x, y - ring));
        if (bottom > y + ring) painter->drawLine(QPointF(x, y + ring), QPointF(x, bottom));
        painter->drawLine(QPointF(x - cap, top), QPointF(x + cap, top));
        painter->drawLine(QPointF(x - cap, bottom), QPointF(x + cap, bottom));
        painter->drawEllipse(QPointF(x, y), ring, ring);
    }
    painter->restore();
}

}  // namespace orb::chart
