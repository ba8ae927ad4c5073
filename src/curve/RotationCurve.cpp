#include "curve/RotationCurve.h"

#include <algorithm>
#include <cmath>

#include "curve/Finite.h"

namespace orb {

namespace {
constexpr double kOneRadius = 1e-9;  // spread of ln r below which the radii count as one
}  // namespace

using curve::addFinite;
using curve::finite;

RotationCurve::RotationCurve()
{
    stars_.reserve(kSlots);
    starGravity_.reserve(kSlots);
    byRadius_.reserve(kSlots);
    fitX_.reserve(kSlots);
    fitY_.reserve(kSlots);
    samples_.reserve(kSamples);
}

double RotationCurve::circularSpeed(double enclosed, double radius, double exponent, double pullFactor)
{
    if (!(enclosed > 0) || !(radius > 0) || std::isnan(exponent) || !(pullFactor > 0)) return 0;
    // 100 sqrt(f) sqrt(M) rather than sqrt(10000 f M): the latter overflows for huge M.
    double root = 100 * std::sqrt(finite(enclosed));
    if (pullFactor != 1) root = finite(root * std::sqrt(finite(pullFactor)));
    const double r = finite(radius);
    if (exponent == 2) return finite(root / std::sqrt(r));
    if (exponent == 1) return root;
    return finite(root * std::pow(r, (1 - exponent) / 2));
}

void RotationCurve::update(const World& w, double exponent, double planetoidFactor, double pullFactor)
{
    const int last = w.bodyCount > kMaxBody ? kMaxBody : (w.bodyCount < -1 ? -1 : w.bodyCount);
    // Bodies numbered up to jMax attract, exactly as the tick decides it.
    const double pf = planetoidFactor;
    const int jMax = !(pf < last) ? last : (pf < 0 ? -1 : static_cast<int>(std::floor(pf)));

    if (std::isnan(exponent))
        exponent_.reset();
    else
        exponent_ = finite(exponent);
    pullFactor_ = finite(pullFactor);

    findCentre(w, last);
    centralGravity_ = 0;
    pairRadius_ = 0;
    for (int i = 0; i <= std::min(2, last); ++i) {
        if (w.outOfPlay[i] != 0) continue;
        if (i <= jMax) centralGravity_ = addFinite(centralGravity_, finite(w.gravity[i]));
        if (i > 0)
            pairRadius_ = std::max(pairRadius_, curve::length(finite(finite(w.posX[i]) - centre_.x),
                                                              finite(finite(w.posY[i]) - centre_.y)));
    }
    zoneRadius_ = finite(kZonePairRadii * pairRadius_);

    measureStars(w, last);
    decideSense();
    for (std::size_t k = 0; k < stars_.size(); ++k)
        starGravity_[k] = stars_[k].body <= jMax ? finite(w.gravity[stars_[k].body]) : 0.0;
    addEnclosedGravity();
    sampleCurves();
    fitSlope();
}

void RotationCurve::findCentre(const World& w, int last)
{
    double g[3], x[3], y[3], vx[3], vy[3];
    int n = 0;
    double scale = 0;
    for (int i = 0; i <= std::min(2, last); ++i) {
        if (w.outOfPlay[i] != 0) continue;
        g[n] = finite(w.gravity[i]);
        x[n] = finite(w.posX[i]);
        y[n] = finite(w.posY[i]);
        // Body 0 is never moved by the tick, whatever its momentum says.
        vx[n] = i == 0 ? 0.0 : finite(w.momX[i]);
        vy[n] = i == 0 ? 0.0 : finite(w.momY[i]);
        scale = std::max(scale, std::fabs(g[n]));
        ++n;
    }
    // Weights scaled to at most 1 in size, so that their sum and the weighted
    // sums of places cannot overflow for gravities up to the largest double.
    double sumW = 0;
    for (int k = 0; k < n; ++k) sumW += g[k] / scale;
    if (n == 0 || scale == 0 || !(sumW > 0)) {
        centre_ = {finite(w.posX[0]), finite(w.posY[0]), 0, 0};
        return;
    }
    double sx = 0, sy = 0, svx = 0, svy = 0;
    for (int k = 0; k < n; ++k) {
        const double wk = g[k] / scale;
        sx = addFinite(sx, wk * x[k]);
        sy = addFinite(sy, wk * y[k]);
        svx = addFinite(svx, wk * vx[k]);
        svy = addFinite(svy, wk * vy[k]);
    }
    centre_ = {finite(sx / sumW), finite(sy / sumW), finite(svx / sumW), finite(svy / sumW)};
}

void RotationCurve::measureStars(const World& w, int last)
{
    stars_.clear();
    const CurveCentre c = centre_;
    for (int i = 3; i <= last; ++i) {
        if (w.outOfPlay[i] != 0) continue;
        StarPoint s;
        s.body = static_cast<std::int16_t>(i);
        const double dx = finite(finite(w.posX[i]) - c.x);
        const double dy = finite(finite(w.posY[i]) - c.y);
        s.radius = curve::length(dx, dy);
        if (s.radius > 0) {
            // The unit vector cannot exceed 1 in size, so neither product overflows.
            const double nx = dx / s.radius, ny = dy / s.radius;
            const double ux = finite(finite(w.momX[i]) - c.vx);
            const double uy = finite(finite(w.momY[i]) - c.vy);
            // With y growing downwards, a positive cross product turns clockwise on the screen.
            s.speed = finite(nx * uy - ny * ux);
            s.radialSpeed = finite(nx * ux + ny * uy);
        }
        stars_.push_back(s);
    }
    starGravity_.resize(stars_.size());
}

void RotationCurve::decideSense()
{
    // A star's angular momentum per unit mass is dx uy - dy ux = radius x its
    // signed tangential speed. Each term is summed divided by the largest radius
    // and the largest speed, so it is at most 1 in size and the sum of at most
    // a thousand of them can neither overflow nor become NaN; dividing every
    // term by the same positive numbers keeps the sign of the sum, and two
    // stars that mirror each other still cancel exactly.
    double rMax = 0, vMax = 0;
    for (const StarPoint& s : stars_) {
        rMax = std::max(rMax, s.radius);
        vMax = std::max(vMax, std::fabs(s.speed));
    }
    double sum = 0;
    if (rMax > 0 && vMax > 0)
        for (const StarPoint& s : stars_) sum += (s.radius / rMax) * (s.speed / vMax);
    if (sum > 0) sense_ = 1;
    if (sum < 0) sense_ = -1;
    if (sense_ < 0)
        for (StarPoint& s : stars_) s.speed = -s.speed;
}

void RotationCurve::addEnclosedGravity()
{
    const std::size_t n = stars_.size();
    byRadius_.resize(n);
    for (std::size_t k = 0; k < n; ++k) byRadius_[k] = static_cast<std::uint16_t>(k);
    // Ties in body order, so the sums below never depend on the sort.
    std::sort(byRadius_.begin(), byRadius_.end(), [this](std::uint16_t a, std::uint16_t b) {
        return stars_[a].radius < stars_[b].radius || (stars_[a].radius == stars_[b].radius && a < b);
    });
    const double e = exponent_ ? *exponent_ : NAN;
    double inside = centralGravity_;
    std::size_t k = 0;
    while (k < n) {
        // Stars at one radius do not count each other: only those strictly nearer.
        const double r = stars_[byRadius_[k]].radius;
        std::size_t end = k;
        while (end < n && stars_[byRadius_[end]].radius == r) {
            StarPoint& s = stars_[byRadius_[end]];
            s.enclosed = inside;
            s.circular = circularSpeed(inside, r, e, pullFactor_);
            ++end;
        }
        for (; k < end; ++k) inside = addFinite(inside, starGravity_[byRadius_[k]]);
    }
    attractingGravity_ = inside;
}

double RotationCurve::enclosedAt(double radius) const
{
    // The first star (by radius) at or beyond `radius` holds exactly the gravity
    // strictly inside it; past the farthest star, everything attracting.
    const auto at = std::lower_bound(byRadius_.begin(), byRadius_.end(), radius,
                                     [this](std::uint16_t k, double r) { return stars_[k].radius < r; });
    return at == byRadius_.end() ? attractingGravity_ : stars_[*at].enclosed;
}

void RotationCurve::sampleCurves()
{
    samples_.clear();
    const std::size_t n = stars_.size();
    if (n == 0) return;
    const double rMax = stars_[byRadius_.back()].radius;
    double rMin = stars_[byRadius_.front()].radius;
    if (zoneRadius_ > rMin && zoneRadius_ < rMax) rMin = zoneRadius_;
    const int count = rMin == rMax ? 1 : kSamples;
    const double span = rMax - rMin;  // both in [0, DBL_MAX]: no overflow
    const double e = exponent_ ? *exponent_ : NAN;
    double inside = centralGravity_;
    std::size_t next = 0;
    for (int q = 0; q < count; ++q) {
        const double r = q == count - 1 ? rMax : std::min(rMax, finite(rMin + span * (q / double(count - 1))));
        while (next < n && stars_[byRadius_[next]].radius < r)
            inside = addFinite(inside, starGravity_[byRadius_[next++]]);
        CurveSample s;
        s.radius = r;
        s.enclosed = inside;
        s.circular = circularSpeed(inside, r, e, pullFactor_);
        s.kepler = circularSpeed(inside, r, 2);
        s.flat = circularSpeed(inside, r, 1);
        s.beyondZone = r >= zoneRadius_;
        samples_.push_back(s);
    }
}

void RotationCurve::fitSlope()
{
    fit_ = SlopeFit{};
    fitX_.clear();
    fitY_.clear();
    double sx = 0, sy = 0;
    double xMin = 0, xMax = 0;
    for (const StarPoint& s : stars_) {
        if (!(s.radius > pairRadius_) || !(s.speed > 0)) continue;
        // Both positive and finite: the logarithms lie within about +-745.
        const double lx = std::log(s.radius), ly = std::log(s.speed);
        if (fitX_.empty()) xMin = xMax = lx;
        xMin = std::min(xMin, lx);
        xMax = std::max(xMax, lx);
        fitX_.push_back(lx);
        fitY_.push_back(ly);
        sx += lx;
        sy += ly;
    }
    const std::size_t n = fitX_.size();
    fit_.stars = static_cast<int>(n);
    // Radii that differ by less than a part in 1e9 are one radius put down with
    // rounding errors: a line through them would be noise. (Caught here, not by
    // a zero spread below, as a mean of equal values may be off by a rounding.)
    if (n < static_cast<std::size_t>(kMinFitStars) || !(xMax - xMin >= kOneRadius)) return;
    const double mx = sx / static_cast<double>(n), my = sy / static_cast<double>(n);
    double sxx = 0, sxy = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const double dx = fitX_[k] - mx;
        sxx += dx * dx;
        sxy += dx * (fitY_[k] - my);
    }
    if (!(sxx > 0)) return;
    const double b = finite(sxy / sxx);
    fit_.slope = b;
    fit_.intercept = finite(my - b * mx);
}

}  // namespace orb
