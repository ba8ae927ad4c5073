#pragma once
// The tick written out pair by pair, as the simulator defines it, with no
// shortcuts: the yardstick that the Ticker is compared with and timed against.
// Slow on purpose; do not optimise it.

#include <functional>

#include "engine/Canvas.h"
#include "engine/RandomSource.h"
#include "engine/TickInputs.h"
#include "world/World.h"

namespace orb {

TickStats referenceTick(World& w, const TickInputs& in, Canvas& canvas, RandomSource& rnd,
                        const std::function<void()>& starMaker = {});

}  // namespace orb
