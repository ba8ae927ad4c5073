// Compiled several times with different instruction sets; ORB_KERNEL_NS names
// each copy. Every copy computes the very same values, bit for bit, so that a
// run plays out alike on every processor and at every optimisation level:
//  - no fused multiply-add (plain x86-64 has none), and the one reciprocal
//    square root below, never a hardware approximation;
//  - sums in an order that does not depend on the vector width: each body's
//    pulled sum runs in attractor order; each row of the symmetric loop sums
//    into eight partial sums, each taking every eighth pair of the row,
//    combined in a fixed order at the end.
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
constexpr int kLanes = 8;
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
    inline auto operator op(const Pack<V, N>& a, const Pack<V, N>& b) \
    {                                                             \
        Pack<decltype(a.v[0] op b.v[0]), N> r;                    \
        ORB_EACH(j) r.v[j] = a.v[j] op b.v[j];                    \
        return r;                                                 \
    }                                                             \
    template <class V, int N>                                     \
    inline auto operator op(const Pack<V, N>& a, double b)        \
    {                                                             \
        Pack<decltype(a.v[0] op b), N> r;                         \
        ORB_EACH(j) r.v[j] = a.v[j] op b;                         \
        return r;                                                 \
    }                                                             \
    template <class V, int N>                                     \
    inline auto operator op(double a, const Pack<V, N>& b)        \
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
inline Pack<V, N> choose(const Pack<M, N>& m, const Pack<V, N>& a, const Pack<V, N>& b)
{
    Pack<V, N> r;
    ORB_EACH(j) r.v[j] = m.v[j] ? a.v[j] : b.v[j];
    return r;
}

template <int N>
inline Pack<Vd, N> load(const double* p)
{
    Pack<Vd, N> r;
    ORB_EACH(j) r.v[j] = *reinterpret_cast<const VdInArray*>(p + j * kWidth);
    return r;
}

template <int N>
inline void store(double* p, const Pack<Vd, N>& a)
{
    ORB_EACH(j) *reinterpret_cast<VdInArray*>(p + j * kWidth) = a.v[j];
}

// First guess at 1 / sqrt(v) from the bits of v, 3.5 % off at worst.
template <int N>
inline Pack<Vd, N> guess(const Pack<Vd, N>& v)
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
inline T rsqrt(const T& v)
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
    static T inv(const T& r2)
    {
        const T y = rsqrt(r2);
        return y * y * y;
    }
};
struct PowOneAndHalf {
    template <class T>
    static T inv(const T& r2)
    {
        const T y = rsqrt(r2);
        const T z = rsqrt(r2 * y);  // r2^(-1/4)
        return y * y * z;
    }
};
struct PowOne {
    template <class T>
    static T inv(const T& r2)
    {
        const T y = rsqrt(r2);
        return y * y;
    }
};

// Pairs closer than the planet radius (or at the same place) pull nothing. As
// r2 is never negative, r2 > max(pR2, 0) also leaves out r2 = 0.
inline double pullBound(double pR2) { return pR2 > 0 ? pR2 : 0.0; }

// One row of the symmetric loop: attractor p against every q > p.
template <class P>
struct Row {
    const double* __restrict x;
    const double* __restrict y;
    const double* __restrict g;
    double* __restrict sx;
    double* __restrict sy;
    int m;
    double bound, xp, yp, gp;
    Vd accX[kParts], accY[kParts];
    Vd nearest;  // the smallest r2 so far: a minimum needs no fixed order

    // The whole steps left after the long passes, fewer than 2 * steps: in
    // passes of steps, steps / 2, ..., 1, so that short rows still interleave.
    template <int steps>
    __attribute__((always_inline)) void rest(int& q0)
    {
        if constexpr (steps >= 1) {
            if (q0 + kLanes * steps <= m) {
                pass<steps, false>(q0);
                q0 += kLanes * steps;
            }
            rest<steps / 2>(q0);
        }
    }

