#pragma once
// Pinning the outcome of a long run: a 64-bit fingerprint of the body table
// (FNV-1a over the bytes of every array, in a fixed order), a bit-for-bit
// comparison of two tables that names the first difference, a crowded scene to
// run, and a loop that ticks a world with a given set of pull kernels.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "base/Random.h"
#include "engine/Canvas.h"
#include "engine/PullKernel.h"
#include "engine/RandomSource.h"
#include "engine/Ticker.h"
#include "world/World.h"

namespace orb::test {

// Calls f(name, member) for every array of the body table, always in this
// order; member points at the array in a World.
template <class F>
void forEachBodyArray(F&& f)
{
    f("posX", &World::posX);
    f("posY", &World::posY);
    f("momX", &World::momX);
    f("momY", &World::momY);
    f("gravity", &World::gravity);
    f("outOfPlay", &World::outOfPlay);
    f("bodyType", &World::bodyType);
    f("colRed", &World::colRed);
    f("colGreen", &World::colGreen);
    f("colBlue", &World::colBlue);
}

inline std::uint64_t fnv1a(const void* data, std::size_t size, std::uint64_t h = 0xcbf29ce484222325ULL)
{
    const auto* b = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        h ^= b[i];
        h *= 0x100000001b3ULL;
    }
    return h;
}

// The fingerprint of the body table: equal tables, bit for bit, give equal values.
inline std::uint64_t bodyTableHash(const World& w)
{
    std::uint64_t h = 0xcbf29ce484222325ULL;
    forEachBodyArray([&](const char*, auto member) {
        const auto& a = w.*member;
        h = fnv1a(a.data(), sizeof a, h);
    });
    return h;
}

// Empty when the two body tables are the same bit for bit; else the first array
// and body that differ, with both values.
inline std::string bodyTableDifference(const World& a, const World& b)
{
    std::string why;
    forEachBodyArray([&](const char* name, auto member) {
        const auto &va = a.*member, &vb = b.*member;
        for (std::size_t i = 0; why.empty() && i < va.size(); ++i) {
            if (std::memcmp(&va[i], &vb[i], sizeof va[i]) == 0) continue;
            std::ostringstream os;
            os.precision(17);
            os << name << " of body " << i << ": " << +va[i] << " vs " << +vb[i];
            why = os.str();
        }
    });
    return why;
}

class NullCanvas final : public Canvas {
public:
    void pset(int, int, Rgb) override {}
    void cls() override {}
};

// A crowd of `bodies` bodies, every one in play, in a square of 4000 twips
// round the middle of the field: light enough to fall together only slowly,
// dense enough that partial collisions and merges happen from the start.
// Positions, momenta and gravities are random fractions from `seed`.
inline World goldenCrowd(int bodies, double seed)
{
    World w;
    Rng r(seed);
    auto uniform = [&](double lo, double hi) {
        // Two draws for a fine fraction: the generator gives 24 bits.
        const double u = static_cast<double>(r.rnd()) + static_cast<double>(r.rnd()) / 16777216.0;
        return lo + (hi - lo) * u;
    };
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
