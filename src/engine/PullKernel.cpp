// Compiled several times with different instruction sets; ORB_KERNEL_NS names
// each copy. Every copy computes the very same values, bit for bit, so that a
// run plays out alike on every processor and at every optimisation level:
//  - no fused multiply-add (plain x86-64 has none), and the one reciprocal
//    square root below, never a hardware approximation;
//  - sums in an order that does not depend on the vector width nor on how the
//    work is cut up between threads: each body's pulled sum runs in attractor
//    order; each row of the symmetric loop sums into eight partial sums, each
//    taking every eighth pair of the row, combined in a fixed order at the end
//    (combineRow), and the pulls a row hands on to later attractors are added to
//    their sums in row order.
// The loops spell their vectors out with the compiler's vector types, every
// lane computed exactly as the plain expression would be. Only builtins and
// functions of internal linkage are used, so no shared inline function is ever
// emitted with a wider instruction set.
#include <cstdint>

#include "engine/PullKernel.h"

#ifndef ORB_KERNEL_NS
#define ORB_KERNEL_NS base
#endif

namespace orb::ORB_KERNEL_NS {
namespace {

// The widest vector of doubles this instruction set has.
#if defined(__AVX512F__)
constexpr int kWidth = 8;
#elif defined(__AVX__)
constexpr int kWidth = 4;
#else
constexpr int kWidth = 2;
#endif
// Partial sums per row of the symmetric loop: the same on every instruction set.
constexpr int kLanes = kRowLanes;
constexpr int kParts = kLanes / kWidth;  // vectors holding the partial sums
// Vectors each loop works on side by side. The long chain of dependent steps
// of one vector (the square root above all) otherwise leaves the processor
// waiting; with several chains interleaved step by step it stays busy.
constexpr int kSide = 8;
constexpr int kUnroll = kSide / kParts;  // eight-pair steps per pass of a row
static_assert(kSide % kParts == 0 && kLanes <= kPullPad && kWidth <= kPullPad,
              "the arrays must reach past a whole step");

using Vd = double __attribute__((vector_size(kWidth * sizeof(double))));
using Vu = std::uint64_t __attribute__((vector_size(kWidth * sizeof(double))));
using Vi = std::int64_t __attribute__((vector_size(kWidth * sizeof(double))));
// A vector as it lies in an array of doubles: any alignment.
using VdInArray = double __attribute__((vector_size(kWidth * sizeof(double)), aligned(sizeof(double)), may_alias));

// 0, 1, 2, ... across the lanes.
inline Vi lanes()
{
    Vi r{};
    for (int i = 0; i < kWidth; ++i) r[i] = i;
    return r;
}

// A loop over the N vectors of a pack, always unrolled.
#define ORB_EACH(j) _Pragma("GCC unroll 16") for (int j = 0; j < N; ++j)

// N vectors side by side. Each operation is done on all N before the next
// starts, so that the independent chains interleave in the instruction stream.
template <class V, int N>
struct Pack {
    V v[N];
};

#define ORB_PACK_OP(op)                                           \
    template <class V, int N>                                     \
    __attribute__((always_inline)) inline auto operator op(const Pack<V, N>& a, const Pack<V, N>& b) \
    {                                                             \
        Pack<decltype(a.v[0] op b.v[0]), N> r;                    \
        ORB_EACH(j) r.v[j] = a.v[j] op b.v[j];                    \
        return r;                                                 \
    }                                                             \
    template <class V, int N>                                     \
    __attribute__((always_inline)) inline auto operator op(const Pack<V, N>& a, double b) \
    {                                                             \
        Pack<decltype(a.v[0] op b), N> r;                         \
        ORB_EACH(j) r.v[j] = a.v[j] op b;                         \
        return r;                                                 \
    }                                                             \
    template <class V, int N>                                     \
    __attribute__((always_inline)) inline auto operator op(double a, const Pack<V, N>& b) \
    {                                                             \
        Pack<decltype(a op b.v[0]), N> r;                         \
        ORB_EACH(j) r.v[j] = a op b.v[j];                         \
        return r;                                                 \
    }
ORB_PACK_OP(+)
ORB_PACK_OP(-)
ORB_PACK_OP(*)
ORB_PACK_OP(<)
ORB_PACK_OP(>)
#undef ORB_PACK_OP

// m ? a : b, lane by lane.
template <class M, class V, int N>
__attribute__((always_inline)) inline Pack<V, N> choose(const Pack<M, N>& m, const Pack<V, N>& a, const Pack<V, N>& b)
{
    Pack<V, N> r;
    ORB_EACH(j) r.v[j] = m.v[j] ? a.v[j] : b.v[j];
    return r;
}

template <int N>
__attribute__((always_inline)) inline Pack<Vd, N> load(const double* p)
{
    Pack<Vd, N> r;
    ORB_EACH(j) r.v[j] = *reinterpret_cast<const VdInArray*>(p + j * kWidth);
    return r;
}

template <int N>
__attribute__((always_inline)) inline void store(double* p, const Pack<Vd, N>& a)
{
    ORB_EACH(j) *reinterpret_cast<VdInArray*>(p + j * kWidth) = a.v[j];
}

// First guess at 1 / sqrt(v) from the bits of v, 3.5 % off at worst.
template <int N>
__attribute__((always_inline)) inline Pack<Vd, N> guess(const Pack<Vd, N>& v)
{
    constexpr std::uint64_t kMagic = 0x5FE6EB50C7B537A9ULL;
    Pack<Vd, N> r;
    ORB_EACH(j) r.v[j] = reinterpret_cast<Vd>(kMagic - (reinterpret_cast<Vu>(v.v[j]) >> 1));
    return r;
}

// 1 / sqrt(v) within a few units in the last place, for v a normal number: the
// guess, then four Newton steps, each squaring the error. Cheaper here than a
// square root and a division, which share one slow unit. Infinity gives no
// finite value, which sends the body's sum to the plain path.
template <class T>
__attribute__((always_inline)) inline T rsqrt(const T& v)
{
    // y (1.5 - v/2 y^2), written with -v/2 so that every step is a product
    // and a sum.
    T y = guess(v);
    const T h = -0.5 * v;
    y = y * (y * y * h + 1.5);
    y = y * (y * y * h + 1.5);
    y = y * (y * y * h + 1.5);
    y = y * (y * y * h + 1.5);
    return y;
}

// 1 / (r^e * r) from r2 = r * r, for the exponents met most. These need
// r2 >= 1, which a planet radius of 1 or more ensures for every pulling pair;
// r^e >= 1 then, so a pull overflows only where 10000 x gravity already has.
struct PowTwo {
    template <class T>
    __attribute__((always_inline)) static T inv(const T& r2)
    {
        const T y = rsqrt(r2);
        return y * y * y;
    }
};
struct PowOneAndHalf {
    template <class T>
    __attribute__((always_inline)) static T inv(const T& r2)
    {
        const T y = rsqrt(r2);
        const T z = rsqrt(r2 * y);  // r2^(-1/4)
        return y * y * z;
    }
};
struct PowOne {
    template <class T>
    __attribute__((always_inline)) static T inv(const T& r2)
    {
        const T y = rsqrt(r2);
        return y * y;
    }
};

// Pairs closer than the planet radius (or at the same place) pull nothing. As
// r2 is never negative, r2 > max(pR2, 0) also leaves out r2 = 0.
inline double pullBound(double pR2) { return pR2 > 0 ? pR2 : 0.0; }

// One row of the symmetric loop, attractor p against the attractors q from lo
// up to hi, its partial sums by q mod 8; with Columns, the pulls of p handed on
// to the sums of the q.
template <class P, bool Columns>
struct Row {
    const double* __restrict x;
    const double* __restrict y;
    const double* __restrict g;
    double* __restrict sx;
    double* __restrict sy;
    int lo, hi;
    double bound, xp, yp, gp;
    Vd accX[kParts], accY[kParts];
    Vd nearest;  // the smallest r2 so far: a minimum needs no fixed order

