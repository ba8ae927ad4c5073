#include "panel/Pause.h"

#include <cmath>

#include "base/Numbers.h"
#include "platform/Widgets.h"

namespace orb {

Pause::Pause(Stage& stage, BodyEditor& editor)
    : stage_(stage), editor_(editor)
{
    Command5_ = makeButton("Command5", "Pause",
                           "Pause the run and open the body editor; press again to go on (Space)");
    Command5_->hide();  // until a run is started
    connect(Command5_, &QPushButton::clicked, this, &Pause::Command5_Click);
    connect(&stage_.run, &RunState::changed, this, [this](RunPhase p) { Command5_->setVisible(p != RunPhase::Idle); });
}

void Pause::Command5_Click()
{
    Timers& t = stage_.timers;
    if (stage_.run.running()) {
        t.Ti().setEnabled(false);
        t.TiK().setEnabled(false);
        stage_.run.set(RunPhase::Paused);
        // The selector reaches the bodies of the run, 0..|count| (Go counts a
        // negative text by its absolute value).
        editor_.open(roundClamp(std::fabs(stage_.settings.lenient(Setting::Planets)), 0, kMaxBody));
        stage_.chirp.say("Hit tab to effect changes for typed amounts");
    } else if (stage_.run.paused()) {
        editor_.close();
        stage_.run.set(RunPhase::Running);
        t.Ti().setEnabled(true);
        t.TiK().setEnabled(true);
    }
}

}  // namespace orb
