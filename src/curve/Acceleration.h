#pragma once
// The radial acceleration relation: at each radius, the acceleration the
// stars' motion shows (g_obs = v^2 / r) against the one the attracting mass
// inside would give under Newton's law (g_bar = 10000 M(<r) / r^2), beside
// NGC 3198's points and the relation McGaugh, Lelli & Schombert (2016) found
// over 153 galaxies:
//
//     g_obs = g_bar / (1 - exp(-sqrt(g_bar / g_dagger))),  g_dagger = 1.2e-10 m/s^2
//
// And the dynamical mass: the gravity the run's pull law needs inside r to
// hold a star at speed v on a circle, M_dyn = v^2 r^(e - 1) / (10000 f),
// against the attracting gravity M(<r) there.
//
// Program units: radii in twips, speeds in twips per tick, accelerations in
// twips per tick^2, masses as the body table's gravity. NGC 3198's kpc and
// km/s come in through an ObservedScale (twips = kpc x twipsPerKpc, twips per
// tick = km/s x speedPerKms), so an acceleration in (km/s)^2/kpc becomes
// speedPerKms^2 / twipsPerKpc of them, and so does g_dagger.
//
// Everything here is finite. Where an acceleration cannot be positive (no
// gravity inside, say) it is given as it is, 0 or below: a log axis must
// leave such points out.

#include <optional>
#include <span>
#include <vector>

#include "curve/BinnedCurve.h"
#include "curve/ObservedCurve.h"
#include "curve/RotationCurve.h"

namespace orb {

inline constexpr double kMlsGDagger = 1.2e-10;     // m/s^2
inline constexpr double kMetresPerKpc = 3.0857e19;
// 1 (km/s)^2/kpc in m/s^2: 3.2408e-14.
inline constexpr double kKms2PerKpc = 1e6 / kMetresPerKpc;

// One star (body >= 3) or one bin of a BinnedCurve (body -1).
struct AccelerationPoint {
    int body = -1;
    double radius = 0;      // twips; a bin's mean radius
    double speed = 0;       // tangential, twips per tick; a bin's mean
    double gBar = 0;        // 10000 M(<r) / r^2
    double gObs = 0;        // speed^2 / radius
    double gObsError = 0;   // a bin's: 2 speed speedError / radius; 0 for a star
    double dynamical = 0;   // M_dyn = speed^2 r^(e - 1) / (10000 f); 0 without a law
    double attracting = 0;  // M(<r)
};

// NGC 3198's points in program units.
struct ObservedAcceleration {
    double radius = 0;     // twips
    double gBar = 0;       // V_bar^2 / R, signed as visibleSpeedSquared
    double gObs = 0;       // V_obs^2 / R
    double gObsError = 0;  // 2 V_obs error / R
};

struct AccelerationSample {
    double gBar = 0, gObs = 0;
};

// The pieces, each finite.
double observedAcceleration(double speed, double radius);  // v^2 / r, never below 0; 0 at r <= 0
double newtonAcceleration(double enclosed, double radius);  // 10000 M / r^2; 0 at r <= 0
double dynamicalMass(double speed, double radius, std::optional<double> exponent, double pullFactor);

// McGaugh, Lelli & Schombert's g_obs at g_bar, both in the units of gDagger:
// g_obs -> g_bar where g_bar >> g_dagger, -> sqrt(g_bar g_dagger) where
// g_bar << g_dagger; 0 where g_bar <= 0 or is not a number; g_bar itself
// where gDagger is not a positive number.
double mlsAcceleration(double gBar, double gDagger);
// `points` samples of it, spaced evenly in log g_bar over [gBarLow, gBarHigh];
// none unless 0 < gBarLow <= gBarHigh, both finite, and points >= 2.
std::vector<AccelerationSample> mlsCurve(double gBarLow, double gBarHigh, int points, double gDagger);

// (km/s)^2/kpc in twips per tick^2 under the scale: speedPerKms^2 / twipsPerKpc.
double accelerationScale(const ObservedScale& scale);
// g_dagger in twips per tick^2 under the scale.
double mlsGDagger(const ObservedScale& scale);

// NGC 3198's rows (every row, even where g_bar <= 0) in program units.
std::vector<ObservedAcceleration> observedAccelerations(std::span<const ObservedRow> rows,
                                                        const ObservedScale& scale);

// The stars and the bins, worked out from a curve (and a BinnedCurve). The
// stars: every star in play beyond the attractors' zone with a tangential
// speed and a radius above 0, in body order. The bins: every bin of the
// BinnedCurve with a mean speed above 0, nearest first, their M(<r) from the
// curve's latest state. Allocates nothing once built.
class RadialAcceleration {
public:
    RadialAcceleration();
    void update(const RotationCurve& curve);                        // the stars; no bins
    void update(const RotationCurve& curve, const BinnedCurve& binned);

    std::span<const AccelerationPoint> stars() const { return {stars_.data(), stars_.size()}; }
    std::span<const AccelerationPoint> bins() const { return {bins_.data(), bins_.size()}; }

private:
    std::vector<AccelerationPoint> stars_, bins_;
};

}  // namespace orb
