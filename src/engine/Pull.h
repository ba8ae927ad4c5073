#pragma once
// The pull pass: every body in play is pulled by the attractors (the bodies
// numbered up to the planetoid factor), is drawn at its place, and bodies in the
// partial-collision zone exchange momentum, all in the order of the
// pair-by-pair pass. The sums come from the vector kernels of a kernel set.

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/Canvas.h"
#include "engine/PullKernel.h"
#include "engine/RandomSource.h"
#include "engine/TickInputs.h"
#include "world/World.h"

namespace orb {

// Adds a pull sum to body i's momentum unless the result would not be finite.
void addPull(World& w, int i, double sumX, double sumY);

class PullPass {
public:
    explicit PullPass(const KernelSet& kernels);
    void run(World& w, const TickInputs& in, Canvas& canvas, RandomSource& rnd, TickStats& st);
    const KernelSet& kernels() const { return kernels_; }

private:
    void drawBody(const World& w, Canvas& canvas, int i);

    const KernelSet& kernels_;
    // Attractors packed in descending body order, padded for the vector loops,
    // and likewise the bodies in play beyond the planetoid factor.
    // ak_ is 10000 f x gravity; the near arrays hold each row's smallest r2.
    std::vector<double> ax_, ay_, ak_, asx_, asy_, anear_;
    std::vector<std::int16_t> aidx_;
    std::vector<double> bx_, by_, bsx_, bsy_, bnear_;
    std::vector<std::int16_t> bidx_;
    std::vector<double> sumX_, sumY_;
    std::vector<std::pair<std::int16_t, std::int16_t>> events_;
    // Each body's drawing colour as last converted, by the bits of its channels.
    std::vector<std::array<std::uint32_t, 3>> colourKey_;
    std::vector<Rgb> colour_;
    std::vector<unsigned char> colourKnown_;
};

}  // namespace orb
