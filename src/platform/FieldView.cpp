#include "platform/FieldView.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <cmath>

namespace orb {

FieldCanvas::FieldCanvas() : ref_(kW, kH, QImage::Format_RGB32)
{
    ref_.fill(Qt::black);
    refBits_ = reinterpret_cast<QRgb*>(ref_.bits());
}

void FieldCanvas::pset(int x, int y, Rgb c)
{
    if (x < 0 || y < 0) return;
    const int px = x / kTwipsPerPixel, py = y / kTwipsPerPixel;
    if (px >= kW || py >= kH) return;
    const QRgb v = qRgb(c.r, c.g, c.b);
    refBits_[py * kW + px] = v;
    if (viewBits_) {
        const int x0 = static_cast<int>(px * scale_), x1 = std::max(x0 + 1, static_cast<int>((px + 1) * scale_));
        const int y0 = static_cast<int>(py * scale_), y1 = std::max(y0 + 1, static_cast<int>((py + 1) * scale_));
        const int xe = std::min(x1, view_.width()), ye = std::min(y1, view_.height());
        for (int yy = y0; yy < ye; ++yy)
            for (int xx = x0; xx < xe; ++xx) viewBits_[yy * viewStride_ + xx] = v;
    }
    dirty_ = true;
}

void FieldCanvas::cls()
{
    ref_.fill(Qt::black);
    if (!view_.isNull()) view_.fill(Qt::black);
    dirty_ = true;
}

const QImage& FieldCanvas::viewImage(QSize size, qreal dpr)
{
    if (size.isEmpty()) size = QSize(1, 1);
    if (view_.size() != size) {
        view_ = ref_.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                    .convertToFormat(QImage::Format_RGB32);
        viewBits_ = reinterpret_cast<QRgb*>(view_.bits());
        viewStride_ = view_.bytesPerLine() / 4;
        scale_ = static_cast<double>(size.width()) / kW;
        view_.setDevicePixelRatio(dpr);
    }
    return view_;
}

bool FieldCanvas::takeDirty()
{
    bool d = dirty_;
    dirty_ = false;
    return d;
}

FieldView::FieldView(FieldCanvas& canvas, QWidget* parent) : QWidget(parent), canvas_(canvas)
{
    setObjectName("field");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 240);
    QSizePolicy sp(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setSizePolicy(sp);
    connect(&refresh_, &QTimer::timeout, this, [this] {
        if (canvas_.dirty()) update();
    });
}

void FieldView::startRefresh()
{
    double hz = 60;
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        if (s->refreshRate() > 1) hz = s->refreshRate();
    }
    refresh_.setTimerType(Qt::PreciseTimer);
    refresh_.start(static_cast<int>(std::ceil(1000.0 / hz)));
}

QRectF FieldView::fieldRect() const
{
    const double w = width(), h = height();
    double fw = w, fh = w * 3.0 / 4.0;
    if (fh > h) {
        fh = h;
        fw = h * 4.0 / 3.0;
    }
    return {(w - fw) / 2, (h - fh) / 2, fw, fh};
}

double FieldView::pixelsPerTwip() const { return fieldRect().width() / kFieldWidth; }

QPointF FieldView::toWidget(double x, double y) const
{
    const QRectF r = fieldRect();
    return {r.left() + x * r.width() / kFieldWidth, r.top() + y * r.height() / kFieldHeight};
}

void FieldView::place(QWidget* child, double left, double top, double w, double h)
{
    for (auto& p : placed_) {
        if (p.w == child) {
            p.twips = QRectF(left, top, w, h);
            relayout();
            return;
        }
    }
    placed_.append({child, QRectF(left, top, w, h)});
    relayout();
}

void FieldView::relayout()
{
    const double s = pixelsPerTwip();
    for (const auto& p : placed_) {
        const QPointF tl = toWidget(p.twips.left(), p.twips.top());
        p.w->setGeometry(QRect(qRound(tl.x()), qRound(tl.y()), std::max(1, qRound(p.twips.width() * s)),
                               std::max(1, qRound(p.twips.height() * s))));
    }
}

void FieldView::resizeEvent(QResizeEvent*)
{
    relayout();
}

void FieldView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRectF r = fieldRect();
    p.fillRect(rect(), QColor(8, 8, 10));
    const qreal dpr = devicePixelRatioF();
    const QSize dev(std::max(1, qRound(r.width() * dpr)), std::max(1, qRound(r.height() * dpr)));
    p.drawImage(r.topLeft(), canvas_.viewImage(dev, dpr));
    canvas_.takeDirty();
    if (tag_) {
        if (auto at = tag_()) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(255, 192, 128, 200), 1.5));
            p.setBrush(Qt::NoBrush);
            const double radius = std::max(6.0, 150 * pixelsPerTwip());
            p.drawEllipse(toWidget(at->x(), at->y()), radius, radius);
        }
    }
}

}  // namespace orb
