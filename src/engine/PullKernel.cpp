// Compiled several times with different instruction sets; ORB_KERNEL_NS names
// each copy. Written so the compiler vectorises the loops: no branches inside,
// lane-wise sums allowed through the simd reductions. Only builtins are used, so
// no shared inline function is ever emitted with a wider instruction set.
#include <cfloat>

#include "engine/PullKernel.h"

#ifndef ORB_KERNEL_NS
#define ORB_KERNEL_NS base
#endif

namespace orb::ORB_KERNEL_NS {
namespace {

struct PowTwo {
    static double apply(double, double r2, double) { return r2; }
};
struct PowOneAndHalf {
    static double apply(double r, double, double) { return r * __builtin_sqrt(r); }
};
struct PowOne {
    static double apply(double r, double, double) { return r; }
};
struct PowGeneral {
    static double apply(double r, double, double e) { return __builtin_pow(r, e); }
};

template <class P>
void symmetricT(const PullRowArgs& a, double* __restrict sx, double* __restrict sy,
                unsigned char* __restrict zone)
{
    const double* __restrict x = a.x;
    const double* __restrict y = a.y;
    const double* __restrict g = a.g;
    const double pR = a.pR, cR = a.cR, e = a.e;
    for (int p = 0; p < a.m; ++p) {
        const double xp = x[p], yp = y[p], gp = g[p];
        double accX = 0, accY = 0;
        int z = 0;
#pragma omp simd reduction(+ : accX, accY) reduction(| : z)
        for (int q = p + 1; q < a.m; ++q) {
            const double dx = x[q] - xp;
            const double dy = y[q] - yp;
            const double r2 = dx * dx + dy * dy;
            const double r = __builtin_sqrt(r2);
            const double t = 10000.0 / (P::apply(r, r2, e) * r);
            const bool pull = (r > pR) & (r != 0.0);
            const double fx = t * dx, fy = t * dy;
            const double onPx = g[q] * fx, onPy = g[q] * fy;
            const double onQx = -(gp * fx), onQy = -(gp * fy);
            const bool okP = pull & (__builtin_fabs(onPx) <= DBL_MAX) & (__builtin_fabs(onPy) <= DBL_MAX);
            const bool okQ = pull & (__builtin_fabs(onQx) <= DBL_MAX) & (__builtin_fabs(onQy) <= DBL_MAX);
            accX += okP ? onPx : 0.0;
            accY += okP ? onPy : 0.0;
            sx[q] += okQ ? onQx : 0.0;
            sy[q] += okQ ? onQy : 0.0;
            z |= static_cast<int>((r != 0.0) & !(r > pR) & (r > cR));
        }
        sx[p] += accX;
        sy[p] += accY;
        zone[p] = static_cast<unsigned char>(z);
    }
}

template <class P>
bool oneWayT(const PullRowArgs& a, double xi, double yi, double* sxOut, double* syOut)
{
    const double* __restrict x = a.x;
    const double* __restrict y = a.y;
    const double* __restrict g = a.g;
    const double pR = a.pR, cR = a.cR, e = a.e;
    double accX = 0, accY = 0;
    int z = 0;
#pragma omp simd reduction(+ : accX, accY) reduction(| : z)
    for (int q = 0; q < a.m; ++q) {
        const double dx = x[q] - xi;
        const double dy = y[q] - yi;
        const double r2 = dx * dx + dy * dy;
        const double r = __builtin_sqrt(r2);
        const double t = 10000.0 / (P::apply(r, r2, e) * r);
        const bool pull = (r > pR) & (r != 0.0);
        const double px = g[q] * (t * dx), py = g[q] * (t * dy);
        const bool ok = pull & (__builtin_fabs(px) <= DBL_MAX) & (__builtin_fabs(py) <= DBL_MAX);
        accX += ok ? px : 0.0;
        accY += ok ? py : 0.0;
        z |= static_cast<int>((r != 0.0) & !(r > pR) & (r > cR));
    }
    *sxOut = accX;
    *syOut = accY;
    return z != 0;
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

bool oneWay(const PullRowArgs& a, double xi, double yi, double* sx, double* sy)
{
    switch (a.kind) {
    case PowKind::Two: return oneWayT<PowTwo>(a, xi, yi, sx, sy);
    case PowKind::OneAndHalf: return oneWayT<PowOneAndHalf>(a, xi, yi, sx, sy);
    case PowKind::One: return oneWayT<PowOne>(a, xi, yi, sx, sy);
    case PowKind::General: return oneWayT<PowGeneral>(a, xi, yi, sx, sy);
    }
    return false;
}

}  // namespace

extern const PullKernels kernels;
const PullKernels kernels{&symmetric, &oneWay, ORB_KERNEL_NAME};

}  // namespace orb::ORB_KERNEL_NS
