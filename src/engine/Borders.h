#pragma once
// What happens to a body that leaves the field of play, and the move pass that
// applies it to every body after moving it.

#include "engine/RandomSource.h"
#include "engine/TickInputs.h"
#include "world/World.h"

namespace orb {

// Re-spawns body i at a random place (with a new momentum under Spin): the 4-dim rule.
void Newton(World& w, RandomSource& rnd, int i, double width, double height, bool spin);

// Applies the selected border rule to body i; returns the number of edge tests
// that fired, each an event of the run.
int applyBorder(World& w, RandomSource& rnd, int i, const TickInputs& in);

// Moves every body in play but body 0 by its momentum, highest number first,
// and applies the border rule to every body; returns the border events.
long movePass(World& w, RandomSource& rnd, const TickInputs& in);

}  // namespace orb
