// Compiled several times with different instruction sets; ORB_KERNEL_NS names
// each copy. Written so the compiler vectorises the loops: no branches inside,
// lane-wise sums allowed through the simd reductions. Only builtins and
// functions of internal linkage are used, so no shared inline function is ever
// emitted with a wider instruction set.
#include <cstdint>

#include "engine/PullKernel.h"

#ifndef ORB_KERNEL_NS
#define ORB_KERNEL_NS base
#endif

namespace orb::ORB_KERNEL_NS {
namespace {

// 1 / sqrt(v) within a few units in the last place, for v a normal number: a
// first guess from the bits of v (3.5 % off at worst), then four Newton steps,
// each squaring the error. Much cheaper than a square root and a division.
inline double rsqrt(double v)
{
    auto bits = __builtin_bit_cast(std::uint64_t, v);
    bits = 0x5FE6EB50C7B537A9ULL - (bits >> 1);
    double y = __builtin_bit_cast(double, bits);
    const double h = 0.5 * v;
    y = y * (1.5 - h * y * y);
    y = y * (1.5 - h * y * y);
    y = y * (1.5 - h * y * y);
    y = y * (1.5 - h * y * y);
    return y;
}

// 1 / (r^e * r) from r2 = r * r: the pull is 10000 * g * dx times this. The
// fast forms need r2 of at least 1, which a planet radius of 1 or more ensures
// for every pulling pair.
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
struct PowGeneral {
    static double inv(double r2, double e)
    {
        const double r = __builtin_sqrt(r2);
        return 1.0 / (__builtin_pow(r, e) * r);
    }
};

template <class P>
void symmetricT(const PullRowArgs& a, double* __restrict sx, double* __restrict sy,
                unsigned char* __restrict zone)
{
    const double* __restrict x = a.x;
    const double* __restrict y = a.y;
    const double* __restrict g = a.g;
    const double pR2 = a.pR2, cR2 = a.cR2, e = a.e;
    for (int p = 0; p < a.m; ++p) {
        const double xp = x[p], yp = y[p], gp = g[p];
        double accX = 0, accY = 0;
        int z = 0;
#pragma omp simd reduction(+ : accX, accY) reduction(| : z)
        for (int q = p + 1; q < a.m; ++q) {
            const double dx = x[q] - xp;
            const double dy = y[q] - yp;
            const double r2 = dx * dx + dy * dy;
            const bool pull = (r2 > pR2) & (r2 != 0.0);
            const double t = pull ? 10000.0 * P::inv(r2, e) : 0.0;
            const double fx = t * dx, fy = t * dy;
            accX += g[q] * fx;
            accY += g[q] * fy;
            sx[q] -= gp * fx;
            sy[q] -= gp * fy;
            z |= static_cast<int>((r2 != 0.0) & !(r2 > pR2) & (r2 > cR2));
        }
        sx[p] += accX;
        sy[p] += accY;
        zone[p] = static_cast<unsigned char>(z);
    }
}

// Vectorised across the bodies, one attractor at a time, in blocks that stay in
// the first-level cache; each body's sum thus runs in attractor order.
template <class P>
void pulledT(const PullRowArgs& a, const double* __restrict xs, const double* __restrict ys, int n,
             double* __restrict sx, double* __restrict sy, unsigned char* __restrict zone)
{
    const double* __restrict x = a.x;
    const double* __restrict y = a.y;
    const double* __restrict g = a.g;
    const double pR2 = a.pR2, cR2 = a.cR2, e = a.e;
    constexpr int kBlock = 256;
    for (int k0 = 0; k0 < n; k0 += kBlock) {
        const int k1 = n - k0 < kBlock ? n : k0 + kBlock;
        for (int k = k0; k < k1; ++k) {
            sx[k] = 0;
            sy[k] = 0;
            zone[k] = 0;
        }
        for (int q = 0; q < a.m; ++q) {
            const double xq = x[q], yq = y[q], gq = g[q];
#pragma omp simd
            for (int k = k0; k < k1; ++k) {
                const double dx = xq - xs[k];
                const double dy = yq - ys[k];
                const double r2 = dx * dx + dy * dy;
                const bool pull = (r2 > pR2) & (r2 != 0.0);
                const double t = pull ? 10000.0 * P::inv(r2, e) : 0.0;
                sx[k] += gq * (t * dx);
                sy[k] += gq * (t * dy);
                zone[k] |= static_cast<unsigned char>((r2 != 0.0) & !(r2 > pR2) & (r2 > cR2));
            }
        }
    }
}

void symmetric(const PullRowArgs& a, double* sx, double* sy, unsigned char* zone)
{
    switch (a.kind) {
    case PowKind::Two: symmetricT<PowTwo>(a, sx, sy, zone); break;
    case PowKind::OneAndHalf: symmetricT<PowOneAndHalf>(a, sx, sy, zone); break;
    case PowKind::One: symmetricT<PowOne>(a, sx, sy, zone); break;
    case PowKind::General: symmetricT<PowGeneral>(a, sx, sy, zone); break;
    }
}

void pulled(const PullRowArgs& a, const double* xs, const double* ys, int n, double* sx, double* sy,
            unsigned char* zone)
{
    switch (a.kind) {
    case PowKind::Two: pulledT<PowTwo>(a, xs, ys, n, sx, sy, zone); break;
    case PowKind::OneAndHalf: pulledT<PowOneAndHalf>(a, xs, ys, n, sx, sy, zone); break;
    case PowKind::One: pulledT<PowOne>(a, xs, ys, n, sx, sy, zone); break;
    case PowKind::General: pulledT<PowGeneral>(a, xs, ys, n, sx, sy, zone); break;
    }
}

}  // namespace

extern const PullKernels kernels;
const PullKernels kernels{&symmetric, &pulled, ORB_KERNEL_NAME};

}  // namespace orb::ORB_KERNEL_NS
