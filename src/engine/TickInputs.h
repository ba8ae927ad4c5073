#pragma once
// What the tick reads from the window, as plain values, and what it reports.

#include <cstdint>

#include "world/Geometry.h"
#include "world/World.h"

namespace orb {

enum BorderRule { kSlomo = 0, kWall = 1, kWrap = 2, kComet = 3, kChaos = 4, kFourDim = 5, kDie = 6 };

struct TickInputs {
    double gravityExponent = 2;     // lenient value of the exponent field
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

// The highest body number the run loops visit (-1 when none).
inline int lastBody(const World& w) { return w.bodyCount > kMaxBody ? kMaxBody : w.bodyCount; }

}  // namespace orb
