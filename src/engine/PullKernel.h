#pragma once
// Inner loops of the pull pass, compiled once per instruction set and chosen at
// run time. The arrays hold attractors packed in descending body order.

namespace orb {

enum class PowKind { Two, OneAndHalf, One, General };

struct PullRowArgs {
    const double* x;
    const double* y;
    const double* g;
    int m;            // number of attractors
    double pR;        // planet radius: pull beyond it
    double cR;        // core radius: partial collision between the two
    PowKind kind;
    double e;         // the exponent, for PowKind::General
};

// Pulls between every pair of attractors, each pair computed once. Adds the pull
// on attractor p to sx[p], sy[p]; zone[p] = 1 when some q > p lies in the
// partial-collision zone of p.
using SymmetricFn = void (*)(const PullRowArgs&, double* sx, double* sy, unsigned char* zone);
// Pull of every attractor on a body at (xi, yi) that is not one; returns whether
// some attractor lies in its partial-collision zone.
using OneWayFn = bool (*)(const PullRowArgs&, double xi, double yi, double* sx, double* sy);

struct PullKernels {
    SymmetricFn symmetric;
    OneWayFn oneWay;
    const char* name;
};

// The best kernels this processor runs.
const PullKernels& pullKernels();

// r^e for the kinds above, the same expression the kernels use.
double powOf(PowKind kind, double r, double r2, double e);
PowKind powKindOf(double e);

}  // namespace orb
