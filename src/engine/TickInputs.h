#pragma once
// What the tick reads from the window, as plain values, and what it reports.

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "world/Geometry.h"
#include "world/World.h"

namespace orb {

enum BorderRule { kSlomo = 0, kWall = 1, kWrap = 2, kComet = 3, kChaos = 4, kFourDim = 5, kDie = 6 };

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

// Counts of what a tick did, for tests and the headless runner.
struct TickStats {
    long borderEvents = 0;
    long partialCollisions = 0;
    long merges = 0;
    TickStats& operator+=(const TickStats& o)
    {
        borderEvents += o.borderEvents;
        partialCollisions += o.partialCollisions;
        merges += o.merges;
        return *this;
    }
};

// The factor f of "Same pull at r0": r0^(e-2), so that 10000 f m / r0^e is the
// Newtonian 10000 m / r0^2 at r0 for every exponent e; exactly 1 at e = 2.
// Kept finite and positive (a pull that does not exist rather than an infinite
// one), and 1 for a radius or exponent that is not a number.
inline double samePullFactor(double r0, double e)
{
    if (!(r0 > 0) || std::isnan(e) || std::isinf(r0)) return 1;
    const double f = std::pow(r0, e - 2);
    if (std::isinf(f)) return DBL_MAX;
    if (!(f > 0)) return DBL_MIN;
    return f;
}

// The highest body number the run loops visit (-1 when none).
inline int lastBody(const World& w) { return w.bodyCount > kMaxBody ? kMaxBody : w.bodyCount; }

}  // namespace orb
