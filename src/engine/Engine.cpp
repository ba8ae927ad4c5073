#include "engine/Engine.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

#include "engine/PullKernel.h"
#include "platform/Numbers.h"

namespace orb {
namespace {

bool in16(double v) { return v >= -32768.0 && v <= 32767.0; }

double cint(double v)  // nearest, halves to even
{
    return std::nearbyint(v);
}

void plot(Canvas& canvas, double x, double y, Rgb colour)
{
    if (in16(x) && in16(y)) canvas.pset(static_cast<int>(x), static_cast<int>(y), colour);
}

bool finite(double v) { return std::isfinite(v); }

}  // namespace

void Bomb(Canvas& canvas, RandomSource& rnd, const World& w, double x, double y, int kind, int c, int o)
{
    // The origin itself must be a 16-bit point; offsets are then added in
    // 16-bit arithmetic, and a sum that leaves the range is not drawn.
    const bool origin = in16(x) && in16(y);
    switch (kind) {
    case 1:
        if (origin) plot(canvas, x, y, rgbOf(w.colRed[c], w.colGreen[c], w.colBlue[c]));
        break;
    case 2: {
        const double red = cint(w.colRed[c]);
        const double g0 = cint(static_cast<double>(rnd.rnd()) * w.colGreen[c]);
        const double blue = cint(static_cast<double>(rnd.rnd()) * w.colBlue[c]);
        for (int k = 0; k < 4; ++k) {
            const double dx = std::floor(static_cast<double>(rnd.rnd()) * 160) - 80;
            const double dy = std::floor(static_cast<double>(rnd.rnd()) * 160) - 80;
            const double green = cint(g0 * static_cast<double>(rnd.rnd()));
            if (origin) plot(canvas, x + dx, y + dy, rgbOf(red, green, blue));
        }
        break;
    }
    case 3: {
        const double green0 = cint((static_cast<double>(w.colGreen[o]) + w.colGreen[c]) / 2);
        const double blue = cint((static_cast<double>(w.colBlue[o]) + w.colBlue[c]) / 2);
        for (int k = 0; k < 7; ++k) {
            const double dx = std::floor(static_cast<double>(rnd.rnd()) * 400) - 200;
            const double dy = std::floor(static_cast<double>(rnd.rnd()) * 400) - 200;
            const double green = cint(green0 * static_cast<double>(rnd.rnd()));
            if (origin) plot(canvas, x + dx, y + dy, rgbOf(128, green, blue));
        }
        break;
    }
    default:
        break;
    }
}

void Newton(World& w, RandomSource& rnd, int i, double width, double height, bool spin)
{
    if (spin) {
        w.momY[i] = std::floor(rnd.rnd() * static_cast<double>(w.startMomentum)) + w.startMomentumOffset;
        w.momX[i] = std::floor(rnd.rnd() * static_cast<double>(w.startMomentum)) - w.startMomentumOffset;
        w.posX[i] = std::floor(width * 0.3 * rnd.rnd()) + width * 0.6;
        w.posY[i] = std::floor(rnd.rnd() * height * 0.3) + height * 0.1;
    } else {
        w.posX[i] = std::floor((width - 900) * rnd.rnd()) + 900;
        w.posY[i] = std::floor((height - 300) * rnd.rnd());
    }
}

int applyBorder(World& w, RandomSource& rnd, int i, const TickInputs& in)
{
    const int rule = in.borderOption;
    if (rule < 0 || rule > 6) return 0;
    const double W = in.width, H = in.height;
    const float fW = static_cast<float>(W), fBottom = static_cast<float>(H - 300);
    int events = 0;
    double& px = w.posX[i];
    double& py = w.posY[i];
    double& mx = w.momX[i];
    double& my = w.momY[i];
    const double div = w.borderMode == 0 ? 1 : w.borderMode;  // 0 never occurs; never divide by it

    auto chaosY = [&] { py = std::floor((H - 300) * rnd.rnd()); };
    auto chaosX = [&] { px = std::floor((W - 900) * rnd.rnd()) + 900; };

    // Left, right, top, bottom: each test sees what the earlier ones did.
    for (int edge = 0; edge < 4; ++edge) {
        bool fires = false;
        switch (edge) {
        case 0: fires = px < 900; break;
        case 1: fires = static_cast<float>(px) > fW; break;
        case 2: fires = py < 0; break;
        case 3: fires = static_cast<float>(py) > fBottom; break;
        }
        if (!fires) continue;
        const bool horizontal = edge < 2;
        switch (rule) {
        case kSlomo:
        case kWrap:
            if (edge == 0) px = W;
            else if (edge == 1) px = 900;
            else if (edge == 2) py = H - 300;
            else py = 0;
            if (horizontal) mx = mx / div; else my = my / div;
            break;
        case kWall:
        case kComet:
        case kChaos: {
            const double factor = rule == kWall ? 1.0 : 2.0;
            if (horizontal) mx = -mx / factor; else my = -my / factor;
            if (edge == 0) px = 930;
            else if (edge == 1) px = W - 30;
            else if (edge == 2) py = 30;
            else py = H - 330;
            if (rule == kChaos) {
                if (horizontal) chaosY(); else chaosX();
            }
            break;
        }
        case kFourDim:
            Newton(w, rnd, i, W, H, in.spin);
            break;
        case kDie:
            w.outOfPlay[i] = 1;
            if (edge == 0) px = 900;
            else if (edge == 1) px = W;
            else if (edge == 2) py = 0;
            else py = H - 300;
            break;
        }
        w.KlinK();
        ++events;
    }
    return events;
}

void partialCollision(World& w, Canvas& canvas, RandomSource& rnd, int i, int j)
{
    auto kick = [&] {
        double v = std::floor(static_cast<double>(rnd.rnd()) * w.volatilitySpan) - w.volatility;
        return static_cast<double>(toInt16(v).value_or(0));
    };
    const double ex = kick();
    const double ey = kick();
    Bomb(canvas, rnd, w, std::floor(w.posX[j]), std::floor(w.posY[j]), 2, i, j);
    w.momX[j] += ex;
    w.momX[i] -= ex;
    w.momY[j] += ey;
    w.momY[i] -= ey;
}

void mergeBodies(World& w, Canvas& canvas, RandomSource& rnd, int i, int j)
{
    Bomb(canvas, rnd, w, std::floor(w.posX[i]), std::floor(w.posY[i]), 3, j, i);
    const int s = w.gravity[j] > w.gravity[i] ? j : i;
    const int a = s == i ? j : i;
    double total = w.gravity[i] + w.gravity[j];
    if (!finite(total)) total = std::copysign(DBL_MAX, total);
    // Two bodies whose gravities cancel weigh alike.
    double wt = total != 0 ? w.gravity[s] / total : 0.5;
    if (!finite(wt)) wt = 0.5;
    w.gravity[s] = total;
    w.outOfPlay[a] = 1;
    const double mx = (1 - wt) * w.momX[a] + wt * w.momX[s];
    const double my = (1 - wt) * w.momY[a] + wt * w.momY[s];
    if (finite(mx)) w.momX[s] = mx;
    if (finite(my)) w.momY[s] = my;
    w.KlinK();
}

void starStep(World& w, std::int16_t starInterval, const std::function<void()>& starMaker)
{
    // The count stops at the top of its range rather than wrapping negative,
    // which would hold the next star back for minutes.
    if (w.starDelayCount < std::numeric_limits<std::int16_t>::max()) ++w.starDelayCount;
    if (w.nextStar < w.bodyCount + 1 && w.nextStar > 2 && w.starDelayCount >= starInterval) {
        w.starDelayCount = 0;
        if (starMaker) starMaker();
    }
}

long movePass(World& w, RandomSource& rnd, const TickInputs& in)
{
    long events = 0;
    for (int i = lastBody(w); i >= 0; --i) {
        if (w.outOfPlay[i] == 0 && i > 0) {
            const double nx = w.posX[i] + w.momX[i];
            if (finite(nx)) w.posX[i] = nx;
            const double ny = w.posY[i] + w.momY[i];
            if (finite(ny)) w.posY[i] = ny;
        }
        events += applyBorder(w, rnd, i, in);
    }
    return events;
}

void addPull(World& w, int i, double sumX, double sumY)
{
    const double mx = w.momX[i] + sumX;
    const double my = w.momY[i] + sumY;
    if (finite(mx)) w.momX[i] = mx;
    if (finite(my)) w.momY[i] = my;
}

Ticker::Ticker()
{
    const std::size_t cap = kSlots + 16;
    ax_.resize(cap);
    ay_.resize(cap);
    ag_.resize(cap);
    asx_.resize(cap);
    asy_.resize(cap);
    aidx_.resize(cap);
    zone_.resize(cap);
    sumX_.resize(kSlots);
    sumY_.resize(kSlots);
    events_.reserve(256);
    bucketStart_.resize(2048 + 1);
    bucketFill_.resize(2048);
    cellBodies_.resize(kSlots);
    cellX_.resize(kSlots);
    cellY_.resize(kSlots);
    candidates_.reserve(256);
}

TickStats Ticker::tick(World& w, const TickInputs& in, Canvas& canvas, RandomSource& rnd,
                       const std::function<void()>& starMaker)
{
    TickStats st;
    w.gravityExponent = in.gravityExponent;
    starStep(w, in.starInterval, starMaker);
    st.borderEvents += movePass(w, rnd, in);
    pullPass(w, in, canvas, rnd, st);
    mergePass(w, canvas, rnd, st);
    return st;
}

void Ticker::pullPass(World& w, const TickInputs& in, Canvas& canvas, RandomSource& rnd, TickStats& st)
{
    const int n = lastBody(w);
    if (n < 0) return;
    // Only bodies numbered up to the planetoid factor attract.
    const double pf = in.planetoidFactor;
    int jMax = pf >= n ? n : (pf < 0 ? -1 : static_cast<int>(std::floor(pf)));

    int m = 0;
    for (int j = jMax; j >= 0; --j) {
        if (w.outOfPlay[j] == 1) continue;
        ax_[m] = w.posX[j];
        ay_[m] = w.posY[j];
        ag_[m] = w.gravity[j];
        asx_[m] = 0;
        asy_[m] = 0;
        aidx_[m] = static_cast<std::int16_t>(j);
        ++m;
    }

    const PowKind kind = powKindOf(in.gravityExponent);
    const PullRowArgs args{ax_.data(), ay_.data(), ag_.data(), m, static_cast<double>(w.planetRadius),
                           static_cast<double>(w.coreRadius), kind, in.gravityExponent};
    const PullKernels& k = pullKernels();
    const double pR = w.planetRadius, cR = w.coreRadius;
    auto inZone = [&](double r) { return r != 0.0 && !(r > pR) && r > cR; };
    auto dist = [&](double x1, double y1, double x2, double y2) {
        const double dx = x2 - x1, dy = y2 - y1;
        return std::sqrt(dx * dx + dy * dy);
    };

    events_.clear();
    std::fill(sumX_.begin(), sumX_.begin() + n + 1, 0.0);
    std::fill(sumY_.begin(), sumY_.begin() + n + 1, 0.0);

    // Attractors pull each other: each pair once.
    if (m > 0) {
        k.symmetric(args, asx_.data(), asy_.data(), zone_.data());
        for (int p = 0; p < m; ++p) {
            const int bi = aidx_[p];
            sumX_[bi] = asx_[p];
            sumY_[bi] = asy_[p];
            if (!zone_[p]) continue;
            for (int q = p + 1; q < m; ++q) {
                if (inZone(dist(ax_[p], ay_[p], ax_[q], ay_[q]))) {
                    events_.emplace_back(static_cast<std::int16_t>(bi), aidx_[q]);
                    events_.emplace_back(aidx_[q], static_cast<std::int16_t>(bi));
                }
            }
        }
    }
    // Bodies beyond the planetoid factor are pulled by the attractors only.
    if (m > 0) {
        for (int i = n; i > jMax; --i) {
            if (w.outOfPlay[i] == 1) continue;
            const double xi = w.posX[i], yi = w.posY[i];
            if (k.oneWay(args, xi, yi, &sumX_[i], &sumY_[i])) {
                for (int q = 0; q < m; ++q)
                    if (inZone(dist(xi, yi, ax_[q], ay_[q])))
                        events_.emplace_back(static_cast<std::int16_t>(i), aidx_[q]);
            }
        }
    }

    // Partial collisions and drawing in the order of the pair-by-pair pass:
    // rows from the highest body down, partners from the highest down.
    std::sort(events_.begin(), events_.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second > b.second;
    });
    std::size_t e = 0;
    for (int i = n; i >= 0; --i) {
        while (e < events_.size() && events_[e].first == i) {
            partialCollision(w, canvas, rnd, i, events_[e].second);
            ++st.partialCollisions;
            ++e;
        }
        if (w.outOfPlay[i] == 0) {
            Bomb(canvas, rnd, w, std::floor(w.posX[i]), std::floor(w.posY[i]), 1, i, i);
            if (i > 0) addPull(w, i, sumX_[i], sumY_[i]);
        }
    }
}

