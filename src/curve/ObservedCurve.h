#pragma once
// A real galaxy's rotation curve to show beside the simulated one: NGC 3198,
// whose flat outer curve is the classic sign of unseen mass. The data file
// (data/ngc3198-rotation-curve.csv, from SPARC) is built into the program.
//
// The file: comment lines start with '#'; then the header
// radius_kpc,speed_kms,error_kms,gas_kms,disk_kms and a row per radius.

#include <span>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "curve/RotationCurve.h"

namespace orb {

inline constexpr std::string_view kObservedHeader = "radius_kpc,speed_kms,error_kms,gas_kms,disk_kms";
inline constexpr std::string_view kNgc3198FileName = "ngc3198-rotation-curve.csv";

struct ObservedRow {
    double radiusKpc = 0;
    double speedKms = 0;  // observed rotation speed
    double errorKms = 0;  // its uncertainty
    double gasKms = 0;    // the gas alone; negative where its pull points outwards
    double diskKms = 0;   // the stellar disk alone, at a mass-to-light ratio of 1
};

// Reads the rows. Radii must be positive and increasing, speeds and errors not
// negative. Every error names the file (`fileName`) and the line.
Result<std::vector<ObservedRow>> parseObservedCurve(std::string_view text, std::string_view fileName);

// What the visible matter alone gives, V_bar: its square is
// gas |gas| + 0.5 disk |disk| (km/s)^2, the disk at the usual mass-to-light
// ratio of 0.5, each part signed as its pull (outwards where negative). The
// square, signed, and finite; and the speed, 0 where the square is negative.
double visibleSpeedSquared(const ObservedRow& row);
double visibleSpeed(const ObservedRow& row);

// The built-in NGC 3198 file, as shipped, and its rows.
std::string_view ngc3198Text();
Result<std::vector<ObservedRow>> ngc3198Curve();

// How to draw the observed curve on the simulated one's axes:
// twips = radiusKpc x twipsPerKpc, twips per tick = speedKms x speedPerKms.
struct ObservedScale {
    double twipsPerKpc = 0;
    double speedPerKms = 0;  // (twips per tick) per (km/s)
    bool matched = false;    // false: nothing to match, the defaults below
    int simulatedPoints = 0;  // the stars beyond the zone it was chosen from
    int observedRows = 0;     // the observed rows
    double edgeRadius = 0;    // fixedNgcScale: the stars' outer edge, twips
    double edgeSpeed = 0;     // fixedNgcScale: Newton's circular speed there, twips per tick
};

// Without a simulated curve to match: NGC 3198's 44 kpc span about the field's
// half-diagonal, and its 150 km/s come to 30 twips per tick, the pace of a
// preset's stars.
inline constexpr double kDefaultTwipsPerKpc = 200;
inline constexpr double kDefaultSpeedPerKms = 0.2;


}  // namespace orb
