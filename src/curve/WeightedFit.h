#pragma once
// A straight line y = intercept + slope x fitted by weighted least squares,
// each point weighted by 1 / sigma^2, with the slope's standard error.
//
// The error comes from the weights. When the points scatter about the line by
// more than their sigmas say (reduced chi^2 above 1) the sigmas were too
// small, and the error is scaled up by sqrt(reduced chi^2), the Birge ratio;
// when they scatter less it stays as the sigmas give it (no reward for luck).
//
// Points with x or y not finite, or sigma not a positive finite number, are
// left out: a sigma of 0 would be an infinite weight. Everything returned is
// finite.

#include <optional>
#include <span>

namespace orb {

struct LineFit {
    std::optional<double> slope;  // none: fewer than minPoints usable points, or all at one x
    double slopeError = 0;        // Birge-scaled where reduced chi^2 > 1
    double intercept = 0;
    double reducedChi2 = 0;       // chi^2 / (points - 2); 0 with two points
    bool birgeScaled = false;     // the error was scaled up
    int points = 0;               // usable points
};

// x, y and sigma of equal length (the shortest counts). Two points fit any
// line exactly, so the default asks for three.
LineFit weightedLineFit(std::span<const double> x, std::span<const double> y, std::span<const double> sigma,
                        int minPoints = 3);

// A rotation curve's power law read from a fit of ln v on ln r: v_circ grows
// as r^((1 - e) / 2), so the pull's exponent is e = 1 - 2 slope, with twice
// the slope's error.
struct ExponentFit {
    std::optional<double> slope;  // none: no fit
    double slopeError = 0;
    double exponent = 0;          // 1 - 2 slope; meaningful only with a slope
    double exponentError = 0;     // 2 x slopeError
    double intercept = 0;         // ln v at r = 1
    double reducedChi2 = 0;
    bool birgeScaled = false;
    int points = 0;               // points fitted (or usable, when too few)
};

ExponentFit exponentFit(const LineFit& line);

}  // namespace orb
