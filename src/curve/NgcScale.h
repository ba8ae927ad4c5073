#pragma once
// NGC 3198 beside the simulated curve at a scale fixed once and kept, so that
// the comparison says something: a scale refitted every frame would lay the
// two curves on each other by construction.
//
// Radii: NGC 3198's outermost point goes to the outer edge of the simulated
// stars, the kNgcEdgePercentile radius of the stars in play beyond the
// attractors' zone (a percentile, so that a runaway or two does not set it).
// Speeds: NGC 3198's visible matter at that point (V_bar) goes to the circular
// speed the simulated attracting gravity M gives there as a point mass under
// Newton's law, sqrt(10000 M / R_edge) (e = 2, no pull factor). Visible matter
// is laid on attracting matter; where NGC 3198's observed curve then runs
// above, it needs mass the simulated galaxy would not have under Newton.
//
// The caller decides when to choose: when the overlay is switched on, when a
// run starts, or when asked to rescale; never every frame. NgcScaleKeeper
// holds that rule.

#include <span>

#include "curve/ObservedCurve.h"
#include "curve/RotationCurve.h"
#include "curve/WeightedFit.h"

namespace orb {

inline constexpr double kNgcEdgePercentile = 0.95;
// NGC 3198's curve is flat from about here out.
inline constexpr double kNgcOuterFromKpc = 8;

// The scale from the curve as it stands. The defaults (kDefaultTwipsPerKpc,
// kDefaultSpeedPerKms, matched false) when no star lies beyond the zone, the
// attracting gravity is not above 0, NGC 3198 has no visible matter at its
// outermost point, or a scale would not be a positive finite number.
ObservedScale fixedNgcScale(std::span<const ObservedRow> rows, const RotationCurve& curve);

class NgcScaleKeeper {
public:
    // The default scale until the first update with stars; then that one.
    NgcScaleKeeper();

    // The next update that can fix a scale (the overlay switched on, a new
    // run, "Rescale") chooses it again; until then the present one stays.
    void rescaleNext() { pending_ = true; }
    bool pending() const { return pending_; }

    // Fixes the scale when one is due and the curve has stars beyond the zone
    // to fix it from; true when the scale changed.
    bool update(std::span<const ObservedRow> rows, const RotationCurve& curve);
    const ObservedScale& scale() const { return scale_; }

private:
    ObservedScale scale_;
    bool pending_ = true;
};

// V_obs / V_bar at the outermost observed point: how far the visible matter
// falls short, from the data alone (about 2.3 for NGC 3198); 0 when V_bar is 0.
double ngcOuterSpeedRatio(std::span<const ObservedRow> rows);

// The power law of the observed outer curve: a fit of ln V_obs on ln R over the
// rows beyond `fromKpc`, weighted by the speed errors (sigma_ln_V = error / V;
// rows without an error or a speed are left out), Birge-scaled, and the
// exponent of the pull it implies (near 1 for a flat curve).
ExponentFit ngcOuterExponent(std::span<const ObservedRow> rows, double fromKpc = kNgcOuterFromKpc);

}  // namespace orb