    // The whole steps left after the long passes, fewer than 2 * steps: in
    // passes of steps, steps / 2, ..., 1, so that short rows still interleave.
    template <int steps>
    __attribute__((always_inline)) void rest(int& q0)
    {
        if constexpr (steps >= 1) {
            if (q0 + kLanes * steps <= hi) {
                pass<steps, false>(q0);
                q0 += kLanes * steps;
            }
            rest<steps / 2>(q0);
        }
    }

    // Pairs q0 .. q0 + 8 * steps - 1, q0 a multiple of 8; with `ends`, those
    // before lo or from hi on are left out by choosing, never by multiplying
    // (padding at any place could make 0 x inf), and add +0 to the sums, which
    // changes none.
    template <int steps, bool ends>
    __attribute__((always_inline)) void pass(int q0)
    {
        constexpr int N = steps * kParts;
        using Pd = Pack<Vd, N>;
        const Pd dx = load<N>(x + q0) - xp;
        const Pd dy = load<N>(y + q0) - yp;
        const Pd r2 = dx * dx + dy * dy;
        const Pd zero{};
        const Pd t = choose(r2 > bound, P::inv(r2), zero);
        const Pd tq = t * load<N>(g + q0);  // the pull of q on p, over the distance
        Pd cx = tq * dx, cy = tq * dy;
        Pd oldX{}, oldY{}, ox{}, oy{};
        if constexpr (Columns) {
            const Pd tp = t * gp;  // and of p on q
            oldX = load<N>(sx + q0);
            oldY = load<N>(sy + q0);
            ox = oldX - tp * dx;
            oy = oldY - tp * dy;
        }
        if constexpr (ends) {
            Pack<Vi, N> in;
            ORB_EACH(j) {
                const Vi q = lanes() + (q0 + j * kWidth);
                in.v[j] = (q >= lo) & (q < hi);
            }
            cx = choose(in, cx, zero);
            cy = choose(in, cy, zero);
            if constexpr (Columns) {
                ox = choose(in, ox, oldX);
                oy = choose(in, oy, oldY);
            }
            ORB_EACH(j) {
                const Vd r = in.v[j] ? r2.v[j] : nearest;
                nearest = r < nearest ? r : nearest;
            }
        } else {
            ORB_EACH(j) nearest = r2.v[j] < nearest ? r2.v[j] : nearest;
        }
        if constexpr (Columns) {
            store<N>(sx + q0, ox);
            store<N>(sy + q0, oy);
        }
        // Into the partial sums in pair order.
        ORB_EACH(j) {
            accX[j % kParts] += cx.v[j];
            accY[j % kParts] += cy.v[j];
        }
    }
};

// Row p against the attractors from max(p + 1, q0) up to min(m, q1), q0 a
// multiple of 8, carrying on the row's sums in c. Partial sum l of the row
// takes the pairs q = 8k + l in turn, in passes that start at multiples of 8,
// so the sums do not depend on how many steps one pass takes nor on where the
// row is cut into blocks.
template <class P, bool Columns = true>
__attribute__((always_inline)) inline void rowT(const PullRowArgs& a, int p, int q0, int q1, double* __restrict sx,
                                                double* __restrict sy, RowCarry& c)
{
    const int lo = p + 1 > q0 ? p + 1 : q0, hi = q1 < a.m ? q1 : a.m;
    if (lo >= hi) return;
    Row<P, Columns> row{a.x, a.y, a.g, sx, sy, lo, hi, pullBound(a.pR2), a.x[p], a.y[p], a.g[p], {}, {},
               *reinterpret_cast<const VdInArray*>(c.near)};
    for (int u = 0; u < kParts; ++u) {
        row.accX[u] = *reinterpret_cast<const VdInArray*>(c.x + u * kWidth);
        row.accY[u] = *reinterpret_cast<const VdInArray*>(c.y + u * kWidth);
    }
    int q = lo & -kLanes;
    if (q < lo) {
        row.template pass<1, true>(q);
        q += kLanes;
    }
    for (; q + kLanes * kUnroll <= hi; q += kLanes * kUnroll) row.template pass<kUnroll, false>(q);
    row.template rest<kUnroll / 2>(q);
    if (q < hi) row.template pass<1, true>(q);

    for (int u = 0; u < kParts; ++u) {
        *reinterpret_cast<VdInArray*>(c.x + u * kWidth) = row.accX[u];
        *reinterpret_cast<VdInArray*>(c.y + u * kWidth) = row.accY[u];
    }
    *reinterpret_cast<VdInArray*>(c.near) = row.nearest;
}

template <class P>
void symmetricBlockT(const PullRowArgs& a, int p0, int p1, int q0, int q1, double* __restrict sx,
                     double* __restrict sy, RowCarry* carry)
{
    for (int p = p0; p < p1; ++p) rowT<P>(a, p, q0, q1, sx, sy, carry[p]);
}

template <class P>
void rowsOnlyT(const PullRowArgs& a, int p0, int p1, int q0, int q1, RowCarry* carry)
{
    for (int p = p0; p < p1; ++p) rowT<P, false>(a, p, q0, q1, nullptr, nullptr, carry[p]);
}

// The pulls of rows p0 .. p1 - 1 on N vectors of columns from q, kept in
// registers while the rows go by in order: each column's sum takes them as the
// rows of the symmetric loop hand them on, the same operations in the same
// order.
template <class P, int N>
__attribute__((always_inline)) inline void columnsFrom(const PullRowArgs& a, double bound, int p0, int p1, int q,
                                                       double* sx, double* sy)
{
    using Pd = Pack<Vd, N>;
    const Pd xq = load<N>(a.x + q), yq = load<N>(a.y + q);
    const Pd zero{};
    Pd ox = load<N>(sx + q), oy = load<N>(sy + q);
    for (int p = p0; p < p1; ++p) {
        const Pd dx = xq - a.x[p];
        const Pd dy = yq - a.y[p];
        const Pd r2 = dx * dx + dy * dy;
        const Pd t = choose(r2 > bound, P::inv(r2), zero);
        const Pd tp = t * a.g[p];
        ox = ox - tp * dx;
        oy = oy - tp * dy;
    }
    store<N>(sx + q, ox);
    store<N>(sy + q, oy);
}

template <class P>
void columnsOnlyT(const PullRowArgs& a, int p0, int p1, int q0, int q1, double* sx, double* sy)
{
    const double bound = pullBound(a.pR2);
    int q = q0;
    for (; q + kSide * kWidth <= q1; q += kSide * kWidth) columnsFrom<P, kSide>(a, bound, p0, p1, q, sx, sy);
    // What is left in fewer passes, still several vectors side by side; the
    // last may reach into the padding.
    if (q + 4 * kWidth <= q1) {
        columnsFrom<P, 4>(a, bound, p0, p1, q, sx, sy);
        q += 4 * kWidth;
    }
    if (q + 2 * kWidth <= q1) {
        columnsFrom<P, 2>(a, bound, p0, p1, q, sx, sy);
        q += 2 * kWidth;
    }
    for (; q < q1; q += kWidth) columnsFrom<P, 1>(a, bound, p0, p1, q, sx, sy);
}

// Every row whole, its sums combined as soon as it is done.
template <class P>
void symmetricT(const PullRowArgs& a, double* __restrict sx, double* __restrict sy, double* __restrict near)
{
    for (int p = 0; p < a.m; ++p) {
        RowCarry c{};
        rowT<P>(a, p, 0, a.m, sx, sy, c);
        combineRow(c, p, a.kind, sx[p], sy[p], near[p]);
    }
}

// The pull of every attractor on N vectors of bodies, kept in registers while
// the attractors go by in order; each body's sum thus runs in attractor order,
// lane by lane, whatever the width.
template <class P, int N>
__attribute__((always_inline)) inline void pulledBodies(const PullRowArgs& a, double bound, const double* xs,
                                                        const double* ys, double* sx, double* sy, double* near)
{
    using Pd = Pack<Vd, N>;
    const Pd bx = load<N>(xs), by = load<N>(ys);
    const Pd zero{};
    Pd accX{}, accY{}, nearest = zero + __builtin_inf();
    for (int q = 0; q < a.m; ++q) {
        const Pd dx = a.x[q] - bx;
        const Pd dy = a.y[q] - by;
        const Pd r2 = dx * dx + dy * dy;
        nearest = choose(r2 < nearest, r2, nearest);
        const Pd tq = choose(r2 > bound, P::inv(r2), zero) * a.g[q];
        accX = accX + tq * dx;
        accY = accY + tq * dy;
    }
    store<N>(sx, accX);
    store<N>(sy, accY);
    store<N>(near, nearest);
}

// Bodies kSide vectors at a time, then one vector at a time; the last vector
// may reach past n into the padding, whose lanes nobody reads.
template <class P>
void pulledT(const PullRowArgs& a, const double* xs, const double* ys, int n, double* sx, double* sy, double* near)
{
    const double bound = pullBound(a.pR2);
    int k = 0;
    for (; k + kSide * kWidth <= n; k += kSide * kWidth)
        pulledBodies<P, kSide>(a, bound, xs + k, ys + k, sx + k, sy + k, near + k);
    for (; k < n; k += kWidth) pulledBodies<P, 1>(a, bound, xs + k, ys + k, sx + k, sy + k, near + k);
}

// Any other exponent: r^e by pow, one pair at a time, in the plain pass's own
// form a = g / r^e, pull = a * dx / r, so that a pull fails to be finite in the
// same cases (then a's overflow, or an underflow of r^e, shows in the sum).
// Plain sums in pair order, which the compiler may not reorder: one partial
// sum per row, c.x[0] and c.y[0].
template <bool Columns = true>
void generalRow(const PullRowArgs& a, int p, int q0, int q1, double* sx, double* sy, RowCarry& c)
{
    const double bound = pullBound(a.pR2);
    const int lo = p + 1 > q0 ? p + 1 : q0, hi = q1 < a.m ? q1 : a.m;
    double accX = c.x[0], accY = c.y[0], nearest = c.near[0];
    for (int q = lo; q < hi; ++q) {
        const double dx = a.x[q] - a.x[p];
        const double dy = a.y[q] - a.y[p];
        const double r2 = dx * dx + dy * dy;
        nearest = r2 < nearest ? r2 : nearest;
        if (!(r2 > bound)) continue;
        const double r = __builtin_sqrt(r2);
        const double rE = __builtin_pow(r, a.e);
        const double ux = dx / r, uy = dy / r;
        const double onP = a.g[q] / rE, onQ = a.g[p] / rE;
        accX += onP * ux;
        accY += onP * uy;
        if constexpr (Columns) {
            sx[q] -= onQ * ux;
            sy[q] -= onQ * uy;
        }
    }
    c.x[0] = accX;
    c.y[0] = accY;
    c.near[0] = nearest;
}

void symmetricGeneral(const PullRowArgs& a, double* sx, double* sy, double* near)
{
    for (int p = 0; p < a.m; ++p) {
        RowCarry c{};
        generalRow(a, p, 0, a.m, sx, sy, c);
        combineRow(c, p, a.kind, sx[p], sy[p], near[p]);
    }
}

void symmetricGeneralBlock(const PullRowArgs& a, int p0, int p1, int q0, int q1, double* sx, double* sy,
                           RowCarry* carry)
{
    for (int p = p0; p < p1; ++p) generalRow(a, p, q0, q1, sx, sy, carry[p]);
}

void generalRowsOnly(const PullRowArgs& a, int p0, int p1, int q0, int q1, RowCarry* carry)
{
    for (int p = p0; p < p1; ++p) generalRow<false>(a, p, q0, q1, nullptr, nullptr, carry[p]);
}

// Each column's sum takes the rows' pulls in row order, as generalRow hands
// them on.
void generalColumnsOnly(const PullRowArgs& a, int p0, int p1, int q0, int q1, double* sx, double* sy)
{
    const double bound = pullBound(a.pR2);
    for (int q = q0; q < q1 && q < a.m; ++q) {
        double ox = sx[q], oy = sy[q];
        for (int p = p0; p < p1; ++p) {
            const double dx = a.x[q] - a.x[p];
            const double dy = a.y[q] - a.y[p];
            const double r2 = dx * dx + dy * dy;
            if (!(r2 > bound)) continue;
            const double r = __builtin_sqrt(r2);
            const double rE = __builtin_pow(r, a.e);
            const double onQ = a.g[p] / rE;
            ox -= onQ * (dx / r);
            oy -= onQ * (dy / r);
        }
        sx[q] = ox;
        sy[q] = oy;
    }
}

void pulledGeneral(const PullRowArgs& a, const double* xs, const double* ys, int n, double* sx, double* sy,
                   double* near)
{
    const double bound = pullBound(a.pR2);
    for (int k = 0; k < n; ++k) {
        double accX = 0, accY = 0, nearest = __builtin_inf();
        for (int q = 0; q < a.m; ++q) {
            const double dx = a.x[q] - xs[k];
            const double dy = a.y[q] - ys[k];
            const double r2 = dx * dx + dy * dy;
            nearest = r2 < nearest ? r2 : nearest;
            if (!(r2 > bound)) continue;
            const double r = __builtin_sqrt(r2);
            const double onK = a.g[q] / __builtin_pow(r, a.e);
            accX += onK * (dx / r);
            accY += onK * (dy / r);
        }
        sx[k] = accX;
        sy[k] = accY;
        near[k] = nearest;
    }
}

void symmetric(const PullRowArgs& a, double* sx, double* sy, double* near)
{
    switch (a.kind) {
    case PowKind::Two: symmetricT<PowTwo>(a, sx, sy, near); break;
    case PowKind::OneAndHalf: symmetricT<PowOneAndHalf>(a, sx, sy, near); break;
    case PowKind::One: symmetricT<PowOne>(a, sx, sy, near); break;
    case PowKind::General: symmetricGeneral(a, sx, sy, near); break;
    }
}

void symmetricBlock(const PullRowArgs& a, int p0, int p1, int q0, int q1, double* sx, double* sy, RowCarry* carry)
{
    switch (a.kind) {
    case PowKind::Two: symmetricBlockT<PowTwo>(a, p0, p1, q0, q1, sx, sy, carry); break;
    case PowKind::OneAndHalf: symmetricBlockT<PowOneAndHalf>(a, p0, p1, q0, q1, sx, sy, carry); break;
    case PowKind::One: symmetricBlockT<PowOne>(a, p0, p1, q0, q1, sx, sy, carry); break;
    case PowKind::General: symmetricGeneralBlock(a, p0, p1, q0, q1, sx, sy, carry); break;
    }
}

void finishRows(const RowCarry* carry, int p0, int p1, PowKind kind, double* sx, double* sy, double* near)
{
    for (int p = p0; p < p1; ++p) combineRow(carry[p], p, kind, sx[p], sy[p], near[p]);
}

void rowsOnly(const PullRowArgs& a, int p0, int p1, int q0, int q1, RowCarry* carry)
{
    switch (a.kind) {
    case PowKind::Two: rowsOnlyT<PowTwo>(a, p0, p1, q0, q1, carry); break;
    case PowKind::OneAndHalf: rowsOnlyT<PowOneAndHalf>(a, p0, p1, q0, q1, carry); break;
    case PowKind::One: rowsOnlyT<PowOne>(a, p0, p1, q0, q1, carry); break;
    case PowKind::General: generalRowsOnly(a, p0, p1, q0, q1, carry); break;
    }
}

void columnsOnly(const PullRowArgs& a, int p0, int p1, int q0, int q1, double* sx, double* sy)
{
    if (q0 >= q1) return;
    switch (a.kind) {
    case PowKind::Two: columnsOnlyT<PowTwo>(a, p0, p1, q0, q1, sx, sy); break;
    case PowKind::OneAndHalf: columnsOnlyT<PowOneAndHalf>(a, p0, p1, q0, q1, sx, sy); break;
    case PowKind::One: columnsOnlyT<PowOne>(a, p0, p1, q0, q1, sx, sy); break;
    case PowKind::General: generalColumnsOnly(a, p0, p1, q0, q1, sx, sy); break;
    }
}

void pulled(const PullRowArgs& a, const double* xs, const double* ys, int n, double* sx, double* sy, double* near)
{
    switch (a.kind) {
    case PowKind::Two: pulledT<PowTwo>(a, xs, ys, n, sx, sy, near); break;
    case PowKind::OneAndHalf: pulledT<PowOneAndHalf>(a, xs, ys, n, sx, sy, near); break;
    case PowKind::One: pulledT<PowOne>(a, xs, ys, n, sx, sy, near); break;
    case PowKind::General: pulledGeneral(a, xs, ys, n, sx, sy, near); break;
    }
}

}  // namespace

extern const KernelSet kernels;
const KernelSet kernels{&symmetric, &symmetricBlock, &rowsOnly, &columnsOnly, &finishRows, &pulled, ORB_KERNEL_NAME};

}  // namespace orb::ORB_KERNEL_NS
