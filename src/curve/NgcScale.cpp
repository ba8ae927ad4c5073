#include "curve/NgcScale.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "curve/Finite.h"

namespace orb {

using curve::finite;

namespace {

ObservedScale defaultScale()
{
    ObservedScale s;
    s.twipsPerKpc = kDefaultTwipsPerKpc;
    s.speedPerKms = kDefaultSpeedPerKms;
    return s;
}

// The row farthest out with a finite radius; nullptr when there is none.
const ObservedRow* outermost(std::span<const ObservedRow> rows)
{
    const ObservedRow* out = nullptr;
    for (const ObservedRow& r : rows)
        if (r.radiusKpc > 0 && std::isfinite(r.radiusKpc) && (!out || r.radiusKpc > out->radiusKpc)) out = &r;
    return out;
}

}  // namespace

ObservedScale fixedNgcScale(std::span<const ObservedRow> rows, const RotationCurve& curve)
{
    ObservedScale s = defaultScale();
    s.observedRows = static_cast<int>(rows.size());
    std::vector<double> radii;
    radii.reserve(curve.stars().size());
    for (const StarPoint& p : curve.stars())
        if (p.radius > curve.zoneRadius()) radii.push_back(p.radius);
    s.simulatedPoints = static_cast<int>(radii.size());
    const ObservedRow* out = outermost(rows);
    if (radii.empty() || !out) return s;

    // The nearest-rank percentile: the smallest radius with at least 95% of
    // the stars at or inside it.
    const auto rank = static_cast<std::size_t>(std::ceil(kNgcEdgePercentile * static_cast<double>(radii.size())));
    const auto at = radii.begin() + static_cast<std::ptrdiff_t>(std::max<std::size_t>(rank, 1) - 1);
    std::nth_element(radii.begin(), at, radii.end());
    const double edge = *at;
    const double newton = RotationCurve::circularSpeed(curve.attractingGravity(), edge, 2);
    const double visible = visibleSpeed(*out);

    const double twipsPerKpc = finite(edge / out->radiusKpc);
    const double speedPerKms = finite(newton / visible);
    if (!(twipsPerKpc > 0) || !(speedPerKms > 0) || !(visible > 0)) return s;
    s.twipsPerKpc = twipsPerKpc;
    s.speedPerKms = speedPerKms;
    s.edgeRadius = edge;
    s.edgeSpeed = newton;
    s.matched = true;
    return s;
}

NgcScaleKeeper::NgcScaleKeeper() : scale_(defaultScale()) {}

bool NgcScaleKeeper::update(std::span<const ObservedRow> rows, const RotationCurve& curve)
{
    if (!pending_) return false;
    const ObservedScale s = fixedNgcScale(rows, curve);
    if (!s.matched) return false;
    pending_ = false;
    const bool changed = s.twipsPerKpc != scale_.twipsPerKpc || s.speedPerKms != scale_.speedPerKms;
    scale_ = s;
    return changed;
}

double ngcOuterSpeedRatio(std::span<const ObservedRow> rows)
{
    const ObservedRow* out = outermost(rows);
    if (!out) return 0;
    const double visible = visibleSpeed(*out);
    return visible > 0 ? finite(out->speedKms / visible) : 0.0;
}

ExponentFit ngcOuterExponent(std::span<const ObservedRow> rows, double fromKpc)
{
    std::vector<double> x, y, sigma;
    for (const ObservedRow& r : rows) {
        if (!(r.radiusKpc > fromKpc) || !(r.speedKms > 0) || !std::isfinite(r.radiusKpc) ||
            !std::isfinite(r.speedKms))
            continue;
        x.push_back(std::log(r.radiusKpc));
        y.push_back(std::log(r.speedKms));
        sigma.push_back(r.errorKms / r.speedKms);  // 0 or not finite: left out by the fit
    }
    return exponentFit(weightedLineFit(x, y, sigma));
}

}  // namespace orb
