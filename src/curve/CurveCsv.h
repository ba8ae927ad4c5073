#pragma once
// The rotation curve as text: a CSV of the stars for a spreadsheet, and the
// slope as the panel shows it.

#include <string>
#include <string_view>

#include "curve/RotationCurve.h"
#include "world/World.h"

namespace orb {

inline constexpr std::string_view kCurveCsvHeader = "body,radius,speed,radialSpeed,colRed,colGreen,colBlue";

// Comment lines ('#') with the centre and its velocity, the attracting gravity,
// the exponent, the sense of rotation and the fitted slope; then the header and
// a row per star in play, in body order. `w` is the table the curve was last
// updated from (it gives the colours). Numbers in the shortest form that reads
// back exactly.
std::string curveCsv(const RotationCurve& curve, const World& w);

// The slope to two decimals ("-0.48"), or "none".
std::string slopeText(const SlopeFit& fit);

}  // namespace orb
