#include "engine/Engine.h"

#include <algorithm>
#include <array>
#include <bit>
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
    // Two bodies whose gravities cancel weigh alike.
    double wt = total != 0 ? w.gravity[s] / total : 0.5;
    if (!finite(total)) {
        // The sum overflows: weigh by halves, which cannot, and keep the largest mass.
        wt = (0.5 * w.gravity[s]) / (0.5 * w.gravity[i] + 0.5 * w.gravity[j]);
        total = std::copysign(DBL_MAX, total);
    }
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
    for (auto* v : {&ax_, &ay_, &ag_, &ak_, &asx_, &asy_, &anear_, &bx_, &by_, &bsx_, &bsy_, &bnear_})
        v->resize(cap);
    aidx_.resize(cap);
    bidx_.resize(cap);
    sumX_.resize(kSlots);
    sumY_.resize(kSlots);
    events_.reserve(256);
    cellStart_.resize(kMaxCells + 1);
    gx_.resize(kSlots);
    gy_.resize(kSlots);
    gid_.resize(kSlots);
    uid_.resize(kSlots);
    ucell_.resize(kSlots);
    candidates_.reserve(256);
    colourKey_.resize(kSlots);
    colour_.resize(kSlots);
    colourKnown_.assign(kSlots, 0);
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
    // Only bodies numbered up to the planetoid factor attract (all of them when
    // the factor is not even a number, as no comparison with it holds).
    const double pf = in.planetoidFactor;
    const int jMax = !(pf < n) ? n : (pf < 0 ? -1 : static_cast<int>(std::floor(pf)));

    // Bodies in play, highest first: the attractors, and those beyond the factor.
    int m = 0;
    for (int j = jMax; j >= 0; --j) {
        if (w.outOfPlay[j] == 1) continue;
        ax_[m] = w.posX[j];
        ay_[m] = w.posY[j];
        ag_[m] = w.gravity[j];
        ak_[m] = 10000 * w.gravity[j];
        asx_[m] = 0;
        asy_[m] = 0;
        aidx_[m] = static_cast<std::int16_t>(j);
        ++m;
    }
    int nb = 0;
    for (int i = n; i > jMax; --i) {
        if (w.outOfPlay[i] == 1) continue;
        bx_[nb] = w.posX[i];
        by_[nb] = w.posY[i];
        bidx_[nb] = static_cast<std::int16_t>(i);
        ++nb;
    }

    const double pR = w.planetRadius, cR = w.coreRadius, e = in.gravityExponent;
    // The kernels' quick forms of r^e need every pulling pair at least 1 apart.
    const PowKind kind = pR >= 1 ? powKindOf(e) : PowKind::General;
    const double pR2 = radiusSquaredBound(pR);
    const PullRowArgs args{ax_.data(), ay_.data(), ak_.data(), m, pR2, kind, e};
    const PullKernels& k = pullKernels();
    auto inZone = [&](double r) { return r != 0.0 && !(r > pR) && r > cR; };
    auto dist = [&](double x1, double y1, double x2, double y2) {
        const double dx = x2 - x1, dy = y2 - y1;
        return std::sqrt(dx * dx + dy * dy);
    };
    // A sum that is not finite holds a pull that is not finite (or overflowed on
    // its own): sum again pair by pair in the order of the plain pass, leaving
    // out the pulls that are not finite.
    auto resum = [&](double xi, double yi, int self, double& sx, double& sy) {
        if (std::isfinite(sx) && std::isfinite(sy)) return;
        sx = 0;
        sy = 0;
        for (int q = 0; q < m; ++q) {
            double px, py;
            if (q != self && exactPull(xi, yi, ax_[q], ay_[q], ag_[q], pR, kind, e, px, py)) {
                sx += px;
                sy += py;
            }
        }
    };

    // Every body in play gets its sum written below; nobody else's is read.
    events_.clear();
    // Attractors pull each other: each pair once.
    if (m > 0) {
        k.symmetric(args, asx_.data(), asy_.data(), anear_.data());
        for (int p = 0; p < m; ++p) {
            const int bi = aidx_[p];
            resum(ax_[p], ay_[p], p, asx_[p], asy_[p]);
            sumX_[bi] = asx_[p];
            sumY_[bi] = asy_[p];
            if (!(anear_[p] <= pR2)) continue;  // nobody inside the planet radius
            for (int q = p + 1; q < m; ++q) {
                if (inZone(dist(ax_[p], ay_[p], ax_[q], ay_[q]))) {
                    events_.emplace_back(static_cast<std::int16_t>(bi), aidx_[q]);
                    events_.emplace_back(aidx_[q], static_cast<std::int16_t>(bi));
                }
            }
        }
    }
    // Bodies beyond the planetoid factor are pulled by the attractors only.
    if (nb > 0) {
        k.pulled(args, bx_.data(), by_.data(), nb, bsx_.data(), bsy_.data(), bnear_.data());
        for (int b = 0; b < nb; ++b) {
            const int i = bidx_[b];
            resum(bx_[b], by_[b], -1, bsx_[b], bsy_[b]);
            sumX_[i] = bsx_[b];
            sumY_[i] = bsy_[b];
            if (!(bnear_[b] <= pR2)) continue;
            for (int q = 0; q < m; ++q)
                if (inZone(dist(bx_[b], by_[b], ax_[q], ay_[q])))
                    events_.emplace_back(static_cast<std::int16_t>(i), aidx_[q]);
        }
    }

    // What Bomb draws for a body (kind 1: one point, no random numbers), with its
    // colour converted again only when one of the channels has changed.
    auto drawBody = [&](int i) {
        // Int(pos) within the 16-bit range exactly when -32768 <= pos < 32768;
        // inside it, rounding down is truncation less one for negative fractions.
        const double px = w.posX[i], py = w.posY[i];
        if (!(px >= -32768.0 && px < 32768.0 && py >= -32768.0 && py < 32768.0)) return;
        int x = static_cast<int>(px), y = static_cast<int>(py);
        x -= x > px;
        y -= y > py;
        const std::uint32_t r = std::bit_cast<std::uint32_t>(w.colRed[i]);
        const std::uint32_t g = std::bit_cast<std::uint32_t>(w.colGreen[i]);
        const std::uint32_t b = std::bit_cast<std::uint32_t>(w.colBlue[i]);
        auto& key = colourKey_[i];
        if (!colourKnown_[i] || key[0] != r || key[1] != g || key[2] != b) {
            colour_[i] = rgbOf(w.colRed[i], w.colGreen[i], w.colBlue[i]);
            key = {r, g, b};
            colourKnown_[i] = 1;
        }
        canvas.pset(x, y, colour_[i]);
    };

    // Partial collisions and drawing in the order of the pair-by-pair pass:
    // rows from the highest body down, partners from the highest down.
    std::sort(events_.begin(), events_.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second > b.second;
    });
    std::size_t ev = 0;
    for (int i = n; i >= 0; --i) {
        while (ev < events_.size() && events_[ev].first == i) {
            partialCollision(w, canvas, rnd, i, events_[ev].second);
            ++st.partialCollisions;
            ++ev;
        }
        if (w.outOfPlay[i] == 0) {
            drawBody(i);
            if (i > 0) addPull(w, i, sumX_[i], sumY_[i]);
        }
    }
}

