#pragma once
// The rotation curve as a measurement: the stars' speeds averaged in fixed
// radial bins over a window of recent ticks, each bin with its error, and the
// slope of ln v against ln r fitted through the bins with its own error.
//
// Bins: kBinsPerOctave per doubling of the radius from kInnerRadius to
// kOuterRadius twips (40 bins). Logarithmic, because the law is a power law
// and the fit is made in ln r, so every bin has the same weight in lever arm;
// fixed in absolute radius, so records taken at different ticks add up bin by
// bin. A quarter octave is narrow enough that a Keplerian curve falls by only
// 8% across a bin, and wide enough to hold many stars of a disc of a
// thousand; 64..65536 twips takes in everything from just outside sol to
// four field widths out. Stars outside that range are left out.
//
// Which stars: every star in play beyond the attractors' zone
// (RotationCurve::zoneRadius()), whichever way it turns: a star turning
// against the galaxy's sense lowers its bin's mean, as it should. With
// "near-circular only", just the bound stars on nearly circular orbits (see
// nearCircular()).
//
// The window: each record adds the bins of one refresh; records older than
// window() ticks (default kDefaultWindow, about one turn of the binary pair of
// the presets: 2 pi x 768 twips at 18 twips per tick) are dropped, and so is
// the oldest when kCapacity records are held. A record at the tick of the
// latest one replaces it (a paused run adds nothing new); an earlier tick
// means a new run and starts the window afresh, as does switching the
// selection.
//
// Per bin over the window: the mean radius, the mean tangential speed and its
// standard error, the tangential dispersion sigma_t, the radial dispersion
// sigma_r (rms radial speed), and the stars per record. The error counts the
// stars' random motion both ways, sqrt(sigma_t^2 + sigma_r^2): stars swinging
// in and out do not show the circular speed, whatever their tangential spread.
// The records of one window see the same stars again and again, so they are
// not independent samples: the standard error is that motion over
// sqrt(stars per record), as if the window were one record, not over
// sqrt(all observations). Two floors
// keep any bin from an unearned weight:
//  - every bin: at least kMinRelativeError of its speed (stars on exact
//    circles have sigma_t = 0);
//  - a bin with fewer than kLoneStars stars per record (one star, or a few
//    passing through) has no dispersion worth the name: its error is at least
//    its speed times the median random motion / v of the bins with more stars (the
//    scatter of one star about the curve), or kLoneRelativeError of its speed
//    when no bin has more stars.
//
// The slope: weighted least squares of ln(mean v) on ln(mean r) over the bins
// with a positive mean speed and at least kMinFitStarsPerRecord stars per
// record, weights 1 / sigma_ln_v^2 with sigma_ln_v = error / v; its error from
// the fit, Birge-scaled (see WeightedFit.h). At least kMinFitBins bins. Then
// exponent = 1 - 2 slope, as v_circ grows as r^((1 - e) / 2).
//
// Everything is allocated when the object is built (kCapacity records of the
// bins' sums, about 0.8 MB); record() allocates nothing and costs well under a
// millisecond at a thousand stars. Every value it gives is finite.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "curve/RotationCurve.h"
#include "curve/WeightedFit.h"

namespace orb {

// One bin over the window.
struct CurveBin {
    int index = 0;                 // 0..BinnedCurve::kBins - 1
    double inner = 0, outer = 0;   // edges, twips
    double radius = 0;             // mean radius of its star observations, twips
    double speed = 0;              // mean tangential speed, twips per tick
    double speedError = 0;         // standard error of `speed`, floors applied
    double sigmaTangential = 0;    // dispersion of the tangential speeds
    double sigmaRadial = 0;        // rms radial speed
    double stars = 0;              // star observations per record
    int latestStars = 0;           // stars of the latest record in it
    bool lone = false;             // fewer than kLoneStars per record: the lone-star floor applies
    bool fitted = false;           // went into the slope
};

// The slope through the bins; `points` are the bins fitted (or usable, when
// too few to fit), `stars` the stars of the latest record in them.
struct BinnedFit : ExponentFit {
    int stars = 0;
};

class BinnedCurve {
public:
    static constexpr int kBinsPerOctave = 4;
    static constexpr double kInnerRadius = 64;     // twips
    static constexpr double kOuterRadius = 65536;  // kInnerRadius x 2^10
    static constexpr int kBins = 10 * kBinsPerOctave;
    static constexpr int kCapacity = 512;          // records held at most
    static constexpr std::int64_t kDefaultWindow = 270;  // ticks
    static constexpr int kMinFitBins = 3;
    static constexpr double kMinFitStarsPerRecord = 1;
    static constexpr double kLoneStars = 2;
    static constexpr double kMinRelativeError = 1e-3;
    static constexpr double kLoneRelativeError = 0.1;
    static constexpr double kNearCircularRatio = 0.2;  // |radial speed| / tangential speed at most

    BinnedCurve();

    // Forgets every record (a new run); the window and selection stay.
    void clear();
    // The window in ticks, at least 1; records now older are dropped.
    void setWindow(std::int64_t ticks);
    std::int64_t window() const { return window_; }

    // Adds the curve as it stands at `tick` and works out the bins and the fit.
    void record(std::int64_t tick, const RotationCurve& curve, bool nearCircularOnly = false);

    // Records in the window, and the ticks of the oldest and the latest.
    int records() const { return count_; }
    std::int64_t firstTick() const;
    std::int64_t lastTick() const;
    // The selection of the records held, and the zone radius of the latest.
    bool nearCircularOnly() const { return nearCircular_; }
    double zoneRadius() const { return zone_; }
    // Stars of the latest record that were binned.
    int latestStars() const { return latestStars_; }

    // The bins holding stars, nearest first.
    std::span<const CurveBin> bins() const { return {bins_.data(), bins_.size()}; }
    const BinnedFit& fit() const { return fit_; }

    // The edges of bin k are binEdge(k) and binEdge(k + 1); binOf() is the
    // bin holding `radius`, -1 outside kInnerRadius..kOuterRadius.
    static double binEdge(int k);
    static int binOf(double radius);

    // Near-circular: tangential speed above 0, |radial speed| at most
    // kNearCircularRatio of it, and bound. Bound means below the escape speed
    // of the enclosed gravity taken as a point mass: for e > 1 the potential
    // is -v_circ^2 / (e - 1), so v^2 < 2 v_circ^2 / (e - 1); for e <= 1 the
    // potential grows without end and every star is bound. Without an
    // exponent there is no orbit to compare with: no star qualifies.
    static bool nearCircular(const StarPoint& s, std::optional<double> exponent);

private:
    struct BinSums {
        std::int32_t count = 0;
        double radius = 0, speed = 0, speed2 = 0, radial2 = 0;
    };
    struct Record {
        std::int64_t tick = 0;
        std::array<BinSums, kBins> bins{};
    };

    Record& at(int k) { return ring_[static_cast<std::size_t>((head_ + k) % kCapacity)]; }
    const Record& at(int k) const { return ring_[static_cast<std::size_t>((head_ + k) % kCapacity)]; }
    void dropOld();
    void evaluate();
    void fitBins();

    std::vector<Record> ring_;  // kCapacity; the window is at(0) .. at(count_ - 1)
    int head_ = 0, count_ = 0;
    std::int64_t window_ = kDefaultWindow;
    bool nearCircular_ = false;
    double zone_ = 0;
    int latestStars_ = 0;
    std::vector<CurveBin> bins_;  // capacity kBins
    BinnedFit fit_;
};

}  // namespace orb
