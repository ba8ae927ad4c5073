#include "scenario/Simulation.h"


namespace orb {

QString Simulation::speedName(int n) { return n == 0 ? QString("Max") : QString("%1x").arg(n); }

std::optional<int> Simulation::parseSpeed(const QString& text)
{
    QString t = text.trimmed();
    if (t.compare("Max", Qt::CaseInsensitive) == 0) return 0;
    if (t.endsWith('x', Qt::CaseInsensitive)) t.chop(1);
    bool ok = false;
    const int n = t.toInt(&ok);
    for (int s : kSpeeds)
        if (ok && s != 0 && s == n) return n;
    return std::nullopt;
}

Simulation::Simulation(Stage& stage, Presets& presets, BodyEditor& editor,
                       const KernelSet& kernels, Threading threading)
    : stage_(stage), presets_(presets), editor_(editor), ticker_(kernels, threading)
{
    Speed_ = new QComboBox;
    Speed_->setObjectName("Speed");
    Speed_->setToolTip("Speed: ticks run on each beat of the tick timer (1x as \"Tick ms\" sets it; Max runs as "
                       "many as fit in two thirds of each beat). Stars still come every so many ticks.");
    for (int s : kSpeeds) Speed_->addItem(speedName(s), s);
    connect(Speed_, &QComboBox::currentIndexChanged, this, [this](int i) { setSpeed(Speed_->itemData(i).toInt()); });
    connect(&stage_.timers.Ti(), &Timer::timeout, this, &Simulation::Ti_Timer);
}

void Simulation::setSpeed(int n)
{
    const int index = Speed_->findData(n);
    if (index < 0) return;
    speed_ = n;
    if (Speed_->currentIndex() != index) Speed_->setCurrentIndex(index);
    emit speedChanged(n);
}

void Simulation::Ti_Timer()
{
    // A set count of ticks: the speed, or Max fixed for a repeatable run.
    if (const int n = speed_ > 0 ? speed_ : fixedMax_; n > 0) {
        for (int k = 0; k < n && nextTick(); ++k) tick();
        return;
    }
    // Max: the ticks that fit in two thirds of the interval, so the window
    // keeps a third of each beat for drawing and the user.
    const qint64 budgetNs = stage_.timers.Ti().interval() * 2'000'000LL / 3;
    budget_.start();
    while (nextTick()) {
        tick();
        if (budget_.nsecsElapsed() >= budgetNs || !stage_.run.running()) break;
    }
}

bool Simulation::nextTick()
{
    if (beforeTick_ && !beforeTick_()) return false;
    return stage_.timers.Ti().enabled();
}

void Simulation::tick()
{
    const TickInputs in = tickInputs(stage_.settings);
    planetoidFactor_ = in.planetoidFactor;
    pullFactor_ = in.pullFactor;
    events_ += ticker_.tick(stage_.world, in, stage_.canvas, stage_.rng, [this] { starMaker(); }).events();
    ++ticks_;
    emit ticked();
}

void Simulation::Step_Click()
{
    if (!stage_.run.paused()) return;
    emit stepping();
    tick();
    editor_.Asgard();
}

void Simulation::starMaker()
{
    const StarResult r = StarMaker(stage_.world, stage_.rng, starFields(stage_.settings));
    if (r.outcome == StarResult::Advanced) presets_.showStar(r.shown);
}

}  // namespace orb
