#include "curve/Acceleration.h"

#include <cmath>

#include "curve/Finite.h"

namespace orb {

using curve::finite;

double observedAcceleration(double speed, double radius)
{
    if (!(radius > 0)) return 0;
    // v (v / r): no square to overflow before the division.
    const double v = std::fabs(finite(speed));
    return finite(v * finite(v / finite(radius)));
}

double newtonAcceleration(double enclosed, double radius)
{
    if (!(radius > 0)) return 0;
    const double r = finite(radius);
    return finite(finite(10000 * (finite(enclosed) / r)) / r);
}

double dynamicalMass(double speed, double radius, std::optional<double> exponent, double pullFactor)
{
    if (!exponent || !(radius > 0) || !(pullFactor > 0)) return 0;
    const double v = finite(speed);
    const double rPow = finite(std::pow(finite(radius), *exponent - 1));
    return finite(finite(finite(v * v) * rPow) / finite(10000 * finite(pullFactor)));
}

double mlsAcceleration(double gBar, double gDagger)
{
    if (!(gBar > 0)) return 0;
    if (!(gDagger > 0) || !std::isfinite(gDagger)) return finite(gBar);
    const double x = std::sqrt(finite(gBar) / gDagger);
    // 1 - exp(-x) without losing its digits at small x, where the relation
    // tends to sqrt(g_bar g_dagger).
    const double d = -std::expm1(-x);
    return d > 0 ? finite(finite(gBar) / d) : 0.0;
}

std::vector<AccelerationSample> mlsCurve(double gBarLow, double gBarHigh, int points, double gDagger)
{
    std::vector<AccelerationSample> out;
    if (!(gBarLow > 0) || !(gBarHigh >= gBarLow) || !std::isfinite(gBarHigh) || points < 2) return out;
    out.reserve(static_cast<std::size_t>(points));
    const double a = std::log(gBarLow), b = std::log(gBarHigh);
    for (int k = 0; k < points; ++k) {
        const double g = k == 0 ? gBarLow : k == points - 1 ? gBarHigh : std::exp(a + (b - a) * k / (points - 1));
        out.push_back({g, mlsAcceleration(g, gDagger)});
    }
    return out;
}

double accelerationScale(const ObservedScale& scale)
{
    if (!(scale.twipsPerKpc > 0)) return 0;
    return finite(finite(scale.speedPerKms * scale.speedPerKms) / scale.twipsPerKpc);
}

double mlsGDagger(const ObservedScale& scale) { return finite(kMlsGDagger / kKms2PerKpc * accelerationScale(scale)); }

std::vector<ObservedAcceleration> observedAccelerations(std::span<const ObservedRow> rows,
                                                        const ObservedScale& scale)
{
    std::vector<ObservedAcceleration> out;
    out.reserve(rows.size());
    const double k = accelerationScale(scale);
    for (const ObservedRow& r : rows) {
        if (!(r.radiusKpc > 0)) continue;
        const double rk = finite(r.radiusKpc);
        ObservedAcceleration a;
        a.radius = finite(rk * scale.twipsPerKpc);
        a.gBar = finite(finite(visibleSpeedSquared(r) / rk) * k);
        a.gObs = finite(observedAcceleration(r.speedKms, rk) * k);
        a.gObsError = finite(finite(2 * finite(r.speedKms) * finite(finite(r.errorKms) / rk)) * k);
        out.push_back(a);
    }
    return out;
}

RadialAcceleration::RadialAcceleration()
{
    stars_.reserve(kSlots);
    bins_.reserve(BinnedCurve::kBins);
}

void RadialAcceleration::update(const RotationCurve& curve)
{
    stars_.clear();
    bins_.clear();
    const double zone = curve.zoneRadius();
    for (const StarPoint& s : curve.stars()) {
        if (!(s.radius > zone) || !(s.speed > 0) || !(s.radius > 0)) continue;
        AccelerationPoint p;
        p.body = s.body;
        p.radius = s.radius;
        p.speed = s.speed;
        p.gBar = newtonAcceleration(s.enclosed, s.radius);
        p.gObs = observedAcceleration(s.speed, s.radius);
        p.dynamical = dynamicalMass(s.speed, s.radius, curve.exponent(), curve.pullFactor());
        p.attracting = s.enclosed;
        stars_.push_back(p);
    }
}

void RadialAcceleration::update(const RotationCurve& curve, const BinnedCurve& binned)
{
    update(curve);
    for (const CurveBin& c : binned.bins()) {
        if (!(c.speed > 0)) continue;
        AccelerationPoint p;
        p.radius = c.radius;
        p.speed = c.speed;
        p.attracting = curve.enclosedAt(c.radius);
        p.gBar = newtonAcceleration(p.attracting, c.radius);
        p.gObs = observedAcceleration(c.speed, c.radius);
        p.gObsError = finite(2 * finite(c.speed * finite(c.speedError / c.radius)));
        p.dynamical = dynamicalMass(c.speed, c.radius, curve.exponent(), curve.pullFactor());
        bins_.push_back(p);
    }
}

}  // namespace orb
