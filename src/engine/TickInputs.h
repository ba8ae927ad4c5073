#pragma once
// What the tick reads from the window, as plain values, and what it reports.

#include <cstdint>

#include "world/Geometry.h"
#include "world/RunSettings.h"
#include "world/World.h"

namespace orb {

struct TickInputs {
    double gravityExponent = 2;     // lenient value of the exponent field
    // f in the pull law g = 10000 f m / r^e: 1 normally; r0^(e-2) with "Same
    // pull at r0", so that the pull at r0 is the Newtonian one for every e.
    double pullFactor = 1;
    std::int16_t starInterval = 2;  // ticks between two stars
    double planetoidFactor = 2;     // only bodies up to this number attract
    int borderOption = kDie;        // selected border rule 0..6, -1 for none
    double width = kFieldWidth;     // the window's width and height in twips
    double height = kFieldHeight;
    bool spin = false;              // "Spin": the re-spawn of 4-dim
};

// Counts of what a tick did, for the score clock, tests and the headless runner.
struct TickStats {
    long borderEvents = 0;
    long partialCollisions = 0;
    long merges = 0;
    // The events of the run, which restart the score clock's calm: border
    // events and merges (a partial collision is none).
    long events() const { return borderEvents + merges; }
    TickStats& operator+=(const TickStats& o)
    {
        borderEvents += o.borderEvents;
        partialCollisions += o.partialCollisions;
        merges += o.merges;
        return *this;
    }
};

// The tick's inputs as the run's settings give them.
inline TickInputs tickInputs(const RunSettings& s)
{
    TickInputs in;
    in.gravityExponent = s.exponent();
    in.pullFactor = s.pullFactor(in.gravityExponent);
    in.starInterval = s.starInterval();
    in.planetoidFactor = s.planetoidFactor();
    in.borderOption = s.borderRule;
    in.spin = s.spin;
    return in;
}

// The highest body number the run loops visit (-1 when none).
inline int lastBody(const World& w) { return w.bodyCount > kMaxBody ? kMaxBody : w.bodyCount; }

}  // namespace orb
