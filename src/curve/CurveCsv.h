#pragma once
// The rotation curve as text: a CSV of the stars for a spreadsheet, one of the
// binned curve, one of the radial acceleration relation, and the slope as the
// panel shows it.

#include <string>
#include <string_view>

#include "curve/BinnedCurve.h"
#include "curve/ObservedCurve.h"
#include "curve/RotationCurve.h"
#include "world/World.h"

namespace orb {

inline constexpr std::string_view kCurveCsvHeader = "body,radius,speed,radialSpeed,colRed,colGreen,colBlue";
inline constexpr std::string_view kBinnedCsvHeader = "radius,speed,speedError,sigmaTangential,sigmaRadial,stars";
inline constexpr std::string_view kRarCsvHeader = "body,radius,gBar,gObs";

// Comment lines ('#') with the centre and its velocity, the attracting gravity,
// the law (exponent, pull factor), the sense of rotation and how it is
// decided, the attractors' zone and the per-star slope (and, given a
// BinnedCurve, the binned slope with its error); then the header and a row per
// star in play, in body order. `w` is the table the curve was last updated
// from (it gives the colours). Numbers in the shortest form that reads back
// exactly.
std::string curveCsv(const RotationCurve& curve, const World& w);
std::string curveCsv(const RotationCurve& curve, const World& w, const BinnedCurve& binned);

// Comment lines with the window (ticks, records), the bins, the selection
// (zone radius, near-circular or every star) and the fit (slope, its error,
// the exponent); then kBinnedCsvHeader and a row per bin holding stars,
// nearest first ("stars" per record).
std::string binnedCurveCsv(const BinnedCurve& binned);

// `--rar`: comment lines with the units, NGC 3198's scale and the relation of
// McGaugh, Lelli & Schombert with its g_dagger in program units; then
// kRarCsvHeader and a row per star of RadialAcceleration::stars().
std::string rarCsv(const RotationCurve& curve, const ObservedScale& scale);

// The per-star slope to two decimals ("-0.48"), or "none".
std::string slopeText(const SlopeFit& fit);

}  // namespace orb
