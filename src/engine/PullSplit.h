#pragma once
// The pull sums of one tick shared among the workers of a pool, with the very
// sums of one thread, bit for bit.
//
// The symmetric loop works out each pair's pull once and hands it on both
// ways: into the row's partial sums (the earlier attractor's) and into the
// column's sum (the later one's). A column's sum is built row after row, so
// cutting the loop into pieces for threads to share would make every piece
// wait for the one above it, and pass its sums from one processor's cache to
// the other's: two threads spent a sixth of the tick waiting so, and each
// piece took an eighth longer.
//
// So each worker owns a range of attractors, rows and columns alike, and
// works out for itself every pull its sums need:
//  - the pulls handed on to its columns from the rows before its range, in row
//    order (ColumnsOnlyFn);
//  - its own corner of the loop, as the single loop does it (SymmetricBlockFn);
//  - the pulls on its rows from the columns after its range (RowsOnlyFn).
// The pairs between two ranges are thus worked out twice, once for each side,
// at about 0.8 of the cost of a whole pair each; in return no worker waits for
// another nor reads what another writes. With two workers, the first also
// works out whole the pairs of its rows with the first columns of the second
// one's range (the strip), which then needs no pulls of its own for those
// columns but waits once, for the strip, before its corner: about a fifth
// of the pairs that would be worked out twice are thus worked out once. Every sum is built in the
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
    double *asx, *asy, *anear;  // their sums (each worker zeroes those it builds)
    const double *bx, *by;      // the other bodies
    int nb;
    double *bsx, *bsy, *bnear;  // their sums
};

// Where to cut the attractors among workers so that they finish together:
// each worker's speed, in pairs a second, is learnt from the pairs it worked
// out and the time it took. A range of s rows among m costs s^2 / 2 pairs of
// its own corner and s (m - s) pairs worked out for one side only, wherever it
// lies; the strip moves some of the second worker's to the first.
class Balance {
public:
    static constexpr int kMaxWorkers = 256;  // as many as --threads takes
    // What a pair worked out for one side costs against a whole pair.
    static constexpr double kOneSide = 0.8;

    static double cost(double s, double m) { return s * s / 2 + kOneSide * s * (m - s); }

    // The first attractor of each of `workers` ranges and the end, m: cuts[w]
    // .. cuts[w + 1] - 1 is worker w's range; and the end of the strip, from
    // cuts[1] (none) up to cuts[2]. Cuts are multiples of 8, so that no two
    // workers write into the same cache line of the sums.
    void cut(int m, int workers, std::array<int, kMaxWorkers + 1>& cuts, int& strip) const;

    // Worker w worked out `pairs` (counted as whole pairs) in `seconds`.
    void took(int w, double pairs, double seconds);

    // The parts of the work of two workers, each timed on its own, as their
    // costs per pair differ: worker 0's corner and strip, and the pulls on its
    // rows; worker 1's pulls handed on to its columns, and its corner.
    enum Part { kCornerAndStrip, kRows, kColumns, kCorner, kParts };
    void tookPart(Part part, double pairs, double seconds);

    double speed(int w) const { return speed_[static_cast<std::size_t>(w)]; }
    double partSpeed(Part part) const { return partSpeed_[part]; }
    // Sets a speed outright (for tests: the cuts may lie anywhere).
    void setSpeed(int w, double pairsPerSecond) { speed_[static_cast<std::size_t>(w)] = pairsPerSecond; }
    void setPartSpeed(Part part, double pairsPerSecond) { partSpeed_[part] = pairsPerSecond; }

private:
    // Two workers with the strip, from the speeds of the parts; false when no
    // strip pays.
    bool cutTwo(int m, std::array<int, kMaxWorkers + 1>& cuts, int& strip) const;
    // Learns a speed from one more timing.
    static void learn(double& speed, double pairs, double seconds);

