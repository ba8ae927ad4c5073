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
// relative to the centre's velocity, counted positive in the sense most stars
// turn in (each star one vote; a tie goes to the sense of the summed tangential
// speeds, then to clockwise on the screen). So a galaxy turning either way shows
// positive speeds, and the few stars turning against it show negative ones.
//
// The circular speed at radius r is the speed at which the pull of the gravity
// M(r) inside r keeps a star on a circle: v = sqrt(10000 M(r) r^(1 - e)), e the
// exponent of the pull law. M(r) is the gravity of every attracting body in play
// (numbered up to the planetoid factor, as the tick counts them) that is one of
// bodies 0, 1 and 2, or a star strictly nearer the centre than r. The two
// references use the same M(r) at e = 2 (Keplerian, falling as r^-1/2) and e = 1
// (flat).
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
    double circular = 0;  // under the run's exponent
    double kepler = 0;    // under e = 2
    double flat = 0;      // under e = 1
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
    // uses and the planetoid factor (a factor that is not a number lets every
    // body attract, as in the tick).
    void update(const World& w, double exponent, double planetoidFactor);

    const CurveCentre& centre() const { return centre_; }
    // +1: positive speeds turn clockwise on the screen (y grows downwards);
    // -1: counter-clockwise.
    int sense() const { return sense_; }
    // The exponent used; none when it was not a number (an infinite one counts
    // as the largest finite one).
    std::optional<double> exponent() const { return exponent_; }
    // Attracting gravity of bodies 0..2 in play, and of every attracting body in play.
    double centralGravity() const { return centralGravity_; }
    double attractingGravity() const { return attractingGravity_; }
    // The distance of the farther of bodies 1 and 2 in play from the centre (0
    // when neither is); the slope is fitted over the stars beyond it.
    double pairRadius() const { return pairRadius_; }

    // The stars in play, in body order.
    std::span<const StarPoint> stars() const { return {stars_.data(), stars_.size()}; }
    // The predicted curves at kSamples radii evenly spread from the nearest to
    // the farthest star (one sample when all stars share a radius, none without
    // stars).
    std::span<const CurveSample> samples() const { return {samples_.data(), samples_.size()}; }
    // The slope of ln v against ln r over the stars beyond the pair's orbit that
    // turn the positive way.
    const SlopeFit& slope() const { return fit_; }

    // The circular speed around gravity `enclosed` at `radius` under exponent e;
    // 0 where there is no orbit, never infinite.
    static double circularSpeed(double enclosed, double radius, double exponent);

private:
    void findCentre(const World& w, int last);
    void measureStars(const World& w, int last);
    void addEnclosedGravity();
    void sampleCurves();
    void fitSlope();

    CurveCentre centre_;
    int sense_ = 1;
    std::optional<double> exponent_ = 2.0;
    double centralGravity_ = 0;
    double attractingGravity_ = 0;
    double pairRadius_ = 0;
    std::vector<StarPoint> stars_;
    std::vector<double> starGravity_;       // each star's gravity, 0 when it does not attract
    std::vector<std::uint16_t> byRadius_;   // indices into stars_, nearest first
    std::vector<double> fitX_, fitY_;       // ln r and ln v of the stars in the fit
    std::vector<CurveSample> samples_;
    SlopeFit fit_;
};

}  // namespace orb
