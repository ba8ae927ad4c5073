#pragma once
// The pull pass: every body in play is pulled by the attractors (the bodies
// numbered up to the planetoid factor), is drawn at its place, and bodies in the
// partial-collision zone exchange momentum, all in the order of the
// pair-by-pair pass. The sums come from the vector kernels of a kernel set.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "engine/CacheAligned.h"
#include "engine/Canvas.h"
#include "engine/PullKernel.h"
#include "engine/PullSplit.h"
#include "engine/RandomSource.h"
#include "engine/ShareChoice.h"
#include "engine/TickInputs.h"
#include "engine/WorkerPool.h"
#include "world/World.h"

namespace orb {

// Adds a pull sum to body i's momentum unless the result would not be finite.
void addPull(World& w, int i, double sumX, double sumY);

// How many threads share the pull sums, and from what size on. Below it
// waking the other thread, handing it the bodies and taking its sums back, and
// the pairs that both work out (PullSplit), cost more than the second thread
// saves: on a two-core machine the galaxies, with three attractors and a
// thousand stars (3000 pairs), take 1.5 times as long shared; 40000 to 45000
// pairs take about as long; 95000 pairs a tenth less or about as long; 180000
// a fifth to a third less and a thousand bodies all attracting (500000 pairs)
// a quarter less.
struct Threading {
    // The pairs a tick sums (m (m - 1) / 2 among m attractors, m for each
    // other body) from which the threads share them.
    static constexpr long kFromPairs = 60000;
    int threads = 1;  // in all, the ticking thread included
    long fromPairs = kFromPairs;
    // Whether a tick may go back to one thread while sharing is found slower
    // (a computer busy with other programs: ShareChoice).
    bool adapt = true;
};

class PullPass {
public:
    explicit PullPass(const KernelSet& kernels, Threading threading = {});
    // aside: work that only reads the world, which the last thread does before
    // its share when the sums are shared; whether it was done.
    bool run(World& w, const TickInputs& in, Canvas& canvas, RandomSource& rnd, TickStats& st,
             const std::function<void()>& aside = {});
    const KernelSet& kernels() const { return kernels_; }
    int threads() const { return pool_ ? pool_->size() : 1; }

private:
    using Event = std::pair<std::int16_t, std::int16_t>;
    struct Tick;  // what one pass shares with its helpers
    void drawBody(const World& w, Canvas& canvas, int i);
    // After the sums of attractors p0 .. p1 - 1 (other bodies b0 .. b1 - 1):
    // each to its body, and the pairs in the partial-collision zone into ev.
    void attractorsDone(const Tick& t, int p0, int p1, std::vector<Event>& ev);
    void bodiesDone(const Tick& t, int b0, int b1, std::vector<Event>& ev);

    const KernelSet& kernels_;
    std::unique_ptr<WorkerPool> pool_;
    long fromPairs_;
    bool adapt_;
    ShareChoice choice_;
    PullSplit split_;
    // Attractors packed in descending body order, padded for the vector loops,
    // and likewise the bodies in play beyond the planetoid factor.
    // ak_ is 10000 f x gravity; the near arrays hold each row's smallest r2.
    // On whole cache lines, as threads write blocks of the sums side by side.
    AlignedVector<double> ax_, ay_, ak_, asx_, asy_, anear_;
    std::vector<std::int16_t> aidx_;
    AlignedVector<double> bx_, by_, bsx_, bsy_, bnear_;
    std::vector<std::int16_t> bidx_;
    std::vector<double> sumX_, sumY_;
    // The zone pairs each worker finds, gathered into events_.
    std::vector<std::vector<Event>> found_;
    std::vector<Event> events_;
    // Each body's drawing colour as last converted, by the bits of its channels.
    std::vector<std::array<std::uint32_t, 3>> colourKey_;
    std::vector<Rgb> colour_;
    std::vector<unsigned char> colourKnown_;
};

}  // namespace orb
