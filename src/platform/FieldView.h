#pragma once
// The drawing area of the main window: a persistent picture of the field that
// only a clear erases, shown scaled to the window at its aspect ratio.

#include <QImage>
#include <QRectF>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "engine/Canvas.h"
#include "world/Geometry.h"

namespace orb {

// Draws into a reference picture of 1024 x 768 pixels (one pixel per point, the
// one --png writes) and into a picture at the screen's own resolution, so the
// shown drawing stays sharp at any window size and on high-density screens.
class FieldCanvas final : public Canvas {
public:
    static constexpr int kW = kFieldWidth / kTwipsPerPixel;
    static constexpr int kH = kFieldHeight / kTwipsPerPixel;

    FieldCanvas();
    void pset(int x, int y, Rgb colour) override;
    void cls() override;

    const QImage& image() const { return ref_; }
    // Dims the picture a little: the trails of the past fade while the present
    // stays bright.
    void fade();
    // The picture at a device size; rebuilt from the reference when it changes.
    const QImage& viewImage(QSize deviceSize, qreal devicePixelRatio);
    bool takeDirty();
    bool dirty() const { return dirty_; }

private:
    QImage ref_;
    QImage view_;
    QRgb* refBits_ = nullptr;
    QRgb* viewBits_ = nullptr;
    qsizetype viewStride_ = 0;  // in pixels
    double scale_ = 1;           // view pixels per reference pixel
    bool dirty_ = true;
};

class FieldView : public QWidget {
    Q_OBJECT
public:
    explicit FieldView(FieldCanvas& canvas, QWidget* parent = nullptr);

    // Where the field is drawn inside the widget, and the map from twips to it.
    QRectF fieldRect() const;
    QPointF toWidget(double xTwips, double yTwips) const;
    double pixelsPerTwip() const;

    // A child widget placed on the field at a rectangle in twips.
    void place(QWidget* child, double leftTwips, double topTwips, double wTwips, double hTwips);

    // Repaints at most once per screen refresh, and only after something was drawn.
    void startRefresh();
    // Runs on every refresh, before the repaint (the window refreshes its
    // panels with the same beat).
    void setOnRefresh(std::function<void()> f) { onRefresh_ = std::move(f); }

    // Where the tagged planet is, in twips, if there is one to ring. The ring is
    // drawn over the picture, never into it.
    void setTagSource(std::function<std::optional<QPointF>()> source) { tag_ = std::move(source); }

    // The bodies in play where they stand now, each marked on the screen a
    // little larger than a trail point (never in the picture).
    struct Dot {
        double x, y;  // twips
        QRgb colour;
    };
    void setBodySource(std::function<void(std::vector<Dot>&)> source) { bodies_ = std::move(source); }
    // "Paused" across the top of the field while the run is paused.
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    // Fading trails: the picture dims a little every frame.
    void setFading(bool fading) { fading_ = fading; }

    QSize sizeHint() const override { return {1024, 768}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int w) const override { return w * 3 / 4; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    struct Placed {
        QWidget* w;
        QRectF twips;
    };
    void relayout();
    FieldCanvas& canvas_;
    QTimer refresh_;
    QList<Placed> placed_;
    std::function<std::optional<QPointF>()> tag_;
    std::function<void(std::vector<Dot>&)> bodies_;
    std::vector<Dot> dots_;
    bool paused_ = false;
    bool fading_ = false;
    int frame_ = 0;
    std::function<void()> onRefresh_;
};

}  // namespace orb
