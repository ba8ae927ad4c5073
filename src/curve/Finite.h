#pragma once
// Arithmetic that stays finite: what would overflow stops at the largest finite
// double, and a NaN (which only arises from an input that already was one)
// becomes 0. The curve's outputs go to charts and files, where an infinity or a
// NaN would spoil everything drawn or read after it.

#include <cfloat>
#include <cmath>

namespace orb::curve {

inline double finite(double x)
{
    if (std::isnan(x)) return 0;
    if (std::isinf(x)) return x > 0 ? DBL_MAX : -DBL_MAX;
    return x;
}

inline double addFinite(double a, double b) { return finite(a + b); }

// The length of (dx, dy) for finite components, scaled where squaring would
// overflow or underflow.
inline double length(double dx, double dy)
{
    const double ax = std::fabs(dx), ay = std::fabs(dy);
    const double m = ax > ay ? ax : ay;
    if (m == 0) return 0;
    if (m > 1e-150 && m < 1e150) return std::sqrt(dx * dx + dy * dy);
    const double sx = dx / m, sy = dy / m;
    return finite(m * std::sqrt(sx * sx + sy * sy));
}

}  // namespace orb::curve
