#pragma once
// Whether a run exists and whether it is paused: the one value every handler
// reads. Idle until the first Go; a run never goes back to idle.

#include <QObject>

namespace orb {

enum class RunPhase { Idle, Running, Paused };

class RunState : public QObject {
    Q_OBJECT
public:
    RunPhase phase() const { return phase_; }
    bool idle() const { return phase_ == RunPhase::Idle; }
    bool running() const { return phase_ == RunPhase::Running; }
    bool paused() const { return phase_ == RunPhase::Paused; }
    void set(RunPhase p)
    {
        if (p == phase_) return;
        phase_ = p;
        emit changed(p);
    }

signals:
    void changed(orb::RunPhase phase);

private:
    RunPhase phase_ = RunPhase::Idle;
};

}  // namespace orb
