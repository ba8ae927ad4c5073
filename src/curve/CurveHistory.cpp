#include "curve/CurveHistory.h"

#include <algorithm>

#include "curve/Finite.h"

namespace orb {

using curve::addFinite;

std::optional<double> HistorySample::slope() const
{
    if (slopeRecords == 0) return std::nullopt;
    return slopeSum / static_cast<double>(slopeRecords);
}

std::optional<double> HistorySample::binMean(int b) const
{
    const std::int64_t n = count[static_cast<std::size_t>(b)];
    if (n == 0) return std::nullopt;
    return speedSum[static_cast<std::size_t>(b)] / static_cast<double>(n);
}

double HistorySample::binStars(int b) const
{
    return records == 0 ? 0.0 : static_cast<double>(count[static_cast<std::size_t>(b)]) / static_cast<double>(records);
}

void mergeSamples(HistorySample& a, const HistorySample& b)
{
    if (b.records == 0) return;
    if (a.records == 0) {
        a = b;
        return;
    }
    a.lastTick = b.lastTick;
    a.records += b.records;
    if (b.slopeRecords > 0) {
        a.slopeMin = a.slopeRecords > 0 ? std::min(a.slopeMin, b.slopeMin) : b.slopeMin;
        a.slopeMax = a.slopeRecords > 0 ? std::max(a.slopeMax, b.slopeMax) : b.slopeMax;
        a.slopeRecords += b.slopeRecords;
        a.slopeSum = addFinite(a.slopeSum, b.slopeSum);
    }
    for (int k = 0; k < kCurveBins; ++k) {
        a.speedSum[k] = addFinite(a.speedSum[k], b.speedSum[k]);
        a.count[k] += b.count[k];
    }
    a.beyond += b.beyond;
}

CurveHistory::CurveHistory() : samples_(kCapacity) {}

void CurveHistory::clear()
{
    stored_ = 0;
    stride_ = 1;
    range_ = 0;
    samples_[0] = HistorySample{};
}

void CurveHistory::growRange(double farthest)
{
    if (range_ == 0) {
        double r = kFirstRange;
        while (r < farthest && r < kMaxRange) r *= 2;
        range_ = r;
        return;
    }
    int shift = 0;
    double r = range_;
    while (r < farthest && r < kMaxRange) {
        r *= 2;
        ++shift;
    }
    if (shift == 0) return;
    range_ = r;
    // Every doubling halves the bins: old bin b falls into new bin b >> shift.
    for (int s = 0; s < size(); ++s) {
        HistorySample& h = samples_[static_cast<std::size_t>(s)];
        for (int b = 1; b < kBins; ++b) {
            const int to = b >> shift;
            if (to == b) continue;
            h.speedSum[to] = addFinite(h.speedSum[to], h.speedSum[b]);
            h.count[to] += h.count[b];
            h.speedSum[b] = 0;
            h.count[b] = 0;
        }
    }
}

void CurveHistory::add(HistorySample& into, std::int64_t tick, const RotationCurve& curve,
                       std::optional<double> slope) const
{
    if (into.records == 0) into.firstTick = tick;
    into.lastTick = tick;
    ++into.records;
    if (slope) {
        const double s = curve::finite(*slope);
        into.slopeMin = into.slopeRecords > 0 ? std::min(into.slopeMin, s) : s;
        into.slopeMax = into.slopeRecords > 0 ? std::max(into.slopeMax, s) : s;
        into.slopeSum = addFinite(into.slopeSum, s);
        ++into.slopeRecords;
    }
    for (const StarPoint& s : curve.stars()) {
        if (!(s.radius <= range_)) {
            ++into.beyond;
            continue;
        }
        // range_ is at most kMaxRange, so the index is small and whole.
        const int b = std::min(kBins - 1, static_cast<int>(s.radius / range_ * kBins));
        into.speedSum[b] = addFinite(into.speedSum[b], s.speed);
        ++into.count[b];
    }
}

void CurveHistory::record(std::int64_t tick, const RotationCurve& curve) { record(tick, curve, curve.slope().slope); }

void CurveHistory::record(std::int64_t tick, const RotationCurve& curve, std::optional<double> slope)
{
    if (!curve.samples().empty()) growRange(curve.samples().back().radius);
    add(samples_[static_cast<std::size_t>(stored_)], tick, curve, slope);
    if (samples_[static_cast<std::size_t>(stored_)].records < stride_) return;
    ++stored_;
    if (stored_ == kCapacity) {
        for (int k = 0; k < kCapacity / 2; ++k) {
            HistorySample merged = samples_[static_cast<std::size_t>(2 * k)];
            mergeSamples(merged, samples_[static_cast<std::size_t>(2 * k + 1)]);
            samples_[static_cast<std::size_t>(k)] = merged;
        }
        stored_ = kCapacity / 2;
        stride_ *= 2;
    }
    samples_[static_cast<std::size_t>(stored_)] = HistorySample{};
}

}  // namespace orb
