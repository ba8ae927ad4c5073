#include "curve/BinnedCurve.h"

#include <algorithm>
#include <cmath>

#include "curve/Finite.h"

namespace orb {

namespace {

// How far a bin's stars stray from circular orbits: the tangential dispersion
// and the rms radial speed together. A bin of stars that all swing through
// their turning points at once (a ring launched on circles under another law)
// has no tangential spread, yet does not show the circular speed there; its
// radial motion says so.
double randomMotion(const CurveBin& c)
{
    return curve::length(c.sigmaTangential, c.sigmaRadial);
}

}  // namespace


using curve::addFinite;
using curve::finite;

namespace {

// 2^(k / 4) for k = 0..3, so that every edge is an exact power-of-two multiple
// of one of four numbers.
constexpr double kQuarterOctaves[BinnedCurve::kBinsPerOctave] = {1.0, 1.189207115002721, 1.4142135623730951,
                                                                 1.681792830507429};

}  // namespace

double BinnedCurve::binEdge(int k)
{
    k = std::clamp(k, 0, kBins);
    return std::ldexp(kInnerRadius * kQuarterOctaves[k % kBinsPerOctave], k / kBinsPerOctave);
}

int BinnedCurve::binOf(double radius)
{
    if (!(radius >= kInnerRadius) || !(radius < kOuterRadius)) return -1;
    int k = std::clamp(static_cast<int>(kBinsPerOctave * std::log2(radius / kInnerRadius)), 0, kBins - 1);
    // The logarithm may land a rounding off an edge: the edges decide.
    while (k > 0 && radius < binEdge(k)) --k;
    while (k < kBins - 1 && radius >= binEdge(k + 1)) ++k;
    return k;
}

bool BinnedCurve::nearCircular(const StarPoint& s, std::optional<double> exponent)
{
    if (!(s.speed > 0) || !(std::fabs(s.radialSpeed) <= kNearCircularRatio * s.speed) || !exponent) return false;
    const double e = *exponent;
    if (e <= 1) return true;
    // Lengths, not squares: nothing overflows.
    return curve::length(s.speed, s.radialSpeed) < finite(s.circular * std::sqrt(2 / (e - 1)));
}

BinnedCurve::BinnedCurve() : ring_(kCapacity) { bins_.reserve(kBins); }

void BinnedCurve::clear()
{
    head_ = 0;
    count_ = 0;
    zone_ = 0;
    latestStars_ = 0;
    bins_.clear();
    fit_ = BinnedFit{};
}

std::int64_t BinnedCurve::firstTick() const { return count_ > 0 ? at(0).tick : 0; }

std::int64_t BinnedCurve::lastTick() const { return count_ > 0 ? at(count_ - 1).tick : 0; }

void BinnedCurve::setWindow(std::int64_t ticks)
{
    window_ = std::max<std::int64_t>(1, ticks);
    if (count_ == 0) return;
    dropOld();
    evaluate();
}

void BinnedCurve::dropOld()
{
    // Ticks never fall within the window (an earlier tick clears it), so the
    // unsigned difference is the true age, whatever the ticks' size.
    const auto now = static_cast<std::uint64_t>(lastTick());
    while (count_ > 1 && now - static_cast<std::uint64_t>(at(0).tick) >= static_cast<std::uint64_t>(window_)) {
        head_ = (head_ + 1) % kCapacity;
        --count_;
    }
}

void BinnedCurve::record(std::int64_t tick, const RotationCurve& curve, bool nearCircularOnly)
{
    if (nearCircularOnly != nearCircular_ || (count_ > 0 && tick < lastTick())) clear();
    nearCircular_ = nearCircularOnly;
    if (count_ == 0 || tick != lastTick()) {
        if (count_ == kCapacity) {
            head_ = (head_ + 1) % kCapacity;
            --count_;
        }
        ++count_;
    }
    Record& r = at(count_ - 1);
    r.tick = tick;
    r.bins.fill(BinSums{});

    zone_ = curve.zoneRadius();
    latestStars_ = 0;
    const std::optional<double> e = curve.exponent();
    for (const StarPoint& s : curve.stars()) {
        if (!(s.radius > zone_)) continue;
        if (nearCircularOnly && !nearCircular(s, e)) continue;
        const int b = binOf(s.radius);
        if (b < 0) continue;
        BinSums& into = r.bins[static_cast<std::size_t>(b)];
        ++into.count;
        into.radius = addFinite(into.radius, s.radius);
        into.speed = addFinite(into.speed, s.speed);
        into.speed2 = addFinite(into.speed2, finite(s.speed * s.speed));
        into.radial2 = addFinite(into.radial2, finite(s.radialSpeed * s.radialSpeed));
        ++latestStars_;
    }
    dropOld();
    evaluate();
}

void BinnedCurve::evaluate()
{
    std::array<BinSums, kBins> total{};
    std::array<std::int64_t, kBins> count{};
    for (int k = 0; k < count_; ++k) {
        const Record& r = at(k);
        for (std::size_t b = 0; b < static_cast<std::size_t>(kBins); ++b) {
            const BinSums& s = r.bins[b];
            if (s.count == 0) continue;
            count[b] += s.count;
            total[b].radius = addFinite(total[b].radius, s.radius);
            total[b].speed = addFinite(total[b].speed, s.speed);
            total[b].speed2 = addFinite(total[b].speed2, s.speed2);
            total[b].radial2 = addFinite(total[b].radial2, s.radial2);
        }
    }
    const Record& latest = at(count_ - 1);
    const double records = count_;
    bins_.clear();
    for (int b = 0; b < kBins; ++b) {
        const std::size_t i = static_cast<std::size_t>(b);
        if (count[i] == 0) continue;
        const double n = static_cast<double>(count[i]);
        CurveBin c;
        c.index = b;
        c.inner = binEdge(b);
        c.outer = binEdge(b + 1);
        c.radius = finite(total[i].radius / n);
        c.speed = finite(total[i].speed / n);
        // E[v^2] - E[v]^2, never below 0 for a rounding.
        const double variance = finite(total[i].speed2 / n - finite(c.speed * c.speed));
        c.sigmaTangential = variance > 0 ? std::sqrt(variance) : 0.0;
        c.sigmaRadial = std::sqrt(finite(total[i].radial2 / n));
        c.stars = n / records;
        c.latestStars = latest.bins[i].count;
        c.lone = c.stars < kLoneStars;
        c.speedError = finite(randomMotion(c) / std::sqrt(c.stars));
        bins_.push_back(c);
    }

    // The scatter of one star about the curve: the median sigma_t / v of the
    // bins with enough stars to have a dispersion.
    std::array<double, kBins> scatter{};
    std::size_t m = 0;
    for (const CurveBin& c : bins_)
        if (!c.lone && c.speed > 0) scatter[m++] = finite(randomMotion(c) / c.speed);
    double loneRelative = kLoneRelativeError;
    if (m > 0) {
        const auto mid = scatter.begin() + static_cast<std::ptrdiff_t>(m / 2);
        std::nth_element(scatter.begin(), mid, scatter.begin() + static_cast<std::ptrdiff_t>(m));
        loneRelative = *mid;
        if (m % 2 == 0) loneRelative = loneRelative / 2 + *std::max_element(scatter.begin(), mid) / 2;
    }
    for (CurveBin& c : bins_) {
        const double v = std::fabs(c.speed);
        double floor = kMinRelativeError * v;
        if (c.lone) floor = std::max(floor, finite(loneRelative * v));
        c.speedError = std::max(c.speedError, floor);
    }
    fitBins();
}

void BinnedCurve::fitBins()
{
    std::array<double, kBins> x{}, y{}, sigma{};
    std::size_t n = 0;
    for (CurveBin& c : bins_) {
        c.fitted = false;
        if (!(c.speed > 0) || !(c.stars >= kMinFitStarsPerRecord)) continue;
        const double s = c.speedError / c.speed;
        if (!(s > 0) || !std::isfinite(s)) continue;
        // Both positive and finite: the logarithms are finite.
        x[n] = std::log(c.radius);
        y[n] = std::log(c.speed);
        sigma[n] = s;
        ++n;
        c.fitted = true;
    }
    const LineFit line = weightedLineFit(std::span(x).first(n), std::span(y).first(n), std::span(sigma).first(n),
                                         kMinFitBins);
    fit_ = BinnedFit{};
    static_cast<ExponentFit&>(fit_) = exponentFit(line);
    fit_.points = static_cast<int>(n);
    for (const CurveBin& c : bins_)
        if (c.fitted) fit_.stars += c.latestStars;
    if (!line.slope)
        for (CurveBin& c : bins_) c.fitted = false;
}

}  // namespace orb
