#pragma once
// The score clock: the wall-clock time since the run started and since its last
// event, turned into a score weighted by the number of planets. Works on the
// score clock's own state; the handler shows it and keeps the record file.

#include <cstdint>
#include <string>

#include "world/World.h"

namespace orb {

// Hour, minute and second of a time of day, as the score clock keeps them.
struct ClockHms {
    std::int16_t hour = 0;
    std::int16_t minute = 0;
    std::int16_t second = 0;
};

// The score clock and the record: wall-clock state of the session, apart from
// the body table.
struct ScoreState {
    std::int32_t runSeconds = 0;      // seconds since Go
    std::int32_t clockOffset = 0;     // runSeconds at the last event
    std::int32_t elapsedSeconds = 0;  // seconds since the last event
    std::int32_t score = 0;
    std::int32_t sessionBest = 0;
    std::int32_t recordScore = 0;
    std::int32_t recordCheck = 0;     // recordScore / 7, rounded down
    double scoreFactor = 0;           // (planets + 1)^2 / 100, set by Go
    ClockHms startClock;
    ClockHms nowClock;
    std::string clockText;

    // Stamps the moment of the last event on the score clock.
    void KlinK() { clockOffset = runSeconds; }
    // Takes record as the record and works out its check.
    void setRecord(std::int32_t record);
};

// "hh:mm:ss" taken apart into its three numbers (0 where a part is not one).
ClockHms clockParts(const std::string& hhmmss);

// The score for e seconds since the last event in a run of runSeconds, by the
// bands of the clock; bonus = e x scoreFactor (none in the run's first second).
std::int32_t scoreFor(std::int32_t e, std::int32_t runSeconds, double scoreFactor);

// The planets in play: bodies 3..bodyCount.
int livePlanets(const World& w);

class ScoreClock {
public:
    // Go: the run starts now, its clock from zero with no event stamped.
    void start(ScoreState& s, const std::string& hhmmss);
    // One tick of the clock at the time of day hhmmss: runSeconds,
    // elapsedSeconds, score and sessionBest. True when the score beats the
    // record (recordScore is then raised; the caller writes the file).
    bool tick(ScoreState& s, const std::string& hhmmss);

private:
    std::int32_t lastClockBase_ = 0;  // seconds into the current day of the run
    std::int32_t clockDays_ = 0;      // whole days the run has lasted
};

}  // namespace orb
