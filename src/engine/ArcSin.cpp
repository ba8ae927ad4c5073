#include "engine/ArcSin.h"

#include <cmath>

namespace orb {

double ArcSin(double x)
{
    constexpr double halfPi = 1.5707963267949;
    if (std::isnan(x)) return 0;
    if (std::fabs(x) >= 1.0) return x > 0 ? halfPi : -halfPi;
    return std::atan(x / std::sqrt(1.0 - x * x));
}

}  // namespace orb