void Ticker::mergePass(World& w, Canvas& canvas, RandomSource& rnd, TickStats& st)
{
    const int n = lastBody(w);
    const double cR = w.coreRadius;
    if (n < 2 || !(cR > 0)) return;  // d < cR can never hold

    // Bodies in cells of the core radius, hashed into buckets; pairs closer than
    // the radius lie in neighbouring cells. A shared bucket only adds candidates
    // that the exact test then drops.
    constexpr int kBuckets = 2048;
    constexpr double kCellLimit = 1099511627776.0;  // 2^40: far-out bodies share edge cells
    auto hash = [](std::int64_t cx, std::int64_t cy) {
        auto h = static_cast<std::uint64_t>(cx) * 0x9E3779B97F4A7C15ULL ^
                 static_cast<std::uint64_t>(cy) * 0xC2B2AE3D27D4EB4FULL;
        return static_cast<int>((h ^ (h >> 29)) & (kBuckets - 1));
    };
    auto cellOf = [&](double v) {
        double c = std::floor(v / cR);
        c = std::clamp(c, -kCellLimit, kCellLimit);
        return static_cast<std::int64_t>(c);
    };

    std::fill(bucketStart_.begin(), bucketStart_.end(), 0);
    int count = 0;
    for (int i = 1; i <= n; ++i) {
        if (w.outOfPlay[i] == 1) continue;
        cellX_[i] = cellOf(w.posX[i]);
        cellY_[i] = cellOf(w.posY[i]);
        ++bucketStart_[hash(cellX_[i], cellY_[i]) + 1];
        ++count;
    }
    if (count < 2) return;
    for (int b = 0; b < kBuckets; ++b) bucketStart_[b + 1] += bucketStart_[b];
    std::copy(bucketStart_.begin(), bucketStart_.end() - 1, bucketFill_.begin());
    for (int i = 1; i <= n; ++i) {
        if (w.outOfPlay[i] == 1) continue;
        cellBodies_[bucketFill_[hash(cellX_[i], cellY_[i])]++] = static_cast<std::int16_t>(i);
    }

    candidates_.clear();
    for (int i = 1; i <= n; ++i) {
        if (w.outOfPlay[i] == 1) continue;
        for (int ox = -1; ox <= 1; ++ox) {
            for (int oy = -1; oy <= 1; ++oy) {
                const std::int64_t cx = cellX_[i] + ox, cy = cellY_[i] + oy;
                const int b = hash(cx, cy);
                for (int s = bucketStart_[b]; s < bucketStart_[b + 1]; ++s) {
                    const int j = cellBodies_[s];
                    if (j >= i || cellX_[j] != cx || cellY_[j] != cy) continue;
                    const double dx = w.posX[i] - w.posX[j], dy = w.posY[i] - w.posY[j];
                    const double d = std::sqrt(dx * dx + dy * dy);
                    if (d < cR && d != 0) candidates_.emplace_back(static_cast<std::int16_t>(i),
                                                                  static_cast<std::int16_t>(j));
                }
            }
        }
    }
    if (candidates_.empty()) return;
    // The pair-by-pair pass meets each close pair first as (higher, lower).
    std::sort(candidates_.begin(), candidates_.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second > b.second;
    });
    for (const auto& [i, j] : candidates_) {
        if (w.outOfPlay[i] == 1 || w.outOfPlay[j] == 1) continue;
        mergeBodies(w, canvas, rnd, i, j);
        ++st.merges;
    }
}

}  // namespace orb