void Ticker::mergePass(World& w, Canvas& canvas, RandomSource& rnd, TickStats& st)
{
    const int n = lastBody(w);
    const double cR = w.coreRadius;
    if (n < 2 || !(cR > 0)) return;  // d < cR can never hold

    // Bodies in play and their bounds; body 0 never merges.
    int count = 0;
    double x0 = std::numeric_limits<double>::infinity(), x1 = -x0, y0 = x0, y1 = -x0;
    for (int i = n; i >= 1; --i) {
        if (w.outOfPlay[i] == 1) continue;
        uid_[count++] = static_cast<std::int16_t>(i);
        x0 = std::min(x0, w.posX[i]);
        x1 = std::max(x1, w.posX[i]);
        y0 = std::min(y0, w.posY[i]);
        y1 = std::max(y1, w.posY[i]);
    }
    if (count < 2) return;

    // A grid over the bounds with about one body per cell, cells never narrower
    // than the core radius (and a hair wider, so rounding cannot put a close
    // pair two cells apart): a pair closer than the radius lies in the same or
    // in neighbouring cells. One empty column pads each side and one empty row
    // the bottom, so the neighbour ranges below never wrap into another row.
    const double spanX = x1 - x0, spanY = y1 - y0;
    const double size =
        std::max({cR, std::sqrt(spanX * spanY / count), std::max(spanX, spanY) / count}) * (1 + 0x1p-20);
    int nx = 1, ny = 1;
    double inv = 0;
    if (std::isfinite(size)) {
        inv = 1 / size;
        nx = static_cast<int>(spanX * inv) + 1;
        ny = static_cast<int>(spanY * inv) + 1;
    }
    const int rowW = nx + 2;
    const int cells = rowW * (ny + 1);  // at most 6 per body and a few: kMaxCells
    auto index = [](double v, int hi) {  // NaN and strays clamp into range
        return v >= 0 ? (v < hi ? static_cast<int>(v) : hi - 1) : 0;
    };

    std::fill(cellStart_.begin(), cellStart_.begin() + cells + 1, 0);
    for (int s = 0; s < count; ++s) {
        const int i = uid_[s];
        const int c = index((w.posY[i] - y0) * inv, ny) * rowW + index((w.posX[i] - x0) * inv, nx) + 1;
        ucell_[s] = c;
        ++cellStart_[c];
    }
    // Counting sort by cell: cellStart_[c] ends up at the first body of cell c.
    for (int c = 0, sum = 0; c <= cells; ++c) {
        sum += cellStart_[c];
        cellStart_[c] = sum;
    }
    for (int s = 0; s < count; ++s) {
        const int i = uid_[s];
        const int at = --cellStart_[ucell_[s]];
        gx_[at] = w.posX[i];
        gy_[at] = w.posY[i];
        gid_[at] = static_cast<std::int16_t>(i);
    }

    // Each pair of neighbouring cells once: the rest of a body's own cell and the
    // cell to its right, then the three cells below.
    candidates_.clear();
    const double cR2 = cR * cR;  // exact; sqrt(d2) < cR implies d2 < cR2
    const double* gx = gx_.data();
    const double* gy = gy_.data();
    const std::int32_t* start = cellStart_.data();
    auto check = [&](int a, int from, int to) {
        const double xa = gx[a], ya = gy[a];
        for (int b = from; b < to; ++b) {
            const double dx = xa - gx[b], dy = ya - gy[b];
            const double d2 = dx * dx + dy * dy;
            if (!(d2 < cR2)) continue;
            const double d = std::sqrt(d2);
            if (d < cR && d != 0) {
                const int i = gid_[a], j = gid_[b];
                candidates_.emplace_back(static_cast<std::int16_t>(std::max(i, j)),
                                         static_cast<std::int16_t>(std::min(i, j)));
            }
        }
    };
    int c = 0;
    for (int a = 0; a < count; ++a) {
        while (start[c + 1] <= a) ++c;  // the cell of sorted body a
        check(a, a + 1, start[c + 2]);
        check(a, start[c + rowW - 1], start[c + rowW + 2]);
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
