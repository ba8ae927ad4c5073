#pragma once
// A timer of the main window: an interval in milliseconds and an enabled flag.
// Setting the interval of a running timer starts its count again. Under the
// headless runner the timer never fires by itself; the runner fires it on a
// virtual clock.

#include <QObject>
#include <QTimer>

namespace orb {

class Timer : public QObject {
    Q_OBJECT
public:
    Timer(const QString& name, int intervalMs, bool enabled, QObject* parent = nullptr);

    bool enabled() const { return enabled_; }
    int interval() const { return interval_; }
    void setEnabled(bool on);
    void setInterval(int ms);  // values below 1 are raised to 1
    // Counts every start, so a virtual clock can tell when the count began anew.
    unsigned generation() const { return generation_; }
    void setVirtual(bool v);
    void fire() { emit timeout(); }

signals:
    void timeout();

private:
    void restart();
    QTimer timer_;
    int interval_;
    bool enabled_;
    bool virtual_ = false;
    unsigned generation_ = 0;
};

// The window's timers: the tick, the score clock, the editor's blink, the
// automatic clear and the seed ticker.
class Timers {
public:
    explicit Timers(QObject* parent);
    Timer& Ti() { return *ti_; }
    Timer& TiK() { return *tiK_; }
    Timer& TiF() { return *tiF_; }
    Timer& Tiball() { return *tiball_; }
    Timer& Tr() { return *tr_; }
    QList<Timer*> all() const { return {ti_, tiK_, tiF_, tiball_, tr_}; }
    Timer* find(const QString& name) const;

private:
    Timer *ti_, *tiK_, *tiF_, *tiball_, *tr_;
};

}  // namespace orb
