#pragma once
// The rotation curve over a whole run, so that one can watch it form and
// oscillate: at each record the fitted slope and the mean star speed in
// kBins radial bins around the centre.
//
// Bounded memory for a run of any length: at most kCapacity samples are kept.
// Each sample merges `stride()` consecutive records (1 at first). When the
// samples fill up, neighbouring pairs are merged into one and the stride
// doubles, so the samples always span the whole run at an even resolution; the
// last sample may still be filling and then holds fewer records. Merging adds
// sums and counts, so a merged sample holds exactly what the records it spans
// would give together.
//
// The bins cover radii 0..binRange() in kBins equal steps. The range is set by
// the first record holding a star to the smallest kFirstRange x 2^k that holds
// the farthest star, and doubles whenever a later record holds a star beyond
// it, up to kMaxRange; each doubling merges neighbouring bins of every sample
// kept, so old and new samples share the bins. Stars beyond kMaxRange (far out
// of the field) are only counted, in `beyond`. The range never shrinks within a
// run; clear() starts a new one.
//
// Speeds are binned as the curve gives them at each record: positive in the
// sense of the stars' total angular momentum at that moment.
//
// The whole store is allocated once, when the object is built: kCapacity
// samples of about 460 bytes, some 230 KB.

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "curve/RotationCurve.h"

namespace orb {

inline constexpr int kCurveBins = 24;

struct HistorySample {
    std::int64_t firstTick = 0, lastTick = 0;  // ticks of the first and last record merged in
    std::int64_t records = 0;                   // records merged into it
    std::int64_t slopeRecords = 0;              // of them, those with a slope
    double slopeSum = 0, slopeMin = 0, slopeMax = 0;  // over the records with a slope
    std::array<double, kCurveBins> speedSum{};  // star speeds, summed over the records
    std::array<std::int64_t, kCurveBins> count{};  // star observations in each bin
    std::int64_t beyond = 0;                    // star observations beyond the bins

    // The mean slope of the records that had one.
    std::optional<double> slope() const;
    // The mean star speed in bin b; none when no star fell in it.
    std::optional<double> binMean(int b) const;
    // Stars per record in bin b.
    double binStars(int b) const;
};

class CurveHistory {
public:
    static constexpr int kBins = kCurveBins;
    static constexpr int kCapacity = 512;
    static constexpr double kFirstRange = 512;    // twips
    static constexpr double kMaxRange = 65536;    // kFirstRange x 2^7

    CurveHistory();

    // Forgets everything: a new run starts.
    void clear();
    // Adds the curve as it stands at `tick`. The caller decides how often.
    // The slope recorded is the curve's per-star one, or the one given (the
    // binned slope, BinnedCurve::fit().slope; none: no slope this time).
    void record(std::int64_t tick, const RotationCurve& curve);
    void record(std::int64_t tick, const RotationCurve& curve, std::optional<double> slope);

    int size() const { return stored_ + (pendingOpen() ? 1 : 0); }
    bool empty() const { return size() == 0; }
    const HistorySample& operator[](int i) const { return samples_[static_cast<std::size_t>(i)]; }
    // The first and the latest sample (a blank one while empty).
    const HistorySample& front() const { return samples_.front(); }
    const HistorySample& back() const { return samples_[static_cast<std::size_t>(std::max(0, size() - 1))]; }

    // Records merged into each full sample.
    std::int64_t stride() const { return stride_; }
    // The outer edge of the last bin, twips; 0 until a record held a star.
    double binRange() const { return range_; }
    double binWidth() const { return range_ / kBins; }

private:
    bool pendingOpen() const { return samples_[static_cast<std::size_t>(stored_)].records > 0; }
    void growRange(double farthest);
    void add(HistorySample& into, std::int64_t tick, const RotationCurve& curve, std::optional<double> slope) const;

    std::vector<HistorySample> samples_;  // kCapacity; [stored_] is the one filling
    int stored_ = 0;
    std::int64_t stride_ = 1;
    double range_ = 0;
};

// Merges b (the later) into a.
void mergeSamples(HistorySample& a, const HistorySample& b);

}  // namespace orb
