#pragma once
// Inner loops of the pull pass, compiled once per instruction set and chosen at
// run time. The arrays hold attractors packed in descending body order.
//
// The loops add every pull without testing it: a pull that is not finite makes
// its body's whole sum not finite, and the caller then sums that body again
// pair by pair (exactPull), leaving such pulls out.
//
// Every kernel set gives the same sums, bit for bit, for the same arrays, at
// every optimisation level: a scene plays out alike on every processor.

#include <limits>
#include <span>
#include <string_view>

namespace orb {

enum class PowKind { Two, OneAndHalf, One, General };

// Every array handed to the loops reaches this many entries past its last
// one (the m-th attractor, the n-th body), so that they run in whole vectors:
// they read the padding, whatever it holds, and may write anything into the
// padding of the output arrays; no value read there reaches a sum.
inline constexpr int kPullPad = 8;

struct PullRowArgs {
    const double* x;
    const double* y;
    const double* g;  // 10000 f x gravity: the pull is g * dx / (r^e * r)
    int m;            // number of attractors
    double pR2;       // pull when r2 > pR2, i.e. r > planet radius (radiusSquaredBound)
    PowKind kind;     // Two, OneAndHalf and One only for a planet radius of 1 or more
    double e;         // the exponent, for PowKind::General
};

// Pulls between every pair of attractors, each pair computed once. Adds the pull
// on attractor p to sx[p], sy[p]; near[p] = the smallest r2 from p to any q > p,
// so that a row with near[p] <= pR2 holds some pair inside the planet radius.
using SymmetricFn = void (*)(const PullRowArgs&, double* sx, double* sy, double* near);

// Partial sums of a row of the symmetric loop.
inline constexpr int kRowLanes = 8;

// What row p of the symmetric loop has summed so far, carried from one block of
// its pairs to the next: its partial sums by q mod 8 (one, x[0] and y[0], for
// PowKind::General) and the smallest r2 in any of its lanes. Starts as
// RowCarry{}.
struct RowCarry {
    static constexpr double kInf = std::numeric_limits<double>::infinity();
    double x[kRowLanes] = {};
    double y[kRowLanes] = {};
    double near[kRowLanes] = {kInf, kInf, kInf, kInf, kInf, kInf, kInf, kInf};
};

// The symmetric loop cut into blocks: rows p0 <= p < p1 against the attractors
// q with max(p + 1, q0) <= q < min(m, q1), q0 a multiple of 8. Subtracts the
// pull of p from sx[q], sy[q] and carries the pulls on p in carry[p]. Blocks
// of the same rows taken in column order, blocks of the same columns in row
// order, then finishRow for every row, give the sums of SymmetricFn bit for bit.
using SymmetricBlockFn = void (*)(const PullRowArgs&, int p0, int p1, int q0, int q1, double* sx, double* sy,
                                  RowCarry* carry);

// Half of a block of the symmetric loop, for when the rows and the columns are
// summed by different threads, each working out the pairs' pulls for itself:
// RowsOnlyFn carries the pulls on rows p0 <= p < p1 from the attractors q
// with max(p + 1, q0) <= q < min(m, q1) in carry[p], as SymmetricBlockFn does,
// handing nothing on; ColumnsOnlyFn subtracts the pulls of rows p0 <= p < p1
// from sx[q], sy[q] for q0 <= q < q1, row after row, as SymmetricBlockFn hands
// them on. ColumnsOnlyFn needs every row before every column (p1 <= q0) and
// q0 a multiple of 8; it may write into the padding past m.
using RowsOnlyFn = void (*)(const PullRowArgs&, int p0, int p1, int q0, int q1, RowCarry* carry);
using ColumnsOnlyFn = void (*)(const PullRowArgs&, int p0, int p1, int q0, int q1, double* sx, double* sy);

// Adds row p's carried sums to sx, sy, combined in a fixed order, and sets near.
void finishRow(const RowCarry& c, int p, PowKind kind, double& sx, double& sy, double& near);
// finishRow for rows p0 .. p1 - 1.
using FinishRowsFn = void (*)(const RowCarry* carry, int p0, int p1, PowKind kind, double* sx, double* sy,
                              double* near);

// What finishRow does, compiled into each file that calls it with that file's
// own instructions (internal linkage: no copy built for a wider instruction
// set can stand in for another).
static inline void combineRow(const RowCarry& c, int p, PowKind kind, double& sx, double& sy, double& near)
{
    near = c.near[0];
    for (int l = 1; l < kRowLanes; ++l) near = c.near[l] < near ? c.near[l] : near;
    if (kind == PowKind::General) {
        sx += c.x[0];
        sy += c.y[0];
        return;
    }
    // Partial sum l of the row takes the pairs q = p + 1 + l + 8k.
    static_assert(kRowLanes == 8);
    double lx[kRowLanes], ly[kRowLanes];
    for (unsigned l = 0; l < kRowLanes; ++l) {
        lx[l] = c.x[(static_cast<unsigned>(p) + 1 + l) & 7];
        ly[l] = c.y[(static_cast<unsigned>(p) + 1 + l) & 7];
    }
    sx += ((lx[0] + lx[1]) + (lx[2] + lx[3])) + ((lx[4] + lx[5]) + (lx[6] + lx[7]));
    sy += ((ly[0] + ly[1]) + (ly[2] + ly[3])) + ((ly[4] + ly[5]) + (ly[6] + ly[7]));
}

// Pull of every attractor on each of n bodies at (xs[k], ys[k]) that are not
// attractors. Sets sx[k], sy[k] to the sums, taken in attractor order, and
// near[k] to the smallest r2 from body k to an attractor.
using PulledFn = void (*)(const PullRowArgs&, const double* xs, const double* ys, int n, double* sx, double* sy,
                          double* near);

// The pull loops compiled for one instruction set.
struct KernelSet {
    SymmetricFn symmetric;
    SymmetricBlockFn symmetricBlock;
    RowsOnlyFn rowsOnly;
    ColumnsOnlyFn columnsOnly;
    FinishRowsFn finishRows;
    PulledFn pulled;
    const char* name;
};

// Every set this processor runs, plainest first.
std::span<const KernelSet* const> runnableKernelSets();
// The fastest set this processor runs.
const KernelSet& bestKernelSet();
// The runnable set of that name, or nullptr.
const KernelSet* findKernelSet(std::string_view name);

PowKind powKindOf(double e);
// The largest r2 whose square root is at most `radius` (-1 for a negative
// radius), so that sqrt(r2) > radius exactly when r2 > radiusSquaredBound(radius).
double radiusSquaredBound(double radius);

// The pull of an attractor at (xq, yq) of strength kq (10000 f x its gravity,
// as PullRowArgs::g holds it) on a body at (xi, yi), computed plainly; false when the pair adds nothing (inside the planet radius,
// at the same place, or a pull that is not finite).
bool exactPull(double xi, double yi, double xq, double yq, double kq, double pR, PowKind kind, double e,
               double& px, double& py);

}  // namespace orb
