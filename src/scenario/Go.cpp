#include "scenario/Go.h"

#include <QHBoxLayout>
#include <algorithm>
#include <cmath>

#include "platform/FieldText.h"
#include "platform/Widgets.h"

namespace orb {
namespace {

// The clear timer's interval for a "Clear Screen Time" of so many seconds;
// nothing when it would give no valid interval.
std::optional<int> clearInterval(double seconds)
{
    const auto ms = toInt32(seconds * 1000);
    if (!ms || *ms <= 0) return std::nullopt;
    return *ms;
}

}  // namespace

RunStart::RunStart(Stage& stage, Settings& settings, ScoreBoard& score, Links& links)
    : stage_(stage), settings_(settings), score_(score), links_(links)
{
    Command2_ = makeButton("Command2", "Go", "Start the run with the settings on the panel");
    Command4_ = makeButton("Command4", "Clear", "Clear Screen");
    autoBox_ = new QWidget;
    auto* h = new QHBoxLayout(autoBox_);
    h->setContentsMargins(0, 0, 0, 0);
    CHr_ = makeCheck("CHr", "Auto C", "Auto Clear Screen");
    TXref_ = makeField("TXref", settings_.text(Setting::ClearTime), "Clear Screen Time", 5, 44);
    settings_.bind(Setting::ClearTime, TXref_);
    h->addWidget(CHr_);
    h->addWidget(TXref_);

    connect(Command2_, &QPushButton::clicked, this, &RunStart::Command2_Click);
    connect(Command4_, &QPushButton::clicked, this, &RunStart::Command4_Click);
    connect(CHr_, &QCheckBox::toggled, this, &RunStart::CHr_Click);
    connect(&stage_.timers.Tiball(), &Timer::timeout, this, &RunStart::Tiball_Timer);

    for (QWidget* w : {static_cast<QWidget*>(Command2_), static_cast<QWidget*>(Command4_), static_cast<QWidget*>(CHr_),
                       static_cast<QWidget*>(TXref_)})
    {
        keepPlace(w);
        w->hide();
    }
}

void RunStart::Command2_Click()
{
    emit starting();
    World& w = stage_.world;
    Timers& t = stage_.timers;
    CHr_->show();
    TXref_->show();
    links_.hideStartPicture();

    // The binary pair: red and amber.
    w.colRed[1] = 255;
    w.colGreen[1] = 0;
    w.colBlue[1] = 0;
    w.colRed[2] = 255;
    w.colGreen[2] = 191;
    w.colBlue[2] = 0;

    // Planets run from blue (low numbers) to green (high numbers). The planet
    // count field keeps a whole number in 3..999; should it hold anything else,
    // the colouring stops at the slots the table has.
    const RunSettings& s = stage_.settings;
    const double count = s.lenient(Setting::Planets);
    int n = 0;
    if (auto v = s.strict(Setting::Planets) ? toInt16(*s.strict(Setting::Planets)) : std::nullopt)
        n = std::min<int>(*v, kMaxBody);
    else n = roundClamp(count, 0, kMaxBody);
    for (int k = 3; k <= n; ++k) {
        const auto d = toInt16(k / count * 255);
        if (!d) continue;
        // A count that is not whole ("3.5" rounds up to 4) puts the last slot
        // past the field's value: its green would pass 255.
        const int g = std::clamp<int>(*d, 0, 255);
        w.colGreen[k] = static_cast<float>(g);
        w.colBlue[k] = static_cast<float>(255 - g);
        w.colRed[k] = static_cast<float>(std::floor(stage_.rng.rnd() * 150.0) + 50);
    }

    Command4_->show();
    settings_.lockFactors();
    Command2_->hide();

    score_.startRun();
    t.TiK().setEnabled(true);

    // Settings from the panel; a value that does not fit keeps the last one.
    if (auto v = toInt16(s.lenient(Setting::Tag))) w.taggedBody = *v;
    if (auto v = toInt16(s.lenient(Setting::Core))) w.coreRadius = *v;
    if (auto v = toInt16(std::fabs(count))) w.bodyCount = std::min<std::int16_t>(*v, kMaxBody);
    if (auto v = toInt16(s.lenient(Setting::Radius))) w.planetRadius = *v;

    // A tick interval of 0 or less would stop the timer: the last valid one stays.
    if (auto ms = toInt32(s.lenient(Setting::TickMs)); ms && *ms > 0) t.Ti().setInterval(*ms);
    score_.setScoreFactor((w.bodyCount + 1.0) * (w.bodyCount + 1.0) / 100.0);
    t.Ti().setEnabled(true);
    stage_.run.set(RunPhase::Running);

    if (s.autoClear) {
        if (auto ms = clearInterval(s.lenient(Setting::ClearTime))) t.Tiball().setInterval(*ms);
        t.Tiball().setEnabled(true);
    }
    emit started();
}

void RunStart::Command4_Click() { stage_.canvas.cls(); }

void RunStart::CHr_Click()
{
    Timer& tiball = stage_.timers.Tiball();
    stage_.settings.autoClear = CHr_->isChecked();
    if (stage_.settings.autoClear) {
        TXref_->show();
        tiball.setEnabled(false);
        if (auto ms = clearInterval(stage_.settings.lenient(Setting::ClearTime))) tiball.setInterval(*ms);
        tiball.setEnabled(true);
    } else {
        TXref_->hide();
        tiball.setEnabled(false);
    }
}

void RunStart::Tiball_Timer()
{
    // While paused the picture stays, so edits can be seen against the trails.
    if (!stage_.run.paused()) stage_.canvas.cls();
}

void RunStart::TXref_LostFocus() { settings_.leave(Setting::ClearTime); }

}  // namespace orb
