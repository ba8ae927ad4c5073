#pragma once
// Starting a run: "Go" colours the bodies, reads the settings into the world
// state and starts the tick and the score clock; "Clear" and the automatic
// clear ("Auto C") wipe the trails.

#include <QCheckBox>
#include <QPushButton>

#include "panel/Links.h"
#include "panel/ScoreBoard.h"
#include "panel/Settings.h"
#include "platform/Controls.h"
#include "platform/Stage.h"

namespace orb {

class RunStart : public QObject {
    Q_OBJECT
public:
    RunStart(Stage& stage, Settings& settings, ScoreBoard& score, Links& links);

    // The run buttons: Go (hidden; pressed from code) and Clear, then "Auto C"
    // with its time field; the Pause button is laid in beside them.
    QWidget* goButton() const { return Command2_; }
    QWidget* clearButton() const { return Command4_; }
    QWidget* autoClear() const { return autoBox_; }

    // The presets write the clear time and set "Auto C" (which runs its click).
    void setClearTimeText(const QString& text) { settings_.setText(Setting::ClearTime, text); }
    void setAutoClear(bool on) { CHr_->setChecked(on); }

    void Command2_Click();

    void Command4_Click();
    void CHr_Click();
    void Tiball_Timer();
    void TXref_LostFocus();

signals:
    // Go is about to start a run: the table, the settings and the random
    // numbers are those the run starts from.
    void starting();
    // Go has started a run (a preset's, a scene's).
    void started();

private:
    Stage& stage_;
    Settings& settings_;
    ScoreBoard& score_;
    Links& links_;
    QPushButton *Command2_, *Command4_;
    QWidget* autoBox_;
    QCheckBox* CHr_;
    Field* TXref_;
};

}  // namespace orb
