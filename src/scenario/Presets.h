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

    // The texts of the star fields, as typed.
    StarFields starTexts() const;
    // The ticks between two stars, as typed.
    QString starIntervalText() const { return starFields_.value("SSSlow")->text(); }
    // The emitter placed (or skipped) star n: "Stars Live" shows it.
    void showStar(int n);
    // The Balanced Disc's velocity spread, a fraction of the circular speed, as
    // its field was last left.
    double discSpread() const { return discSpread_; }

    void CDp_Click(int index);
    void Tr_Timer();
    void CHran_Click();
    void TXran_LostFocus();
    void Frame9_Click();
    void TXspread_LostFocus();

private:
    void write(const QString& name, const QString& text);
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
    double discSpread_ = 0;
    QCheckBox* CHran_;
    QGroupBox *Frame1_, *Frame4_;
    ClickFrame* Frame9_;
    QLabel* LaStar_;
    QHash<QString, Field*> starFields_;
    // The texts handed to the emitter; they live while it runs.
    mutable std::array<std::string, 4> starTexts_;
    std::int16_t seedCounter_ = 0;
};

}  // namespace orb
