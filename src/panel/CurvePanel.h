#pragma once
// The "Rotation curve" panel: a caption with the fitted slope and the controls
// over three tabs. "Curve": the simulated stars' speeds against their distance
// from the galaxy's centre, each star a dot of its own colour, with the curve
// the pull law predicts and the Keplerian and flat references, and on request
// NGC 3198's observed curve laid over the simulated one. "Acceleration": the
// acceleration each star shows against the one its attracting mass gives, and
// the dynamical mass against radius. "History": the slope over the run and a
// heat strip of the mean speed by radius over the run.
//
// The panel knows nothing of the window: whoever owns the body table calls
// refresh() at the screen's rate and newRun() when a run starts. The model is
// kept up to date even while the panel is hidden (so the caption, the saved
// curve and the history stay right); a chart is redrawn only while its tab is
// the one shown and the panel is visible, at most once a refresh.

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <memory>

#include "base/Result.h"
#include "curve/BinnedCurve.h"
#include "curve/CurveHistory.h"
#include "curve/ObservedCurve.h"
#include "curve/RotationCurve.h"
#include "world/World.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace orb {

// Where the NGC 3198 data come from, for the About box and the panel's tooltip.
QString ngc3198Citation();

// The law the tick pulls by, as the curve reads it: g = 10000 f m / r^e, only
// bodies numbered up to the planetoid factor attracting.
struct CurveLaw {
    double exponent = 2;
    double planetoidFactor = 2;
    double pullFactor = 1;
};

class AccelerationChart;
class CurveChart;
class HistoryCharts;

class CurvePanel : public QWidget {
    Q_OBJECT
public:
    // A galaxy's pair turns once in some 270 ticks; a record every 10 ticks
    // catches the curve's oscillation some 27 times a turn, and the history's
    // merging keeps the memory bounded however long the run.
    static constexpr long long kRecordEvery = 10;
    // The size of an exported picture, pixels.
    static constexpr int kExportWidth = 1200;
    static constexpr int kExportHeight = 900;

    explicit CurvePanel(QWidget* parent = nullptr);
    ~CurvePanel() override;

    // Reads the body table under the law the tick uses at run tick `tick`:
    // the binned curve takes every refresh, the history a record when
    // kRecordEvery ticks have passed since the last; a tick below the last
    // recorded one means a new run, and everything starts over.
    void refresh(const World& w, const CurveLaw& law, long long tick);
    // A new run, started at tick `startTick` of the ticks refresh() is given
    // (unknown: the next refresh's): the history and the axes start over, and
    // the charts count ticks from the run's start.
    void newRun(long long startTick = -1);

    bool showNgc3198() const;
    void setShowNgc3198(bool on);

    // Whether only the stars on nearly circular orbits should count; the
    // "Near-circular only" box. Emits nearCircularChanged when it changes.
    bool nearCircularOnly() const;
    void setNearCircularOnly(bool on);

    // "Rotation curve — slope -0.49 ± 0.02 → exponent 1.98 ± 0.04 over 412
    // stars", with a line on NGC 3198 while it is shown.
    QString caption() const;
    // The binned curve's slope and the exponent it implies, with their
    // standard errors ("-0.49 ± 0.02", "1.98 ± 0.04"), or "none".
    QString slopeShown() const;
    QString exponentShown() const;
    // NGC 3198's scale as drawn, and the exponent its outer curve implies.
    QString ngcScaleShown() const;
    QString ngcExponentShown() const;
    // Chooses NGC 3198's scale again at the next refresh; the "Rescale" button.
    void rescale();

    // The curve of the last refresh as CSV (rows per star in play), written
    // all or nothing.
    Status saveCurve(const QString& path) const;
    // The binned curve (a row per radial bin) and the accelerations (a row per
    // star) as CSV, written all or nothing.
    Status saveBins(const QString& path) const;
    Status saveAccelerations(const QString& path) const;
    // A PNG of kExportWidth x kExportHeight pixels of the caption and the
    // charts of all three tabs one above the other, as they stand, drawn
    // offscreen: the panel need not be shown.
    Status exportPlot(const QString& path) const;

    const RotationCurve& curve() const;
    const CurveHistory& history() const;
    const BinnedCurve& binned() const;
    const ObservedScale& ngcScale() const;

    // Refreshes that come within `ms` of the last drawing are drawn together,
    // once, when the interval is over (0, the default: each at once). The
    // window sets a few frames' worth: the charts cost more to draw than the
    // model to update, and the eye does not follow them faster.
    void setRedrawInterval(int ms);

    // Wide enough for the charts to read well in a dock.
    QSize sizeHint() const override;

signals:
    void nearCircularChanged(bool on);
    // The "Rescale" button: choose NGC 3198's scale again from the stars as
    // they are now.
    void rescaleRequested();

protected:
    void showEvent(QShowEvent* e) override;

private:
    struct State;
    // What each chart last drew: the state's frame or history version.
    struct Drawn {
        unsigned long long curve = 0, acceleration = 0, history = 0;
    };
    void restart();
    // Brings the caption and the chart of the tab shown up to date, while the
    // panel is visible.
    void redraw();
    // redraw(), or once the redraw interval is over.
    void redrawSoon();
    void drawCurve(CurveChart& c) const;
    void drawAcceleration(AccelerationChart& c) const;
    void drawHistory(HistoryCharts& c) const;

    std::unique_ptr<State> s_;
    int redrawInterval_ = 0;
    QElapsedTimer lastRedraw_;
    bool redrawPending_ = false;
    Drawn drawn_;
    QLabel* caption_;
    QCheckBox *ngc_, *circular_;
    QPushButton* rescale_;
    QTabWidget* tabs_;
    CurveChart* curveChart_;
    AccelerationChart* accelerationChart_;
    HistoryCharts* historyCharts_;
};

}  // namespace orb
