#include "engine/PullSplit.h"

#include <cmath>

namespace orb {

namespace {

// The rows s whose range costs c pairs among m: the root of
// (1/2 - kOneSide) s^2 + kOneSide m s = c, written so as not to cancel.
double rowsFor(double c, double m)
{
    const double a = 0.5 - Balance::kOneSide, b = Balance::kOneSide * m;
    const double d = b * b + 4 * a * c;
    if (!(d > 0)) return m;  // past the largest cost of any range
    return std::min(m, 2 * c / (b + std::sqrt(d)));
}

}  // namespace

void Balance::cut(int m, int workers, std::array<int, kMaxWorkers + 1>& cuts) const
{
    workers = std::clamp(workers, 1, kMaxWorkers);
    // Workers not timed yet count as fast as the others are on average.
    double known = 0;
    int timed = 0;
    for (int w = 0; w < workers; ++w)
        if (speed_[static_cast<std::size_t>(w)] > 0) known += speed_[static_cast<std::size_t>(w)], ++timed;
    const double usual = timed > 0 ? known / timed : 1;
    auto speedOf = [&](int w) {
        const double v = speed_[static_cast<std::size_t>(w)];
        return v > 0 ? v : usual;
    };
    // The time t at which ranges of cost t x speed add up to the m rows.
    const double dm = m;
    double lo = 0, hi = 0;
    for (int w = 0; w < workers; ++w) hi = std::max(hi, cost(dm, dm) / speedOf(w));
    for (int i = 0; i < 60; ++i) {
        const double t = (lo + hi) / 2;
        double rows = 0;
        for (int w = 0; w < workers; ++w) rows += rowsFor(t * speedOf(w), dm);
        (rows < dm ? lo : hi) = t;
    }
    double sum = 0;
    cuts[0] = 0;
    for (int w = 0; w < workers; ++w) {
        sum += rowsFor(hi * speedOf(w), dm);
        const int c = static_cast<int>(std::lround(sum / 8)) * 8;
        cuts[static_cast<std::size_t>(w) + 1] = w + 1 == workers ? m : std::clamp(c, cuts[static_cast<std::size_t>(w)], m);
    }
}

void Balance::took(int w, int s, int m, double seconds)
{
    // Ranges too small to time well teach nothing.
    if (w < 0 || w >= kMaxWorkers || s < 32 || !(seconds > 0) || !std::isfinite(seconds)) return;
    double& v = speed_[static_cast<std::size_t>(w)];
    double sample = cost(s, m) / seconds;
    if (v == 0) {
        v = sample;
        return;
    }
    // One tick held up (the thread put aside for another program) moves the
    // cut a little only.
    sample = std::clamp(sample, v / 2, 2 * v);
    v = 0.8 * v + 0.2 * sample;
}

}  // namespace orb
