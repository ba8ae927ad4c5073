#pragma once
// Bodies that come close: a random exchange of momentum in the partial-collision
// zone (between the core and the planet radius), and merging inside the core.

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/Canvas.h"
#include "engine/RandomSource.h"
#include "engine/TickInputs.h"
#include "world/World.h"

namespace orb {

// Random momentum exchange between bodies i and j, with sparks at j.
void partialCollision(World& w, Canvas& canvas, RandomSource& rnd, int i, int j);

// Merges j into i or i into j, whichever is heavier (i on ties): an event of the run.
void mergeBodies(World& w, Canvas& canvas, RandomSource& rnd, int i, int j);

// The merge pass: every pair of bodies in play (body 0 aside) closer than the
// core radius merges, in the order the pair-by-pair pass meets them. Found
// through a grid rather than by trying every pair; keeps its scratch space.
class MergePass {
public:
    MergePass();
    // The close pairs, from the places and who is in play only (which the pull
    // pass leaves as they are, so that they may be found while it runs).
    void find(const World& w);
    // Then the merges.
    void apply(World& w, Canvas& canvas, RandomSource& rnd, TickStats& st);

private:
    static constexpr int kMaxCells = 6 * kSlots + 8;
    std::vector<std::int16_t> uid_;
    std::vector<std::int32_t> ucell_, cellStart_;
    std::vector<double> gx_, gy_;
    std::vector<std::int16_t> gid_;
    std::vector<std::pair<std::int16_t, std::int16_t>> candidates_;
};

}  // namespace orb
