#pragma once
// The score clock: the wall-clock time since the run started and since its last
// event, turned into a score weighted by the number of planets. Works on the
// world state's clock values; the handler shows them and keeps the record file.

#include <cstdint>
#include <string>

#include "world/World.h"

namespace orb {

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
    void start(World& w, const std::string& hhmmss);
    // One tick of the clock at the time of day hhmmss: runSeconds,
    // elapsedSeconds, score and sessionBest. True when the score beats the
    // record (recordScore is then raised; the caller writes the file).
    bool tick(World& w, const std::string& hhmmss);

private:
    std::int32_t lastClockBase_ = 0;  // seconds into the current day of the run
    std::int32_t clockDays_ = 0;      // whole days the run has lasted
};

}  // namespace orb