    std::array<double, kMaxWorkers> speed_{};  // 0 until timed: as fast as the others
    std::array<double, kParts> partSpeed_{};   // 0 until timed: as fast as the others
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
        balance_.cut(m, workers_, cuts_, strip_);
        ++job_;
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
            const PullRowArgs& r = a.args;
            const double h = Balance::kOneSide, s = p1 - p0, m = m_;
            double pairs = s * (s - 1) / 2, waited = 0;
            if (w == 0) {
                // The corner, then the strip, which worker 1 waits for.
                std::fill(carry_.begin(), carry_.begin() + p1, RowCarry{});
                std::fill(a.asx, a.asx + strip_, 0.0);
                std::fill(a.asy, a.asy + strip_, 0.0);
                k.symmetricBlock(r, 0, p1, 0, p1, a.asx, a.asy, carry_.data());
                k.symmetricBlock(r, 0, p1, p1, strip_, a.asx, a.asy, carry_.data());
                shared_->stripDone.store(job_, std::memory_order_release);
                const auto stripped = std::chrono::steady_clock::now();
                k.rowsOnly(r, 0, p1, strip_, m_, carry_.data());
                shared_->parts[Balance::kCornerAndStrip] = {pairs + s * (strip_ - p1), seconds(start_, stripped)};
                shared_->parts[Balance::kRows] = {s * (m - strip_), seconds(stripped, std::chrono::steady_clock::now())};
                pairs += s * (strip_ - p1) + h * s * (m - strip_);
            } else if (p0 < p1) {
                // The places were just written on the thread that packed them:
                // ask for all of them at once rather than a line at a time.
                for (int q = 0; q < r.m; q += 8) {
                    __builtin_prefetch(r.x + q);
                    __builtin_prefetch(r.y + q);
                    __builtin_prefetch(r.g + q);
                }
                const int from = w == 1 ? strip_ : p0;  // the strip's columns come whole
                std::fill(a.asx + from, a.asx + p1, 0.0);
                std::fill(a.asy + from, a.asy + p1, 0.0);
                k.columnsOnly(r, 0, p0, from, p1, a.asx, a.asy);
                auto corner = std::chrono::steady_clock::now();
                if (w == 1) shared_->parts[Balance::kColumns] = {double(p0) * (p1 - from), seconds(start_, corner)};
                if (from > p0) {
                    Patience patience;
                    while (shared_->stripDone.load(std::memory_order_acquire) != job_) patience.wait();
                    waited = patience.waited() * 1e-6;
                    corner = std::chrono::steady_clock::now();
                }
                std::fill(carry_.begin() + p0, carry_.begin() + p1, RowCarry{});
                k.symmetricBlock(r, p0, p1, p0, p1, a.asx, a.asy, carry_.data());
                if (w == 1) shared_->parts[Balance::kCorner] = {pairs, seconds(corner, std::chrono::steady_clock::now())};
                k.rowsOnly(r, p0, p1, p1, m_, carry_.data());
                pairs += h * p0 * (p1 - from) + h * s * (m - p1);
            }
            if (p0 < p1) {
                k.finishRows(carry_.data(), p0, p1, r.kind, a.asx, a.asy, a.anear);
                rowsDone(p0, p1);
            }
            Took& mine = shared_->took[static_cast<std::size_t>(w)];
            mine.pairs = pairs;
            mine.seconds = seconds(start_, std::chrono::steady_clock::now()) - waited;
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
            const Took& t = shared_->took[static_cast<std::size_t>(w)];
            balance_.took(w, t.pairs, t.seconds);
        }
        if (workers_ == 2)
            for (int i = 0; i < Balance::kParts; ++i)
                balance_.tookPart(static_cast<Balance::Part>(i), shared_->parts[static_cast<std::size_t>(i)].pairs,
                                  shared_->parts[static_cast<std::size_t>(i)].seconds);
    }

    Balance& balance() { return balance_; }
    // The first attractor of worker w's range this tick (w = workers: m).
    int cut(int w) const { return cuts_[static_cast<std::size_t>(w)]; }
    // The end of the strip this tick.
    int strip() const { return strip_; }

private:
    // What each worker reports, on a cache line of its own.
    struct alignas(64) Took {
        double pairs = 0, seconds = 0;  // worked out, and how long that took
    };
    struct Shared {
        std::atomic<int> nextChunk{0};             // the next chunk of other bodies
        alignas(64) std::atomic<unsigned> stripDone{0};  // the last job whose strip is done
        std::array<Took, Balance::kMaxWorkers> took;
        std::array<Took, Balance::kParts> parts;  // of two workers
    };
    static double seconds(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to)
    {
        return std::chrono::duration<double>(to - from).count();
    }

    int workers_ = 1, m_ = 0, strip_ = 0;
    unsigned job_ = 0;  // counts the jobs
    std::chrono::steady_clock::time_point start_;
    std::array<int, Balance::kMaxWorkers + 1> cuts_{};
    Balance balance_;
    AlignedVector<RowCarry> carry_;
    std::unique_ptr<Shared> shared_;
};

}  // namespace orb
