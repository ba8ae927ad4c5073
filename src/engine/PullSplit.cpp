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

int roundTo8(double v) { return static_cast<int>(std::lround(v / 8)) * 8; }

}  // namespace

void Balance::cut(int m, int workers, std::array<int, kMaxWorkers + 1>& cuts, int& strip) const
{
    workers = std::clamp(workers, 1, kMaxWorkers);
    cuts[0] = 0;
    if (workers == 2 && cutTwo(m, cuts, strip)) return;
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
    for (int i = 0; i < 32; ++i) {  // to a few millionths of the range
        const double t = (lo + hi) / 2;
        double rows = 0;
        for (int w = 0; w < workers; ++w) rows += rowsFor(t * speedOf(w), dm);
        (rows < dm ? lo : hi) = t;
    }
    double sum = 0;
    for (int w = 0; w < workers; ++w) {
        sum += rowsFor(hi * speedOf(w), dm);
        cuts[static_cast<std::size_t>(w) + 1] =
            w + 1 == workers ? m : std::clamp(roundTo8(sum), cuts[static_cast<std::size_t>(w)], m);
    }
    strip = cuts[1];
}

bool Balance::cutTwo(int m, std::array<int, kMaxWorkers + 1>& cuts, int& strip) const
{
    if (m < 64) return false;
    // Worker 0 takes rows 0 .. k - 1 and the strip up to j, worker 1 the rest.
    // With a, b, c, d the speeds of the parts (kCornerAndStrip, kRows,
    // kColumns, kCorner), each in its own pairs a second, worker 1 neither
    // waits for the strip nor is kept waiting for it when
    //   (k^2 / 2 + k (j - k)) / a = k (m - j) / c,
    // and both finish together when besides
    //   k (m - j) / b = (m - k)^2 / 2 / d.
    // So j = (m a/c + k/2) / (1 + a/c), and 2 k m - k^2 = (b/d) (1 + a/c) (m - k)^2,
    // which has one root between 0 and m.
    auto part = [&](Part p) {
        const double v = partSpeed_[p];
        return v > 0 ? v : 1;
    };
    const double dm = m, ac = part(kCornerAndStrip) / part(kColumns), bd = part(kRows) / part(kCorner);
    auto f = [&](double k) { return 2 * k * dm - k * k - bd * (1 + ac) * (dm - k) * (dm - k); };
    double klo = 0, khi = dm;
    for (int i = 0; i < 32; ++i) {
        const double k = (klo + khi) / 2;
        (f(k) < 0 ? klo : khi) = k;
    }
    const double j = (dm * ac + khi / 2) / (1 + ac);
    const int k8 = std::clamp(roundTo8(khi), 8, m), j8 = std::clamp(roundTo8(j), k8, m);
    if (!(j > khi) || k8 >= m) return false;  // no strip pays: ranges by the workers' speeds
    cuts[1] = k8;
    cuts[2] = m;
    strip = j8;
    return true;
}

void Balance::learn(double& v, double pairs, double seconds)
{
    // Jobs too small to time well teach nothing.
    if (!(pairs >= 4096) || !(seconds > 0) || !std::isfinite(seconds)) return;
    double sample = pairs / seconds;
    if (v == 0) {
        v = sample;
        return;
    }
    // One tick held up (the thread put aside for another program) moves the
    // cut a little only.
    sample = std::clamp(sample, v / 2, 2 * v);
    v = 0.8 * v + 0.2 * sample;
}

void Balance::took(int w, double pairs, double seconds)
{
    if (w >= 0 && w < kMaxWorkers) learn(speed_[static_cast<std::size_t>(w)], pairs, seconds);
}

void Balance::tookPart(Part part, double pairs, double seconds)
{
    if (part >= 0 && part < kParts) learn(partSpeed_[part], pairs, seconds);
}

}  // namespace orb
