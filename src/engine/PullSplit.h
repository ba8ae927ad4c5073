#pragma once
// The pull sums of one tick shared among the workers of a pool, with the very
// sums of one thread, bit for bit.
//
// The symmetric loop hands each pull on to the later attractor's sum, so a
// column's sum is built row after row, and a row's partial sums column after
// column. It is cut into bands of rows, about eight of them, and blocks of
// kColumns columns (the first column block narrower, so that the last ends
// where the attractors do and every row ends on whole vectors, as in the
// single loop). A block is ready once the block to its left (same rows) and
// the block above it (same columns, the band before) are done: every sum is
// then built in the order of the single loop, and no two workers ever touch
// the same entry. Any worker takes any ready block, the next one of its own
// band first, else the ready one nearest the top: a worker that is slow, or
// put aside by the system for another program, holds up only what truly waits
// for its block. A block's column sums pass from one worker's cache to the
// other's when the band below is another worker's: tall bands keep that small
// next to the work of a block.
// The bodies beyond the planetoid factor, each summed on its own, are taken in
// chunks of kChunk whenever no block is ready.

#include <algorithm>
#include <atomic>
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

class PullSplit {
public:
    // Multiples of 8, so that blocks and chunks begin where a vector does.
    static constexpr int kMinRows = 32;
    static constexpr int kColumns = 128;
    static constexpr int kChunk = 64;
    static_assert(kMinRows % 8 == 0 && kColumns % 8 == 0 && kChunk % 8 == 0);

    // The rows of a band for m attractors: an eighth of them, a multiple of 8.
    static int bandRows(int m) { return std::max(kMinRows, (m + 63) / 64 * 8); }

    PullSplit() : carry_(kSlots), shared_(std::make_unique<Shared>()) {}

    // Before each tick, on the thread that starts the job: m attractors.
    void reset(int m)
    {
        Shared& s = *shared_;
        rows_ = bandRows(m);
        s.bandsDone.store(0, std::memory_order_relaxed);
        s.nextChunk.store(0, std::memory_order_relaxed);
        s.open.store(0, std::memory_order_relaxed);
        for (int i = 0; i < bands(m); ++i) {
            s.band[i].taken.store(firstBlock(m, i), std::memory_order_relaxed);
            s.band[i].done.store(firstBlock(m, i), std::memory_order_relaxed);
        }
    }

    // One worker's share. rowsDone(p0, p1) is called once rows p0 .. p1 - 1
    // have their final sums, bodiesDone(b0, b1) likewise for the other bodies.
    template <class Rows, class Bodies>
    void work(const KernelSet& k, const PullArrays& a, Rows rowsDone, Bodies bodiesDone)
    {
        const int m = a.args.m, nBands = bands(m), columns = columnBlocks(m);
        const int chunks = (a.nb + kChunk - 1) / kChunk;
        Shared& s = *shared_;
        int own = -1;  // the band of the last block this worker did
        Patience patience;
        for (;;) {
            int i = -1, j = -1;
            if (own >= 0 && take(own, m, j)) i = own;
            for (int b = s.open.load(std::memory_order_relaxed); i < 0 && b < nBands; ++b)
                if (take(b, m, j)) i = b;
            if (i >= 0) {
                block(k, a, i, j);
                if (j + 1 == columns) {
                    const int p0 = i * rows_, p1 = std::min(m, p0 + rows_);
                    for (int p = p0; p < p1; ++p)
                        finishRow(carry_[p], p, a.args.kind, a.asx[p], a.asy[p], a.anear[p]);
                    rowsDone(p0, p1);
                    s.bandsDone.fetch_add(1, std::memory_order_relaxed);
                }
                own = i;
                patience = Patience();
                continue;
            }
            // No block ready: a chunk of the other bodies meanwhile.
            if (int c = s.nextChunk.load(std::memory_order_relaxed); c < chunks) {
                if (s.nextChunk.compare_exchange_weak(c, c + 1, std::memory_order_relaxed)) {
                    const int b0 = c * kChunk, b1 = std::min(a.nb, b0 + kChunk);
                    k.pulled(a.args, a.bx + b0, a.by + b0, b1 - b0, a.bsx + b0, a.bsy + b0, a.bnear + b0);
                    bodiesDone(b0, b1);
                }
                continue;
            }
            if (s.bandsDone.load(std::memory_order_relaxed) == nBands) return;
            patience.wait();
        }
    }

private:
    static constexpr int kBands = (kSlots + kMinRows - 1) / kMinRows;
    int bands(int m) const { return (m + rows_ - 1) / rows_; }
    // The columns up to m rounded up to a whole vector, in blocks of kColumns
    // but the first, which takes what is left over.
    static int columnBlocks(int m) { return ((m + 7) / 8 * 8 + kColumns - 1) / kColumns; }
    static int firstWidth(int m) { return (m + 7) / 8 * 8 - (columnBlocks(m) - 1) * kColumns; }
    static int blockStart(int m, int j) { return j == 0 ? 0 : firstWidth(m) + (j - 1) * kColumns; }
    // The column block of the first pair of band i (there is always one: the
    // band's first row, a multiple of 8, lies before the last whole vector).
    int firstBlock(int m, int i) const
    {
        const int q = i * rows_ + 1;
        return q < firstWidth(m) ? 0 : 1 + (q - firstWidth(m)) / kColumns;
    }

    // Takes the next block of band i if it is ready: j is its column block.
    bool take(int i, int m, int& j)
    {
        Shared& s = *shared_;
        Band& b = s.band[i];
        const int columns = columnBlocks(m);
        int next = b.done.load(std::memory_order_acquire);
        if (next >= columns) {
            // Every block of the band taken: later looks start further on.
            int open = i;
            if (s.open.load(std::memory_order_relaxed) == i)
                s.open.compare_exchange_strong(open, i + 1, std::memory_order_relaxed);
            return false;
        }
        if (i > 0 && s.band[i - 1].done.load(std::memory_order_acquire) <= next) return false;
        if (!b.taken.compare_exchange_strong(next, next + 1, std::memory_order_relaxed)) return false;
        j = next;
        return true;
    }

    // Block (i, j), then tells whoever waits for it.
    void block(const KernelSet& k, const PullArrays& a, int i, int j)
    {
        const int m = a.args.m, p0 = i * rows_, p1 = std::min(m, p0 + rows_);
        if (j == firstBlock(m, i)) std::fill(carry_.begin() + p0, carry_.begin() + p1, RowCarry{});
        k.symmetricBlock(a.args, p0, p1, blockStart(m, j), blockStart(m, j + 1), a.asx, a.asy, carry_.data());
        shared_->band[i].done.store(j + 1, std::memory_order_release);
    }

    // A band's blocks, each counter on a cache line of its own, so that
    // workers at their blocks side by side do not slow each other down.
    struct alignas(64) Band {
        std::atomic<int> taken{0};  // the next column block nobody has taken
        alignas(64) std::atomic<int> done{0};  // one past the last column block done
    };
    struct Shared {
        std::atomic<int> bandsDone{0};  // bands with every block done
        std::atomic<int> nextChunk{0};  // the next chunk of other bodies
        std::atomic<int> open{0};       // no band before it has a block left
        Band band[kBands];
    };

    int rows_ = kMinRows;  // of a band, this tick
    AlignedVector<RowCarry> carry_;
    std::unique_ptr<Shared> shared_;
};

}  // namespace orb
