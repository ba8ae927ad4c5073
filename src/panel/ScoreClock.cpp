#include "panel/ScoreClock.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/Numbers.h"
#include "engine/TickInputs.h"

namespace orb {
namespace {

std::int32_t toInt32Clamped(double v)
{
    if (std::isnan(v)) return 0;
    return roundClamp(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
}

}  // namespace

ClockHms clockParts(const std::string& t)
{
    auto part = [&](std::size_t at, std::size_t len) {
        return toInt16(val(t.size() >= at + len ? t.substr(at, len) : std::string())).value_or(0);
    };
    const std::size_t n = t.size();
    return {part(0, 2), part(3, 2), n >= 2 ? part(n - 2, 2) : std::int16_t{0}};
}

std::int32_t scoreFor(std::int32_t e, std::int32_t runSeconds, double scoreFactor)
{
    const std::int32_t bonus = runSeconds < 1 ? 0 : toInt32Clamped(e * scoreFactor);
    double s;
    if (e <= 9) s = bonus / 100.0 + e;
    else if (e <= 19) s = bonus / 50.0 + e;
    else if (e <= 29) s = bonus / 20.0 + e;
    else if (e <= 59) s = bonus / 10.0 + e;
    else if (e <= 119) s = bonus / 3.0 + e;
    else s = static_cast<double>(e) + bonus;
    return toInt32Clamped(s);
}

int livePlanets(const World& w)
{
    int live = 0;
    for (int i = 3; i <= lastBody(w); ++i)
        if (w.outOfPlay[i] == 0) ++live;
    return live;
}

void ScoreState::setRecord(std::int32_t record)
{
    recordScore = record;
    recordCheck = static_cast<std::int32_t>(std::floor(recordScore / 7.0));
}

void ScoreClock::start(ScoreState& s, const std::string& hhmmss)
{
    s.clockText = hhmmss;
    s.startClock = clockParts(hhmmss);
    s.runSeconds = 0;
    s.clockOffset = 0;
    lastClockBase_ = 0;
    clockDays_ = 0;
}

bool ScoreClock::tick(ScoreState& s, const std::string& hhmmss)
{
    s.clockText = hhmmss;
    s.nowClock = clockParts(hhmmss);

    // Seconds since the start, in 32-bit arithmetic; a time of day earlier than
    // the last one seen means the run went past midnight, so a day is added and
    // the clock keeps counting forward.
    const std::int32_t ofDay = (s.nowClock.second - s.startClock.second) +
                               (s.nowClock.minute - s.startClock.minute) * 60 +
                               (s.nowClock.hour - s.startClock.hour) * 3600;
    const std::int32_t base = ofDay < 0 ? ofDay + 86400 : ofDay;
    if (base + 43200 < lastClockBase_) ++clockDays_;
    lastClockBase_ = base;
    const std::int64_t run = static_cast<std::int64_t>(clockDays_) * 86400 + base;
    s.runSeconds = static_cast<std::int32_t>(std::min<std::int64_t>(run, std::numeric_limits<std::int32_t>::max()));
    s.elapsedSeconds = s.runSeconds - s.clockOffset;
    s.score = scoreFor(s.elapsedSeconds, s.runSeconds, s.scoreFactor);

    if (s.score > s.sessionBest) s.sessionBest = s.score;
    if (s.score <= s.recordScore) return false;
    s.setRecord(s.score);
    return true;
}

}  // namespace orb
