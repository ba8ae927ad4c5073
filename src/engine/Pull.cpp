#include "engine/Pull.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>

#include "engine/Contact.h"

namespace orb {

void addPull(World& w, int i, double sumX, double sumY)
{
    const double mx = w.momX[i] + sumX;
    const double my = w.momY[i] + sumY;
    if (std::isfinite(mx)) w.momX[i] = mx;
    if (std::isfinite(my)) w.momY[i] = my;
}

struct PullPass::Tick {
    PullRowArgs args;
    int nb;
    double pR, pR2, cR;
};

PullPass::PullPass(const KernelSet& kernels, Threading threading)
    : kernels_(kernels), fromPairs_(threading.fromPairs), adapt_(threading.adapt)
{
    if (threading.threads > 1) pool_ = std::make_unique<WorkerPool>(threading.threads);
    found_.resize(static_cast<std::size_t>(threads()));
    for (auto& f : found_) f.reserve(256);
    const std::size_t cap = kSlots + kPullPad;
    for (auto* v : {&ax_, &ay_, &ak_, &asx_, &asy_, &anear_, &bx_, &by_, &bsx_, &bsy_, &bnear_})
        v->resize(cap);
    aidx_.resize(cap);
    bidx_.resize(cap);
    sumX_.resize(kSlots);
    sumY_.resize(kSlots);
    events_.reserve(256);
    colourKey_.resize(kSlots);
    colour_.resize(kSlots);
    colourKnown_.assign(kSlots, 0);
}

// What Bomb draws for a body (kind 1: one point, no random numbers), with its
// colour converted again only when one of the channels has changed.
void PullPass::drawBody(const World& w, Canvas& canvas, int i)
{
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
}


namespace {

double dist(double x1, double y1, double x2, double y2)
{
    const double dx = x2 - x1, dy = y2 - y1;
    return std::sqrt(dx * dx + dy * dy);
}

// A sum that is not finite holds a pull that is not finite (or overflowed on
// its own): sum again pair by pair in the order of the plain pass, leaving out
// the pulls that are not finite.
void resum(const PullRowArgs& a, double pR, double xi, double yi, int self, double& sx, double& sy)
{
    if (std::isfinite(sx) && std::isfinite(sy)) return;
    sx = 0;
    sy = 0;
    for (int q = 0; q < a.m; ++q) {
        double px, py;
        if (q != self && exactPull(xi, yi, a.x[q], a.y[q], a.g[q], pR, a.kind, a.e, px, py)) {
            sx += px;
            sy += py;
        }
    }
}

}  // namespace

void PullPass::attractorsDone(const Tick& t, int p0, int p1, std::vector<Event>& ev)
{
    const int m = t.args.m;
    auto inZone = [&](double r) { return r != 0.0 && !(r > t.pR) && r > t.cR; };
    for (int p = p0; p < p1; ++p) {
        const int bi = aidx_[p];
        resum(t.args, t.pR, ax_[p], ay_[p], p, asx_[p], asy_[p]);
        sumX_[bi] = asx_[p];
        sumY_[bi] = asy_[p];
        if (!(anear_[p] <= t.pR2)) continue;  // nobody inside the planet radius
        for (int q = p + 1; q < m; ++q) {
            if (inZone(dist(ax_[p], ay_[p], ax_[q], ay_[q]))) {
                ev.emplace_back(static_cast<std::int16_t>(bi), aidx_[q]);
                ev.emplace_back(aidx_[q], static_cast<std::int16_t>(bi));
            }
        }
    }
}

// Bodies beyond the planetoid factor are pulled by the attractors only.
void PullPass::bodiesDone(const Tick& t, int b0, int b1, std::vector<Event>& ev)
{
    const int m = t.args.m;
    auto inZone = [&](double r) { return r != 0.0 && !(r > t.pR) && r > t.cR; };
    for (int b = b0; b < b1; ++b) {
        const int i = bidx_[b];
        resum(t.args, t.pR, bx_[b], by_[b], -1, bsx_[b], bsy_[b]);
        sumX_[i] = bsx_[b];
        sumY_[i] = bsy_[b];
        if (!(bnear_[b] <= t.pR2)) continue;
        for (int q = 0; q < m; ++q)
            if (inZone(dist(bx_[b], by_[b], ax_[q], ay_[q]))) ev.emplace_back(static_cast<std::int16_t>(i), aidx_[q]);
    }
}

bool PullPass::run(World& w, const TickInputs& in, Canvas& canvas, RandomSource& rnd, TickStats& st,
                   const std::function<void()>& aside)
{
    const int n = lastBody(w);
    if (n < 0) return false;
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
        ak_[m] = 10000 * w.gravity[j] * in.pullFactor;
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

    const double pR = w.planetRadius, e = in.gravityExponent;
    // The kernels' quick forms of r^e need every pulling pair at least 1 apart.
    const PowKind kind = pR >= 1 ? powKindOf(e) : PowKind::General;
    const double pR2 = radiusSquaredBound(pR);
    const Tick t{{ax_.data(), ay_.data(), ak_.data(), m, pR2, kind, e}, nb, pR, pR2, static_cast<double>(w.coreRadius)};
    const KernelSet& k = kernels_;

    // Every body in play gets its sum written below; nobody else's is read.
    events_.clear();
    const long pairs = static_cast<long>(m) * (m - 1) / 2 + static_cast<long>(m) * nb;
    const bool share = pool_ && pairs >= fromPairs_ && (!adapt_ || choice_.share());
    const auto start = std::chrono::steady_clock::now();
    if (!share) {
        // Attractors pull each other, each pair once; they pull the others.
        std::fill_n(asx_.begin(), m, 0.0);
        std::fill_n(asy_.begin(), m, 0.0);
        if (m > 0) k.symmetric(t.args, asx_.data(), asy_.data(), anear_.data());
        attractorsDone(t, 0, m, events_);
        if (nb > 0) k.pulled(t.args, bx_.data(), by_.data(), nb, bsx_.data(), bsy_.data(), bnear_.data());
        bodiesDone(t, 0, nb, events_);
    } else {
        const PullArrays arrays{t.args,     asx_.data(), asy_.data(), anear_.data(), bx_.data(),
                                by_.data(), nb,          bsx_.data(), bsy_.data(),   bnear_.data()};
        split_.reset(m, pool_->size());
        auto job = [&](int worker) {
            if (aside && worker == pool_->size() - 1) aside();
            std::vector<Event>& ev = found_[static_cast<std::size_t>(worker)];
            ev.clear();
            split_.work(
                worker, k, arrays, [&](int p0, int p1) { attractorsDone(t, p0, p1, ev); },
                [&](int b0, int b1) { bodiesDone(t, b0, b1, ev); });
        };
        pool_->run(job);
        split_.rebalance();
        for (const auto& f : found_) events_.insert(events_.end(), f.begin(), f.end());
    }
    if (pool_ && pairs >= fromPairs_) {
        choice_.took(share, pairs, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        // The threads, asleep after ticks alone, woken now for the next tick's
        // look at sharing: it would otherwise time their waking.
        if (adapt_ && !share && choice_.looksNext()) pool_->rouse();
    }

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
            drawBody(w, canvas, i);
            if (i > 0) addPull(w, i, sumX_[i], sumY_[i]);
        }
    }
    return share && aside;
}

}  // namespace orb
