#include "platform/FieldView.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
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

void FieldCanvas::fade()
{
    // Each channel loses an eighth, in one pass over the packed pixels.
    auto dim = [](QImage& img) {
        if (img.isNull()) return;
        for (int y = 0; y < img.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x) {
                const QRgb p = row[x];
                row[x] = (p - ((p >> 3) & 0x1f1f1fu)) | 0xff000000u;
            }
        }
    };
    dim(ref_);
    dim(view_);
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
    // A click on the field takes the focus out of a text field, so the single
    // keys (Space, ".", "[", "]") drive the run again.
    setFocusPolicy(Qt::ClickFocus);
    QSizePolicy sp(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setSizePolicy(sp);
    connect(&refresh_, &QTimer::timeout, this, [this] {
        if (onRefresh_) onRefresh_();
        // Fading every fourth frame: a trail halves in about a second.
        if (fading_ && ++frame_ % 4 == 0) canvas_.fade();
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

void FieldView::setPaused(bool paused)
{
    paused_ = paused;
    update();
}

void FieldView::relayout()
{
    // A child placed far off the field (a body flung away) stays off it: the
    // places are clamped before they become whole pixels.
    auto px = [](double v) { return static_cast<int>(std::lround(std::clamp(std::isnan(v) ? 0.0 : v, -1e6, 1e6))); };
    const double s = pixelsPerTwip();
    for (const auto& p : placed_) {
        const QPointF tl = toWidget(p.twips.left(), p.twips.top());
        p.w->setGeometry(QRect(px(tl.x()), px(tl.y()), std::max(1, px(p.twips.width() * s)),
                               std::max(1, px(p.twips.height() * s))));
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

    // The strips outside the field of play: a body that crosses into them has
    // left the field.
    const double k = pixelsPerTwip();
    const QColor strip(70, 90, 160, 46), edge(110, 130, 200, 120);
    const QRectF left(r.left(), r.top(), kLeftMargin * k, r.height());
    const QRectF bottom(r.left() + kLeftMargin * k, r.bottom() - kBottomMargin * k, r.width() - kLeftMargin * k,
                        kBottomMargin * k);
    p.fillRect(left, strip);
    p.fillRect(bottom, strip);
    p.setPen(QPen(edge, 1, Qt::DashLine));
    p.drawLine(QPointF(left.right(), r.top()), QPointF(left.right(), bottom.top()));
    p.drawLine(QPointF(left.right(), bottom.top()), QPointF(r.right(), bottom.top()));

    // Each body in play where it stands now.
    if (bodies_) {
        dots_.clear();
        bodies_(dots_);
        const double size = std::max(2.5, 3.0 * k * kTwipsPerPixel);
        for (const Dot& d : dots_) {
            if (!(d.x >= 0 && d.x <= kFieldWidth && d.y >= 0 && d.y <= kFieldHeight)) continue;
            const QPointF at = toWidget(d.x, d.y);
            p.fillRect(QRectF(at.x() - size / 2, at.y() - size / 2, size, size), QColor::fromRgb(d.colour));
        }
    }
    if (paused_) {
        QFont f = font();
        f.setPointSizeF(f.pointSizeF() * 1.6);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(232, 216, 144));
        p.drawText(r.adjusted(0, 8, 0, 0), Qt::AlignHCenter | Qt::AlignTop, "Paused");
    }
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
