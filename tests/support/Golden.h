#pragma once
// Pinning the outcome of a long run: a crowded scene to run and a loop that
// ticks a world with a given set of pull kernels; the table's fingerprint and
// comparison come from BodyTable.h.

#include <cmath>
#include <cstdint>

#include "base/Random.h"
#include "engine/Canvas.h"
#include "engine/PullKernel.h"
#include "engine/RandomSource.h"
#include "engine/Ticker.h"
#include "support/BodyTable.h"
#include "world/World.h"

namespace orb::test {

class NullCanvas final : public Canvas {
public:
    void pset(int, int, Rgb) override {}
    void cls() override {}
};

// A number from lo to hi, from two draws for a fine fraction: the generator
// gives 24 bits.
inline double fineUniform(Rng& r, double lo, double hi)
{
    const double u = static_cast<double>(r.rnd()) + static_cast<double>(r.rnd()) / 16777216.0;
    return lo + (hi - lo) * u;
}

// A crowd of `bodies` bodies, every one in play, in a square of 4000 twips
// round the middle of the field: light enough to fall together only slowly,
// dense enough that partial collisions and merges happen from the start.
// Positions, momenta and gravities are random fractions from `seed`.
inline World goldenCrowd(int bodies, double seed)
{
    World w;
    Rng r(seed);
    auto uniform = [&](double lo, double hi) { return fineUniform(r, lo, hi); };
    w.bodyCount = static_cast<std::int16_t>(bodies - 1);
    w.planetRadius = 6;
    w.coreRadius = 3;
    w.volatility = 1;
    w.volatilitySpan = 3;
    for (int i = 0; i < bodies; ++i) {
        w.posX[i] = uniform(5680, 9680);
        w.posY[i] = uniform(3760, 7760);
        w.momX[i] = uniform(-0.5, 0.5);
        w.momY[i] = uniform(-0.5, 0.5);
        w.gravity[i] = uniform(5e-4, 2e-3);
        w.colRed[i] = std::floor(uniform(0, 256));
        w.colGreen[i] = std::floor(uniform(0, 256));
        w.colBlue[i] = std::floor(uniform(0, 256));
        w.bodyType[i] = i == 0 ? 0 : i <= 2 ? i : 3;
    }
    for (int i = bodies; i < kSlots; ++i) w.outOfPlay[i] = 1;
    return w;
}

// `ticks` ticks of the fast tick with the given kernels and random numbers
// seeded with `seed`; the events of all of them.
inline TickStats runTicks(World& w, const KernelSet& kernels, const TickInputs& in, int ticks, double seed)
{
    Ticker ticker(kernels);
    SeededRandom rnd(seed);
    NullCanvas canvas;
    TickStats total;
    for (int t = 0; t < ticks; ++t) total += ticker.tick(w, in, canvas, rnd);
    return total;
}

}  // namespace orb::test
