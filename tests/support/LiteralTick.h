#pragma once
// The tick written out pair by pair, exactly as the simulator defines it, with
// no shortcuts: the yardstick that the fast Ticker is compared with and timed
// against. Slow on purpose; do not optimise it.

#include <functional>

#include "engine/Engine.h"

namespace orb::test {

TickStats literalTick(World& w, const TickInputs& in, Canvas& canvas, RandomSource& rnd,
                      const std::function<void()>& starMaker = {});

}  // namespace orb::test
