#pragma once
// Everything the tick draws goes through Bomb: a body's point, a spark burst of
// a partial collision, or the burst of a merge.

#include "engine/Canvas.h"
#include "engine/RandomSource.h"
#include "world/World.h"

namespace orb {

enum class BombKind { Body = 1, Sparks = 2, Burst = 3 };

// Draws a body's dot, a collision's sparks or a merge's burst on the canvas.
// Draws at the already rounded-down point (x, y); c and o are body numbers
// (the body itself for Body; the colliding pair otherwise). Points that fall
// outside the 16-bit range are skipped, their random numbers drawn all the same.
void Bomb(Canvas& canvas, RandomSource& rnd, const World& w, double x, double y, BombKind kind, int c, int o);

}  // namespace orb
