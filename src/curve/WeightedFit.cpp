#include "curve/WeightedFit.h"

#include <algorithm>
#include <cmath>

#include "curve/Finite.h"

namespace orb {

namespace {
constexpr double kOneX = 1e-9;  // spread of x below which the points share one x
}  // namespace

LineFit weightedLineFit(std::span<const double> x, std::span<const double> y, std::span<const double> sigma,
                        int minPoints)
{
    using curve::finite;
    LineFit fit;
    const std::size_t n = std::min({x.size(), y.size(), sigma.size()});
    auto usable = [&](std::size_t k) {
        return std::isfinite(x[k]) && std::isfinite(y[k]) && std::isfinite(sigma[k]) && sigma[k] > 0;
    };
    // Weights relative to the smallest sigma, so they lie in (0, 1] and no
    // square of a tiny sigma overflows; the true weights are these / sMin^2.
    double sMin = 0, xMin = 0, xMax = 0;
    int points = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (!usable(k)) continue;
        sMin = points == 0 ? sigma[k] : std::min(sMin, sigma[k]);
        xMin = points == 0 ? x[k] : std::min(xMin, x[k]);
        xMax = points == 0 ? x[k] : std::max(xMax, x[k]);
        ++points;
    }
    auto weight = [&](std::size_t k) {
        const double q = sMin / sigma[k];
        return q * q;
    };
    double sw = 0, swx = 0, swy = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (!usable(k)) continue;
        const double w = weight(k);
        sw += w;
        swx += w * x[k];
        swy += w * y[k];
    }
    fit.points = points;
    if (points < std::max(2, minPoints) || !(xMax - xMin >= kOneX) || !(sw > 0)) return fit;

    const double mx = swx / sw, my = swy / sw;
    double sxx = 0, sxy = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (!usable(k)) continue;
        const double w = weight(k), dx = x[k] - mx;
        sxx += w * dx * dx;
        sxy += w * dx * (y[k] - my);
    }
    // Only values near the largest double could overflow the sums above.
    if (!(sxx > 0) || !std::isfinite(sxx) || !std::isfinite(sxy) || !std::isfinite(mx) || !std::isfinite(my))
        return fit;
    const double b = sxy / sxx;
    double chi2 = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (!usable(k)) continue;
        const double r = (y[k] - my - b * (x[k] - mx)) / sigma[k];
        chi2 = curve::addFinite(chi2, r * r);
    }
    // Var(slope) = 1 / sum of true weights x dx^2 = sMin^2 / sxx.
    double err = sMin / std::sqrt(sxx);
    if (points > 2) {
        fit.reducedChi2 = finite(chi2 / (points - 2));
        if (fit.reducedChi2 > 1) {
            err *= std::sqrt(fit.reducedChi2);
            fit.birgeScaled = true;
        }
    }
    fit.slope = finite(b);
    fit.slopeError = finite(err);
    fit.intercept = finite(my - b * mx);
    return fit;
}

ExponentFit exponentFit(const LineFit& line)
{
    ExponentFit f;
    f.points = line.points;
    if (!line.slope) return f;
    f.slope = line.slope;
    f.slopeError = line.slopeError;
    f.exponent = curve::finite(1 - 2 * *line.slope);
    f.exponentError = curve::finite(2 * line.slopeError);
    f.intercept = line.intercept;
    f.reducedChi2 = line.reducedChi2;
    f.birgeScaled = line.birgeScaled;
    return f;
}

}  // namespace orb
