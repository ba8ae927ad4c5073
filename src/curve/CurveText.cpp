#include "curve/CurveText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace orb {

namespace {

// Three significant digits without an exponent where that reads well
// ("120", "0.183", "1235"), else "%.3g".
std::string compact(double x)
{
    char buf[64];
    const double a = std::fabs(x);
    if (!std::isfinite(x) || a == 0 || a < 1e-3 || a >= 1e6) {
        std::snprintf(buf, sizeof buf, "%.3g", std::isfinite(x) ? x : 0.0);
        return buf;
    }
    const int decimals = std::max(0, 2 - static_cast<int>(std::floor(std::log10(a))));
    std::snprintf(buf, sizeof buf, "%.*f", decimals, x);
    return buf;
}

}  // namespace

std::string twoDecimals(double x)
{
    if (!std::isfinite(x)) x = std::isnan(x) ? 0 : (x > 0 ? 1.7976931348623157e308 : -1.7976931348623157e308);
    char buf[64];
    if (std::fabs(x) >= 1e6) {
        std::snprintf(buf, sizeof buf, "%.3g", x);
        return buf;
    }
    // No "-0.00": a value that rounds to nothing shows as 0.
    if (std::fabs(x) < 0.005) x = 0;
    std::snprintf(buf, sizeof buf, "%.2f", x);
    return buf;
}

std::string withError(double value, double error)
{
    return twoDecimals(value) + ' ' + std::string(kPlusMinus) + ' ' + twoDecimals(error);
}

std::string slopeWithErrorText(const ExponentFit& fit)
{
    return fit.slope ? withError(*fit.slope, fit.slopeError) : std::string("none");
}

std::string exponentWithErrorText(const ExponentFit& fit)
{
    return fit.slope ? withError(fit.exponent, fit.exponentError) : std::string("none");
}

std::string binnedFitText(const BinnedFit& fit)
{
    std::string out = "slope " + slopeWithErrorText(fit);
    if (fit.slope) out += ' ' + std::string(kArrow) + " exponent " + exponentWithErrorText(fit);
    return out + " over " + std::to_string(fit.stars) + " stars";
}

std::string ngcScaleText(const ObservedScale& scale)
{
    return "1 kpc = " + compact(scale.twipsPerKpc) + " twips, 1 km/s = " + compact(scale.speedPerKms) +
           " twips/tick";
}

}  // namespace orb
