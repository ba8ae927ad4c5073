#pragma once
// The simulation tick: one step of the whole run, each phase in its turn.

#include <functional>

#include "engine/Canvas.h"
#include "engine/Contact.h"
#include "engine/Pull.h"
#include "engine/PullKernel.h"
#include "engine/RandomSource.h"
#include "engine/TickInputs.h"
#include "world/World.h"

namespace orb {

// Counts the ticks since the last star and calls the emitter when one is due.
void starStep(World& w, std::int16_t starInterval, const std::function<void()>& starMaker);

// Keeps scratch space and its threads between calls, so a tick allocates
// nothing once warmed up. Gives the results of the pair-by-pair reference tick
// up to rounding, and the same results bit for bit whichever kernel set and
// however many threads it is given.
class Ticker {
public:
    explicit Ticker(const KernelSet& kernels = bestKernelSet(), Threading threading = {})
        : pull_(kernels, threading)
    {
    }
    TickStats tick(World& w, const TickInputs& in, Canvas& canvas, RandomSource& rnd,
                   const std::function<void()>& starMaker = {});
    const KernelSet& kernels() const { return pull_.kernels(); }
    int threads() const { return pull_.threads(); }

private:
    PullPass pull_;
    MergePass merge_;
};

}  // namespace orb
