#pragma once
// The pull sums of one tick shared among the workers of a pool, with the very
// sums of one thread, bit for bit.
//
// The symmetric loop works out each pair's pull once and hands it on both
// ways: into the row's partial sums (the earlier attractor's) and into the
// column's sum (the later one's). A column's sum is built row after row, so
// cutting the loop into pieces for threads to share would make every piece
// wait for the one above it, and pass its sums from one processor's cache to
// the other's: the threads would spend a third of the tick waiting.
//
// So each worker owns a range of attractors, rows and columns alike, and
// works out for itself every pull its sums need:
//  - the pulls handed on to its columns from the rows before its range, in row
//    order (ColumnsOnlyFn);
//  - its own corner of the loop, as the single loop does it (SymmetricBlockFn);
//  - the pulls on its rows from the columns after its range (RowsOnlyFn).
// The pairs between two ranges are thus worked out twice, once for each side,
// at about 0.8 of the cost of a whole pair each; in return no worker ever
// waits for another nor reads what another writes. Every sum is built in the
// order of the single loop, so the cuts may lie anywhere: they are moved from
// tick to tick so that the workers finish together (Balance).
// The bodies beyond the planetoid factor, each summed on its own, are taken in
// chunks of kChunk by whoever is done with its range.

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

#include "engine/CacheAligned.h"
#include "engine/PullKernel.h"
#include "engine/WorkerPool.h"
#include "world/World.h"

namespace orb {

struct PullArrays {
    PullRowArgs args;           // the attractors
    double *asx, *asy, *anear;  // their sums, zero to start with
    const double *bx, *by;      // the other bodies
    int nb;
    double *bsx, *bsy, *bnear;  // their sums
};

// Where to cut the attractors among workers so that they finish together:
// each worker's speed, in pairs a second, is learnt from the time its range
// took. A range of s rows among m costs s^2 / 2 pairs of its own corner and
// s (m - s) pairs worked out for one side only, wherever it lies.
class Balance {
public:
    static constexpr int kMaxWorkers = 256;  // as many as --threads takes
    // What a pair worked out for one side costs against a whole pair.
    static constexpr double kOneSide = 0.8;

    static double cost(double s, double m) { return s * s / 2 + kOneSide * s * (m - s); }

    // The first attractor of each of `workers` ranges and the end, m: cuts[w]
    // .. cuts[w + 1] - 1 is worker w's range. Cuts are multiples of 8, so that
    // no two workers write into the same cache line of the sums.
    void cut(int m, int workers, std::array<int, kMaxWorkers + 1>& cuts) const;

    // Worker w's range of s rows among m took `seconds`.
    void took(int w, int s, int m, double seconds);

    double speed(int w) const { return speed_[static_cast<std::size_t>(w)]; }
    // Sets a worker's speed outright (for tests: the cuts may lie anywhere).
    void setSpeed(int w, double pairsPerSecond) { speed_[static_cast<std::size_t>(w)] = pairsPerSecond; }

private:
    std::array<double, kMaxWorkers> speed_{};  // 0 until timed: as fast as the others
};

class PullSplit {
public:
    static constexpr int kChunk = 64;  // a multiple of 8, where a vector begins
    static_assert(kChunk % 8 == 0);

    PullSplit() : carry_(kSlots), shared_(std::make_unique<Shared>()) {}

    // Before each tick, on the thread that starts the job: m attractors
    // shared among `workers`.
    void reset(int m, int workers)
    {
        workers_ = std::clamp(workers, 1, Balance::kMaxWorkers);
        m_ = m;
        balance_.cut(m, workers_, cuts_);
        shared_->nextChunk.store(0, std::memory_order_relaxed);
        start_ = std::chrono::steady_clock::now();
    }

    // Worker w's share. rowsDone(p0, p1) is called once rows p0 .. p1 - 1
    // have their final sums, bodiesDone(b0, b1) likewise for the other bodies.
    template <class Rows, class Bodies>
    void work(int w, const KernelSet& k, const PullArrays& a, Rows rowsDone, Bodies bodiesDone)
    {
        if (w < workers_) {
            const int p0 = cuts_[static_cast<std::size_t>(w)], p1 = cuts_[static_cast<std::size_t>(w) + 1];
            if (p0 < p1) {
                const PullRowArgs& r = a.args;
                // The places were just written on the thread that packed them:
                // ask for all of them at once rather than a line at a time.
                if (w > 0)
                    for (int q = 0; q < r.m; q += 8) {
                        __builtin_prefetch(r.x + q);
                        __builtin_prefetch(r.y + q);
                        __builtin_prefetch(r.g + q);
                    }
                k.columnsOnly(r, 0, p0, p0, p1, a.asx, a.asy);
                std::fill(carry_.begin() + p0, carry_.begin() + p1, RowCarry{});
                k.symmetricBlock(r, p0, p1, p0, p1, a.asx, a.asy, carry_.data());
                k.rowsOnly(r, p0, p1, p1, m_, carry_.data());
                k.finishRows(carry_.data(), p0, p1, r.kind, a.asx, a.asy, a.anear);
                rowsDone(p0, p1);
            }
            shared_->took[static_cast<std::size_t>(w)].seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        }
        // Then chunks of the other bodies, while any are left.
        const int chunks = (a.nb + kChunk - 1) / kChunk;
        for (int c = shared_->nextChunk.fetch_add(1, std::memory_order_relaxed); c < chunks;
             c = shared_->nextChunk.fetch_add(1, std::memory_order_relaxed)) {
            const int b0 = c * kChunk, b1 = std::min(a.nb, b0 + kChunk);
            k.pulled(a.args, a.bx + b0, a.by + b0, b1 - b0, a.bsx + b0, a.bsy + b0, a.bnear + b0);
            bodiesDone(b0, b1);
        }
    }

    // After the job, on the thread that ran it: learns from the time each
    // range took to be done, from the start of the job (a worker that was
    // late to wake counts as slower), where to cut next time.
    void rebalance()
    {
        for (int w = 0; w < workers_; ++w) {
            const auto i = static_cast<std::size_t>(w);
            balance_.took(w, cuts_[i + 1] - cuts_[i], m_, shared_->took[i].seconds);
        }
    }

    Balance& balance() { return balance_; }
    // The first attractor of worker w's range this tick (w = workers: m).
    int cut(int w) const { return cuts_[static_cast<std::size_t>(w)]; }

private:
    // What each worker reports, on a cache line of its own.
    struct alignas(64) Took {
        double seconds = 0;
    };
    struct Shared {
        std::atomic<int> nextChunk{0};  // the next chunk of other bodies
        std::array<Took, Balance::kMaxWorkers> took;
    };

    int workers_ = 1, m_ = 0;
    std::chrono::steady_clock::time_point start_;
    std::array<int, Balance::kMaxWorkers + 1> cuts_{};
    Balance balance_;
    AlignedVector<RowCarry> carry_;
    std::unique_ptr<Shared> shared_;
};

}  // namespace orb
