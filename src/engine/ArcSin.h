#pragma once

namespace orb {

// Arc sine through the arc tangent: exactly +-1.5707963267949 at +-1. A quotient
// that rounding has pushed just past 1 is treated as 1 instead of failing.
double ArcSin(double x);

}  // namespace orb
