#pragma once
// The simulation tick handler: reads what the tick needs from the run's settings, runs
// the engine's tick as often as the speed asks on each timeout of the tick
// timer, and lets the emitter place the next star. Also a single step while
// paused.

#include <QComboBox>
#include <QElapsedTimer>
#include <cstdint>
#include <functional>

#include "engine/Ticker.h"
#include "panel/BodyEditor.h"
#include "platform/Stage.h"
#include "scenario/Presets.h"

namespace orb {

class Simulation : public QObject {
    Q_OBJECT
public:
    Simulation(Stage& stage, Presets& presets, BodyEditor& editor, const KernelSet& kernels,
               Threading threading = {});

    // The speeds: ticks per timeout of the tick timer, 0 for Max.
    static constexpr int kSpeeds[] = {1, 2, 5, 10, 100, 0};
    static QString speedName(int ticksPerTimeout);
    // "10", "10x" or "Max"; nothing when it names no speed.
    static std::optional<int> parseSpeed(const QString& text);

    QWidget* speedControl() const { return Speed_; }
    int speed() const { return speed_; }
    void setSpeed(int ticksPerTimeout);
    // Max runs as many ticks as fit in two thirds of the timer's interval; a
    // fixed count instead makes a run repeatable (the headless runner).
    void setFixedMax(int ticks) { fixedMax_ = ticks; }

    const KernelSet& kernels() const { return ticker_.kernels(); }
    int threads() const { return ticker_.threads(); }
    // Ticks run since the program started; the timeline sets the count back
    // with the run.
    long long ticks() const { return ticks_; }
    void setTicks(long long n) { ticks_ = n; }
    // Engine events (border events and merges) since the program started.
    long long events() const { return events_; }
    // The planetoid factor and the pull factor the last tick used.
    double planetoidFactor() const { return planetoidFactor_; }
    double pullFactor() const { return pullFactor_; }

    // Called before each tick the tick timer runs; the timer's beat ends
    // early when it stops the tick timer or returns false.
    void setBeforeTick(std::function<bool()> f) { beforeTick_ = std::move(f); }

    // One timeout of the tick timer.
    void Ti_Timer();
    // One tick of the run.
    void tick();
    // While paused: one tick, then the editor shows its body again.
    void Step_Click();

signals:
    void speedChanged(int ticksPerTimeout);
    // A tick has run; ticks() counts it.
    void ticked();
    // Step is about to run one tick of a paused run.
    void stepping();

private:
    void starMaker();
    // Whether the next tick of this beat runs.
    bool nextTick();

    Stage& stage_;
    Presets& presets_;
    BodyEditor& editor_;
    Ticker ticker_;
    QComboBox* Speed_;
    QElapsedTimer budget_;
    std::function<bool()> beforeTick_;
    long long ticks_ = 0;
    long long events_ = 0;
    int speed_ = 1;
    int fixedMax_ = 0;
    double planetoidFactor_ = 2;
    double pullFactor_ = 1;
};

}  // namespace orb
