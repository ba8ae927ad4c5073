#pragma once
// The curve's measurements as short texts for a caption, a status line or
// `--print`: two decimals, the error after a real "±" (UTF-8), never "-0.00",
// and "none" where there is nothing to show.

#include <string>
#include <string_view>

#include "curve/BinnedCurve.h"
#include "curve/ObservedCurve.h"
#include "curve/WeightedFit.h"

namespace orb {

inline constexpr std::string_view kPlusMinus = "\u00B1";  // ±
inline constexpr std::string_view kArrow = "\u2192";      // →

// Two decimals ("-0.48"); "0.00" for anything that rounds to nothing; three
// significant digits in exponent form from a million on ("1.8e+308").
std::string twoDecimals(double x);
// "-0.49 ± 0.02".
std::string withError(double value, double error);

// The slope with its error ("-0.49 ± 0.02"), or "none": `--print CurveSlope`.
std::string slopeWithErrorText(const ExponentFit& fit);
// The exponent with its error ("1.98 ± 0.04"), or "none": `--print
// CurveExponent`, and `--print NgcExponent` with ngcOuterExponent().
std::string exponentWithErrorText(const ExponentFit& fit);
// "slope -0.49 ± 0.02 → exponent 1.98 ± 0.04 over 412 stars", or
// "slope none over 12 stars"; the stars are those of the latest record in
// the bins the slope was fitted through.
std::string binnedFitText(const BinnedFit& fit);

// "1 kpc = 120 twips, 1 km/s = 0.183 twips/tick": `--print NgcScale`.
std::string ngcScaleText(const ObservedScale& scale);

}  // namespace orb
