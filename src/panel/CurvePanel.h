#pragma once
// The "Rotation curve" panel: the simulated stars' speeds against their
// distance from the galaxy's centre, each star a dot of its own colour, with
// the curve the pull law predicts and the Keplerian and flat references; below
// it, the slope over the run and a heat strip of the mean speed by radius over
// the run; on request NGC 3198's observed curve laid over the simulated one.
//
// The panel knows nothing of the window: whoever owns the body table calls
// refresh() at the screen's rate and newRun() when a run starts. The model is
// kept up to date even while the panel is hidden (so the caption, the saved
// curve and the history stay right); the charts are redrawn only while it is
// visible.

#include <QString>
#include <QWidget>
#include <memory>

#include "base/Result.h"
#include "curve/CurveHistory.h"
#include "curve/RotationCurve.h"
#include "world/World.h"

class QCheckBox;

namespace orb {

// Where the NGC 3198 data come from, for the About box and the panel's tooltip.
QString ngc3198Citation();

class CurveCharts;

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

    // Reads the body table as the tick sees it (its exponent and planetoid
    // factor) at run tick `tick`. Records the history when kRecordEvery ticks
    // have passed since the last record; a tick below the last recorded one
    // means a new run, and the history starts over.
    void refresh(const World& w, double exponent, double planetoidFactor, long long tick);
    // A new run: the history and the axes start over.
    void newRun();

    bool showNgc3198() const;
    void setShowNgc3198(bool on);

    // "Rotation curve — slope -0.48 over 212 of 230 stars (Keplerian -0.5, flat 0)".
    QString caption() const;
    // The slope as the caption shows it, or "none".
    QString slopeShown() const;

    // The curve of the last refresh as CSV (rows per star in play), written
    // all or nothing.
    Status saveCurve(const QString& path) const;
    // A PNG of kExportWidth x kExportHeight pixels of the caption and the
    // charts as they stand, drawn offscreen: the panel need not be shown.
    Status exportPlot(const QString& path) const;

    const RotationCurve& curve() const;
    const CurveHistory& history() const;

protected:
    void showEvent(QShowEvent* e) override;

private:
    friend class CurveCharts;
    struct State;
    void restart();
    void redraw();

    std::unique_ptr<State> s_;
    CurveCharts* charts_;
    QCheckBox* ngc_;
};

}  // namespace orb
