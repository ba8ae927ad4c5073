#pragma once
// The pull sums of one tick shared among the workers of a pool, with the very
// sums of one thread, bit for bit.
//
// The symmetric loop hands each pull on to the later attractor's sum, so a
// column's sum is built row after row, and a row's partial sums column after
// column. It is cut into blocks of kRows rows by kColumns columns: a worker
// takes a whole band of rows, the next free one, and goes through its blocks
// from left to right, each only once the band above has finished the block
// above it. Bands thus follow one another a block apart, every sum is built in
// the order of the single loop, and no two workers touch the same entry.
// The bodies beyond the planetoid factor, each summed on its own, follow in
// chunks of kChunk.

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "engine/PullKernel.h"
#include "engine/WorkerPool.h"
#include "world/World.h"

namespace orb {

struct PullArrays {
    PullRowArgs args;             // the attractors
    double *asx, *asy, *anear;    // their sums, zero to start with
    const double *bx, *by;        // the other bodies
    int nb;
    double *bsx, *bsy, *bnear;    // their sums
};

class PullSplit {
public:
    // Multiples of 8, so that blocks and chunks begin where a vector does.
    static constexpr int kRows = 32;
    static constexpr int kColumns = 64;
    static constexpr int kChunk = 64;

    PullSplit() : carry_(kSlots), shared_(std::make_unique<Shared>()) {}

    // Before each tick, on the thread that starts the job: m attractors.
    void reset(int m)
    {
        shared_->nextBand.store(0, std::memory_order_relaxed);
        shared_->nextChunk.store(0, std::memory_order_relaxed);
        for (int i = 0; i < bands(m); ++i) shared_->done[i].v.store(0, std::memory_order_relaxed);
    }

    // One worker's share. rowsDone(p0, p1) is called once rows p0 .. p1 - 1
    // have their final sums, bodiesDone(b0, b1) likewise for the other bodies.
    template <class Rows, class Bodies>
    void work(const KernelSet& k, const PullArrays& a, Rows rowsDone, Bodies bodiesDone)
    {
        const int m = a.args.m;
        const int columns = (m + kColumns - 1) / kColumns;
        Shared& s = *shared_;
        for (int i; (i = s.nextBand.fetch_add(1, std::memory_order_relaxed)) < bands(m);) {
            const int p0 = i * kRows, p1 = std::min(m, p0 + kRows);
            std::fill(carry_.begin() + p0, carry_.begin() + p1, RowCarry{});
            for (int j = (p0 + 1) / kColumns; j < columns; ++j) {
                if (i > 0) awaitAtLeast(s.done[i - 1].v, j + 1);
                k.symmetricBlock(a.args, p0, p1, j * kColumns, (j + 1) * kColumns, a.asx, a.asy, carry_.data());
                s.done[i].v.store(j + 1, std::memory_order_release);
            }
            for (int p = p0; p < p1; ++p) finishRow(carry_[p], p, a.args.kind, a.asx[p], a.asy[p], a.anear[p]);
            rowsDone(p0, p1);
        }
        const int chunks = (a.nb + kChunk - 1) / kChunk;
        for (int c; (c = s.nextChunk.fetch_add(1, std::memory_order_relaxed)) < chunks;) {
            const int b0 = c * kChunk, b1 = std::min(a.nb, b0 + kChunk);
            k.pulled(a.args, a.bx + b0, a.by + b0, b1 - b0, a.bsx + b0, a.bsy + b0, a.bnear + b0);
            bodiesDone(b0, b1);
        }
    }

private:
    static constexpr int kBands = (kSlots + kRows - 1) / kRows;
    static int bands(int m) { return (m + kRows - 1) / kRows; }

    // A counter on a cache line of its own, so that bands at work side by side
    // do not slow each other down.
    struct alignas(64) Counter {
        std::atomic<int> v{0};
    };
    struct Shared {
        std::atomic<int> nextBand{0}, nextChunk{0};  // the next band and chunk to take
        Counter done[kBands];  // for each band, one past the last column block it has finished
    };

    std::vector<RowCarry> carry_;
    std::unique_ptr<Shared> shared_;
};

}  // namespace orb
