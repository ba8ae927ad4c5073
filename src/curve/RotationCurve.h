#pragma once
// The rotation curve of the simulated galaxy, read off the body table: where the
// galaxy's centre is, how fast each star turns around it, how fast the pull law
// says a star on a circular orbit would turn there, and how the stars' speed
// falls (or not) with radius.
//
// The centre is the gravity-weighted centre of bodies 0, 1 and 2 in play, moving
// with their gravity-weighted velocity (body 0 never moves, so its velocity
// counts as 0 whatever its momentum holds). When their gravity sums to 0 or less
// the centre is body 0's place, at rest.
//
// Sense of rotation: a star's speed is the tangential part of its momentum
// relative to the centre's velocity, counted positive in the sense of the
// stars' total angular momentum about the centre, the sum over the stars in
// play of dx uy - dy ux (place and velocity relative to the centre). Each star
// counts by its specific angular momentum, not weighted by its gravity: the
// gravities are pull strengths, not inertia, and may well be 0. When the sum is
// exactly 0 (or there are no stars) the sense stays what it was at the last
// update (clockwise before the first). So a galaxy turning either way shows
// positive speeds, the stars turning against it show negative ones, and one
// star changing its mind cannot turn the whole curve over.
//
// The circular speed at radius r is the speed at which the pull of the gravity
// M(r) inside r keeps a star on a circle: v = sqrt(10000 f M(r) r^(1 - e)), e
// the exponent of the pull law and f its factor (1, or r0^(e - 2) with "Same
// pull at r0"). M(r) is the gravity of every attracting body in play (numbered
// up to the planetoid factor, as the tick counts them) that is one of bodies
// 0, 1 and 2, or a star strictly nearer the centre than r. The two references
// use the same M(r) at e = 2 (Keplerian, falling as r^-1/2) and e = 1 (flat),
// both with f = 1.
//
// The attractors' zone: within 2.5 separations of the binary pair (5 times the
// distance of the farther of bodies 1 and 2 from the centre) the pull of the
// pair swings round with it and no point mass M(r) describes it. Fits and
// predictions mean something only beyond it. Without the pair in play the zone
// is 0.
//
// Nothing here is ever NaN or infinite. Values too large for a double stop at
// the largest finite one. Where no orbit exists the circular speeds are 0: at
// r = 0, where M(r) is 0 or less, or when the exponent is not a number (the
// references still stand then, being of fixed exponent). A star exactly at the
// centre has no direction around it: its speed and radial speed are 0.
//
// update() allocates nothing once the object is built, so it can run every
// screen refresh.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "world/World.h"

namespace orb {

struct CurveCentre {
    double x = 0, y = 0;    // twips
    double vx = 0, vy = 0;  // twips per tick
};

// One star in play as the curve sees it.
struct StarPoint {
    std::int16_t body = 0;
    double radius = 0;       // twips from the centre
    double speed = 0;        // tangential, twips per tick, positive in the galaxy's sense
    double radialSpeed = 0;  // twips per tick, positive outwards
    double enclosed = 0;     // M(r) at this star's radius
    double circular = 0;     // circular speed at this star's radius under the run's law
};

// The predicted curves at one radius.
struct CurveSample {
    double radius = 0;
    double enclosed = 0;  // M(r)
    double circular = 0;  // under the run's law
    double kepler = 0;    // under e = 2, f = 1
    double flat = 0;      // under e = 1, f = 1
    bool beyondZone = false;  // radius >= zoneRadius(): M(r) describes the pull here
};

// Least-squares fit of ln v = intercept + slope ln r.
struct SlopeFit {
    std::optional<double> slope;  // none: too few stars, or all at one radius (within 1 part in 1e9)
    double intercept = 0;         // meaningful only with a slope
    int stars = 0;                // the stars eligible for the fit
};

class RotationCurve {
public:
    static constexpr int kSamples = 64;
    // Two points always fit a line exactly, so the slope means something only
    // from three stars on.
    static constexpr int kMinFitStars = 3;

    RotationCurve();

    // Reads the body table: the run's bodies 0..bodyCount, the exponent the tick
    // uses, the planetoid factor (a factor that is not a number lets every body
    // attract, as in the tick) and the pull factor f of the law. The sense of
    // rotation carries over from the previous update where the stars leave it
    // undecided.
    void update(const World& w, double exponent, double planetoidFactor, double pullFactor = 1);

    const CurveCentre& centre() const { return centre_; }
    // +1: positive speeds turn clockwise on the screen (y grows downwards);
    // -1: counter-clockwise.
    int sense() const { return sense_; }
    // The exponent used; none when it was not a number (an infinite one counts
    // as the largest finite one).
    std::optional<double> exponent() const { return exponent_; }
    // The pull factor f used (finite; one that is not a number reads 0, and no
    // orbit is predicted where f <= 0).
    double pullFactor() const { return pullFactor_; }
    // Attracting gravity of bodies 0..2 in play, and of every attracting body in play.
    double centralGravity() const { return centralGravity_; }
    double attractingGravity() const { return attractingGravity_; }
    // The distance of the farther of bodies 1 and 2 in play from the centre (0
    // when neither is); the per-star slope below is fitted over the stars beyond it.
    double pairRadius() const { return pairRadius_; }
    // The attractors' zone: 5 x pairRadius(), twips (0 without the pair).
    double zoneRadius() const { return zoneRadius_; }
    static constexpr double kZonePairRadii = 5;

    // M(r): the attracting gravity of bodies 0..2 and of the stars strictly
    // inside `radius`, as for the stars themselves. O(log stars).
    double enclosedAt(double radius) const;

    // The stars in play, in body order.
    std::span<const StarPoint> stars() const { return {stars_.data(), stars_.size()}; }
    // The predicted curves at kSamples radii evenly spread up to the farthest
    // star: from the zone's edge when some star lies beyond it and others
    // within (every sample then has beyondZone), else from the nearest star
    // (one sample when they all share a radius, none without stars). Draw the
    // predicted curve through the samples with beyondZone only.
    std::span<const CurveSample> samples() const { return {samples_.data(), samples_.size()}; }
    // A quick look at one moment: the unweighted slope of ln v against ln r over
    // the stars beyond the pair's orbit that turn the positive way. Slow or
    // nearly radial stars pull it about; BinnedCurve gives the measurement,
    // averaged over time and weighted, with its error.
    const SlopeFit& slope() const { return fit_; }

    // The circular speed around gravity `enclosed` at `radius` under exponent e
    // and pull factor f; 0 where there is no orbit, never infinite.
    static double circularSpeed(double enclosed, double radius, double exponent, double pullFactor = 1);

private:
    void findCentre(const World& w, int last);
    void measureStars(const World& w, int last);
    void decideSense();
    void addEnclosedGravity();
    void sampleCurves();
    void fitSlope();

    CurveCentre centre_;
    int sense_ = 1;
    std::optional<double> exponent_ = 2.0;
    double pullFactor_ = 1;
    double centralGravity_ = 0;
    double attractingGravity_ = 0;
    double pairRadius_ = 0;
    double zoneRadius_ = 0;
    std::vector<StarPoint> stars_;
    std::vector<double> starGravity_;       // each star's gravity, 0 when it does not attract
    std::vector<std::uint16_t> byRadius_;   // indices into stars_, nearest first
    std::vector<double> fitX_, fitY_;       // ln r and ln v of the stars in the fit
    std::vector<CurveSample> samples_;
    SlopeFit fit_;
};

}  // namespace orb
