#include "platform/Timer.h"

namespace orb {

Timer::Timer(const QString& name, int intervalMs, bool enabled, QObject* parent)
    : QObject(parent), interval_(intervalMs < 1 ? 1 : intervalMs), enabled_(false)
{
    setObjectName(name);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Timer::timeout);
    setEnabled(enabled);
}

void Timer::restart()
{
    ++generation_;
    timer_.stop();
    if (enabled_ && !virtual_) timer_.start(interval_);
}

void Timer::setEnabled(bool on)
{
    if (on == enabled_) return;
    enabled_ = on;
    if (on) restart();
    else timer_.stop();
}

void Timer::setInterval(int ms)
{
    interval_ = ms < 1 ? 1 : ms;
    if (enabled_) restart();
}

void Timer::setVirtual(bool v)
{
    virtual_ = v;
    restart();
}

Timers::Timers(QObject* parent)
    : ti_(new Timer("Ti", 15, false, parent)),
      tiK_(new Timer("TiK", 30, false, parent)),
      tiF_(new Timer("TiF", 500, false, parent)),
      tiball_(new Timer("Tiball", 5000, false, parent)),
      tr_(new Timer("Tr", 15, true, parent))
{
}

Timer* Timers::find(const QString& name) const
{
    for (Timer* t : all())
        if (t->objectName() == name) return t;
    return nullptr;
}

}  // namespace orb
