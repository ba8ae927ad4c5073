#pragma once
// The "Balanced Disc": a galaxy in balance, for measuring the pull law. A
// central mass (body 0) and every star at once, each on the circular orbit of
// the tick as it is integrated, so the rotation curve shows the law itself
// rather than a galaxy still forming.
//
// The tick moves a body by its momentum and then adds the pull at its new
// place. A star on a circle of radius R that turns by an angle t each tick
// therefore needs x(n+2) - 2 x(n+1) + x(n) = pull at x(n+1), that is
// (2 - 2 cos t) R = A, the pull's size there: cos t = 1 - A / (2R). Launched
// with the momentum that carries it from its place to the next point of that
// circle, it stays on the circle up to rounding, and its speed (the chord
// per tick) is sqrt(A R), exactly the circular speed of the continuous law.
//
// The stars lie on rings spaced evenly in ln r, with more stars on the larger
// rings (as many per unit of ring length on each): stars on one ring turn
// together and keep their spacing, and the rings lie far enough apart that no
// two stars come within merging distance.
//
// Bodies 1 and 2 (the binary pair of the other galaxies) are out of play: a
// pair turning inside the disc would make the pull non-central near the centre
// and set the disc swinging.

#include <cstdint>

#include "engine/RandomSource.h"
#include "world/World.h"

namespace orb {

struct DiscSettings {
    double exponent = 2;      // e in g = 10000 f m / r^e, as the tick will read it
    double pullFactor = 1;    // f
    double centralMass = 200;  // body 0's gravity
    double starMass = 0.1;    // each star's gravity
    int lastStar = 150;       // stars fill bodies 3..lastStar
    double spread = 0;        // velocity spread, a fraction of the circular speed
    // Twips from the centre: inside the field of play on every side, and near
    // enough to r0 (3000) that the disc stays on the field when the law turns
    // from e = 2 to e = 1 under "Same pull at r0" (the innermost stars then
    // swing out to some 4100 twips, the outermost in to some 3100).
    double innerRadius = 1000;
    double outerRadius = 5000;
};

// The rings, at most: two to each bin of a quarter octave over the disc's span.
inline constexpr int kDiscRings = 24;

struct DiscResult {
    int stars = 0;      // placed in play
    int noOrbit = 0;    // left out of play: the law holds no circular orbit there
};

// The tick's pull at radius r around the central mass, as the pull pass
// computes its size: 10000 f m / r^e.
double discPull(const DiscSettings& s, double r);
// The angle a star on the circle of radius r turns by each tick; none (a
// negative value) when the pull is too strong or not finite for a circle.
double discTurn(const DiscSettings& s, double r);

// Places body 0 at the centre with the central mass, puts bodies 1 and 2 and
// every slot above lastStar out of play, and the stars on their circles,
// turning counter-clockwise on the screen as the galaxies' pairs do. The spread
// adds to each star's momentum a random kick of about `spread` x its circular
// speed in each direction (from rnd, only when the spread is not 0).
DiscResult placeBalancedDisc(World& w, const DiscSettings& s, RandomSource& rnd);

}  // namespace orb
