// Compiled several times with different instruction sets; ORB_KERNEL_NS names
// each copy. Written so the compiler vectorises the loops: no branches inside,
// lane-wise sums allowed through the simd reductions. Only builtins and
// functions of internal linkage are used, so no shared inline function is ever
// emitted with a wider instruction set.
#include <cstdint>

#include "engine/PullKernel.h"

// Lets the compiler compute both sides of a choice in every lane (it never
// speculates operations that might raise floating-point exceptions otherwise,
// and then leaves the loops unvectorised). No result changes: nothing here
// reads the exception flags.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("no-trapping-math")
#endif

#ifndef ORB_KERNEL_NS
#define ORB_KERNEL_NS base
#endif

namespace orb::ORB_KERNEL_NS {
namespace {

// a * b + c, fused where the processor has it (one rounding instead of two).
inline double mulAdd(double a, double b, double c)
{
#ifdef __FMA__
    return __builtin_fma(a, b, c);
#else
    return a * b + c;
#endif
}

// 1 / sqrt(v) within a few units in the last place, for v a normal number: a
// first guess from the bits of v (3.5 % off at worst), then four Newton steps,
// each squaring the error. Cheaper here than a square root and a division,
// which share one slow unit, and with a shorter chain of dependent steps.
// Infinity gives no finite value, which sends the body's sum to the plain path.
inline double rsqrt(double v)
{
    auto bits = __builtin_bit_cast(std::uint64_t, v);
    bits = 0x5FE6EB50C7B537A9ULL - (bits >> 1);
    double y = __builtin_bit_cast(double, bits);
    const double h = 0.5 * v;
    y = y * mulAdd(-h, y * y, 1.5);
    y = y * mulAdd(-h, y * y, 1.5);
    y = y * mulAdd(-h, y * y, 1.5);
    y = y * mulAdd(-h, y * y, 1.5);
    return y;
}

// 1 / (r^e * r) from r2 = r * r, for the exponents met most. These need
// r2 >= 1, which a planet radius of 1 or more ensures for every pulling pair;
// r^e >= 1 then, so a pull overflows only where 10000 x gravity already has.
struct PowTwo {
    static double inv(double r2, double)
    {
        const double y = rsqrt(r2);
        return y * y * y;
    }
};
struct PowOneAndHalf {
    static double inv(double r2, double)
    {
        const double y = rsqrt(r2);
        const double z = rsqrt(r2 * y);  // r2^(-1/4)
        return y * y * z;
    }
};
struct PowOne {
    static double inv(double r2, double)
    {
        const double y = rsqrt(r2);
        return y * y;
    }
};

// Pairs closer than the planet radius (or at the same place) pull nothing. As
// r2 is never negative, r2 > max(pR2, 0) also leaves out r2 = 0.
inline double pullBound(double pR2) { return pR2 > 0 ? pR2 : 0.0; }

// 1 / (r^e * r) for a pulling pair, else 0.
template <class P>
inline double pullFactor(double r2, double bound, double e)
{
    return r2 > bound ? P::inv(r2, e) : 0.0;
}

template <class P>
void symmetricT(const PullRowArgs& a, double* __restrict sx, double* __restrict sy, double* __restrict near)
{
    const double* __restrict x = a.x;
    const double* __restrict y = a.y;
    const double* __restrict g = a.g;
    const double bound = pullBound(a.pR2), e = a.e;
    for (int p = 0; p < a.m; ++p) {
        const double xp = x[p], yp = y[p], gp = -g[p];
        double accX = 0, accY = 0, nearest = __builtin_inf();
#pragma omp simd reduction(+ : accX, accY) reduction(min : nearest)
        for (int q = p + 1; q < a.m; ++q) {
            const double dx = x[q] - xp;
            const double dy = y[q] - yp;
            const double r2 = dx * dx + dy * dy;
            nearest = r2 < nearest ? r2 : nearest;
            const double t = pullFactor<P>(r2, bound, e);
            const double fx = t * dx, fy = t * dy;
            accX = mulAdd(g[q], fx, accX);
            accY = mulAdd(g[q], fy, accY);
            sx[q] = mulAdd(gp, fx, sx[q]);
            sy[q] = mulAdd(gp, fy, sy[q]);
        }
        sx[p] += accX;
        sy[p] += accY;
        near[p] = nearest;
    }
}

// Vectorised across the bodies, one attractor at a time, in blocks that stay in
// the first-level cache; each body's sum thus runs in attractor order.
template <class P>
void pulledT(const PullRowArgs& a, const double* __restrict xs, const double* __restrict ys, int n,
             double* __restrict sx, double* __restrict sy, double* __restrict near)
{
    const double* __restrict x = a.x;
    const double* __restrict y = a.y;
    const double* __restrict g = a.g;
    const double bound = pullBound(a.pR2), e = a.e;
    constexpr int kBlock = 256;
    for (int k0 = 0; k0 < n; k0 += kBlock) {
        const int k1 = n - k0 < kBlock ? n : k0 + kBlock;
        for (int k = k0; k < k1; ++k) {
            sx[k] = 0;
            sy[k] = 0;
            near[k] = __builtin_inf();
        }
        for (int q = 0; q < a.m; ++q) {
            const double xq = x[q], yq = y[q], gq = g[q];
#pragma omp simd
            for (int k = k0; k < k1; ++k) {
                const double dx = xq - xs[k];
                const double dy = yq - ys[k];
                const double r2 = dx * dx + dy * dy;
                const double nk = near[k];
                near[k] = r2 < nk ? r2 : nk;
                const double t = pullFactor<P>(r2, bound, e);
                sx[k] = mulAdd(gq, t * dx, sx[k]);
                sy[k] = mulAdd(gq, t * dy, sy[k]);
            }
        }
    }
}

// Any other exponent: r^e by pow, one pair at a time, in the plain pass's own
// form a = g / r^e, pull = a * dx / r, so that a pull fails to be finite in the
// same cases (then a's overflow, or an underflow of r^e, shows in the sum).
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
