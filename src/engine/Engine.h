#pragma once
// The simulation tick and the procedures it calls: Bomb (all drawing), the
// border rules with Newton, partial collisions and merges.

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Random.h"
#include "world/World.h"

namespace orb {

// What the tick reads from the window, as plain values.
struct TickInputs {
    double gravityExponent = 2;    // lenient value of the exponent field
    std::int16_t starInterval = 2; // ticks between two stars
    double planetoidFactor = 2;    // only bodies up to this number attract
    int borderOption = 6;          // selected border rule 0..6, -1 for none
    double width = 15360;          // the window's width and height in twips
    double height = 11520;
    bool spin = false;             // "Spin": the re-spawn of 4-dim
};

// Counts of what a tick did, for tests and the headless runner.
struct TickStats {
    long borderEvents = 0;
    long partialCollisions = 0;
    long merges = 0;
    TickStats& operator+=(const TickStats& o)
    {
        borderEvents += o.borderEvents;
        partialCollisions += o.partialCollisions;
        merges += o.merges;
        return *this;
    }
};

enum BorderRule { kSlomo = 0, kWall = 1, kWrap = 2, kComet = 3, kChaos = 4, kFourDim = 5, kDie = 6 };

// Draws a body (kind 1), a spark burst (kind 2) or a merge burst (kind 3) at the
// already rounded-down point (x, y); c and o are body numbers. Points that fall
// outside the 16-bit range are skipped, the random numbers are drawn all the same.
void Bomb(Canvas& canvas, RandomSource& rnd, const World& w, double x, double y, int kind, int c, int o);

// The re-spawn of the 4-dim rule.
void Newton(World& w, RandomSource& rnd, int i, double width, double height, bool spin);

// Applies the selected border rule to body i; returns the number of edge tests
// that fired (each has stamped KlinK).
int applyBorder(World& w, RandomSource& rnd, int i, const TickInputs& in);

// Random momentum exchange between bodies i and j in the partial-collision zone.
void partialCollision(World& w, Canvas& canvas, RandomSource& rnd, int i, int j);

// Merges j into i or i into j, whichever is heavier (i on ties); stamps KlinK.
void mergeBodies(World& w, Canvas& canvas, RandomSource& rnd, int i, int j);

// Steps of the tick that run in linear time, shared with the reference tick.
void starStep(World& w, std::int16_t starInterval, const std::function<void()>& starMaker);
long movePass(World& w, RandomSource& rnd, const TickInputs& in);
// Adds a pull sum to body i's momentum unless the result would not be finite.
void addPull(World& w, int i, double sumX, double sumY);

// The highest body number the run loops visit (-1 when none).
inline int lastBody(const World& w) { return w.bodyCount > kMaxBody ? kMaxBody : w.bodyCount; }

// The tick. Keeps scratch space between calls so a tick allocates nothing once
// warmed up. Gives the results of the plain pair-by-pair algorithm up to rounding.
class Ticker {
public:
    Ticker();
    TickStats tick(World& w, const TickInputs& in, Canvas& canvas, RandomSource& rnd,
                   const std::function<void()>& starMaker = {});

private:
    void pullPass(World& w, const TickInputs& in, Canvas& canvas, RandomSource& rnd, TickStats& st);
    void mergePass(World& w, Canvas& canvas, RandomSource& rnd, TickStats& st);

    // Attractors packed in descending body order, padded for the vector loops,
    // and likewise the bodies in play beyond the planetoid factor.
    // ak_ is 10000 x gravity; the near arrays hold each row's smallest r2.
    std::vector<double> ax_, ay_, ag_, ak_, asx_, asy_, anear_;
    std::vector<std::int16_t> aidx_;
    std::vector<double> bx_, by_, bsx_, bsy_, bnear_;
    std::vector<std::int16_t> bidx_;
    std::vector<double> sumX_, sumY_;
    std::vector<std::pair<std::int16_t, std::int16_t>> events_;
    // Merge search: bodies in play, then sorted by grid cell.
    static constexpr int kMaxCells = 6 * kSlots + 8;
    std::vector<std::int16_t> uid_;
    std::vector<std::int32_t> ucell_, cellStart_;
    std::vector<double> gx_, gy_;
    std::vector<std::int16_t> gid_;
    std::vector<std::pair<std::int16_t, std::int16_t>> candidates_;
    // Each body's drawing colour as last converted, by the bits of its channels.
    std::vector<std::array<std::uint32_t, 3>> colourKey_;
    std::vector<Rgb> colour_;
    std::vector<unsigned char> colourKnown_;
};

}  // namespace orb
