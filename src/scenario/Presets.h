#pragma once
// The galaxy presets, the seed they start from, the star parameters the
// emitter reads while a galaxy forms, and the Balanced Disc's velocity spread.

#include <QCheckBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <array>

#include "panel/Pause.h"
#include "panel/Settings.h"
#include "platform/Controls.h"
#include "platform/Stage.h"
#include "scenario/Go.h"
#include "scenario/PresetTable.h"
#include "scenario/StarMaker.h"

namespace orb {

class Presets : public QObject {
    Q_OBJECT
public:
    Presets(Stage& stage, Settings& settings, Pause& pause, RunStart& go);

    // The preset buttons with the seed; the galaxy's counter and star parameters.
    QWidget* presetGroup() const { return presets_; }
    QWidget* starGroups() const { return stars_; }

    // The emitter placed (or skipped) star n: "Stars Live" shows it.
    void showStar(int n);

    void CDp_Click(int index);
    void Tr_Timer();
    void CHran_Click();
    void TXran_LostFocus();
    void Frame9_Click();
    void TXspread_LostFocus();

private:
    void write(const QString& name, const QString& text);
    // The seed's field was left: the seed counter takes it and stops.
    void seedLeft();
    void startPairGalaxy(int index);
    void startBalancedDisc();

    Stage& stage_;
    Settings& settings_;
    Pause& pause_;
    RunStart& go_;
    QGroupBox* presets_;
    QWidget* stars_;
    std::array<QPushButton*, kPresets> CDp_{};
    Field* TXran_;
    Field* TXspread_;
    QCheckBox* CHran_;
    QGroupBox *Frame1_, *Frame4_;
    ClickFrame* Frame9_;
    QLabel* LaStar_;
    std::int16_t seedCounter_ = 0;
};

}  // namespace orb