    // Pairs q0 .. q0 + 8 * steps - 1; with `tail`, those from m on are
    // padding, left out by choosing, never by multiplying (padding at any place
    // could make 0 x inf), and add +0 to the sums, which changes none.
    template <int steps, bool tail>
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
        const Pd tp = t * gp;               // and of p on q
        Pd cx = tq * dx, cy = tq * dy;
        const Pd oldX = load<N>(sx + q0), oldY = load<N>(sy + q0);
        Pd ox = oldX - tp * dx, oy = oldY - tp * dy;
        if constexpr (tail) {
            Pack<Vi, N> in;
            ORB_EACH(j) in.v[j] = lanes() + (q0 + j * kWidth) < m;
            cx = choose(in, cx, zero);
            cy = choose(in, cy, zero);
            ox = choose(in, ox, oldX);
            oy = choose(in, oy, oldY);
            ORB_EACH(j) {
                const Vd r = in.v[j] ? r2.v[j] : nearest;
                nearest = r < nearest ? r : nearest;
            }
        } else {
            ORB_EACH(j) nearest = r2.v[j] < nearest ? r2.v[j] : nearest;
        }
        store<N>(sx + q0, ox);
        store<N>(sy + q0, oy);
        // Into the partial sums in pair order.
        ORB_EACH(j) {
            accX[j % kParts] += cx.v[j];
            accY[j % kParts] += cy.v[j];
        }
    }
};

// Row p pairs attractor p with every q > p, eight at a time from q = p + 1;
// partial sum l of the row takes the pairs q = p + 1 + l + 8k in turn, so the
// sums do not depend on how many steps one pass takes.
template <class P>
void symmetricT(const PullRowArgs& a, double* __restrict sx, double* __restrict sy, double* __restrict near)
{
    for (int p = 0; p < a.m; ++p) {
        Row<P> row{a.x, a.y, a.g, sx, sy, a.m, pullBound(a.pR2), a.x[p], a.y[p], a.g[p], {}, {},
                   Vd{} + __builtin_inf()};
        int q0 = p + 1;
        for (; q0 + kLanes * kUnroll <= a.m; q0 += kLanes * kUnroll) row.template pass<kUnroll, false>(q0);
        row.template rest<kUnroll / 2>(q0);
        if (q0 < a.m) row.template pass<1, true>(q0);

        // The partial sums in lane order, combined pairwise.
        double lx[kLanes], ly[kLanes];
        for (int u = 0; u < kParts; ++u) {
            for (int i = 0; i < kWidth; ++i) {
                lx[u * kWidth + i] = row.accX[u][i];
                ly[u * kWidth + i] = row.accY[u][i];
            }
        }
        sx[p] += ((lx[0] + lx[1]) + (lx[2] + lx[3])) + ((lx[4] + lx[5]) + (lx[6] + lx[7]));
        sy[p] += ((ly[0] + ly[1]) + (ly[2] + ly[3])) + ((ly[4] + ly[5]) + (ly[6] + ly[7]));
        double n = row.nearest[0];
        for (int i = 1; i < kWidth; ++i) n = row.nearest[i] < n ? row.nearest[i] : n;
        near[p] = n;
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
// Plain sums in pair order, which the compiler may not reorder.
void symmetricGeneral(const PullRowArgs& a, double* sx, double* sy, double* near)
{
    const double bound = pullBound(a.pR2);
    for (int p = 0; p < a.m; ++p) {
        double accX = 0, accY = 0, nearest = __builtin_inf();
        for (int q = p + 1; q < a.m; ++q) {
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
            sx[q] -= onQ * ux;
            sy[q] -= onQ * uy;
        }
        sx[p] += accX;
        sy[p] += accY;
        near[p] = nearest;
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
const KernelSet kernels{&symmetric, &pulled, ORB_KERNEL_NAME};

}  // namespace orb::ORB_KERNEL_NS
