#include "engine/Contact.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

#include "base/Numbers.h"
#include "engine/Drawing.h"

namespace orb {

void partialCollision(World& w, Canvas& canvas, RandomSource& rnd, int i, int j)
{
    auto kick = [&] {
        double v = std::floor(static_cast<double>(rnd.rnd()) * w.volatilitySpan) - w.volatility;
        return static_cast<double>(toInt16(v).value_or(0));
    };
    const double ex = kick();
    const double ey = kick();
    Bomb(canvas, rnd, w, std::floor(w.posX[j]), std::floor(w.posY[j]), BombKind::Sparks, i, j);
    w.momX[j] += ex;
    w.momX[i] -= ex;
    w.momY[j] += ey;
    w.momY[i] -= ey;
}

void mergeBodies(World& w, Canvas& canvas, RandomSource& rnd, int i, int j)
{
    Bomb(canvas, rnd, w, std::floor(w.posX[i]), std::floor(w.posY[i]), BombKind::Burst, j, i);
    const int s = w.gravity[j] > w.gravity[i] ? j : i;
    const int a = s == i ? j : i;
    double total = w.gravity[i] + w.gravity[j];
    // Two bodies whose gravities cancel weigh alike.
    double wt = total != 0 ? w.gravity[s] / total : 0.5;
    if (!std::isfinite(total)) {
        // The sum overflows: weigh by halves, which cannot, and keep the largest mass.
        wt = (0.5 * w.gravity[s]) / (0.5 * w.gravity[i] + 0.5 * w.gravity[j]);
        total = std::copysign(DBL_MAX, total);
    }
    if (!std::isfinite(wt)) wt = 0.5;
    w.gravity[s] = total;
    w.outOfPlay[a] = 1;
    const double mx = (1 - wt) * w.momX[a] + wt * w.momX[s];
    const double my = (1 - wt) * w.momY[a] + wt * w.momY[s];
    if (std::isfinite(mx)) w.momX[s] = mx;
    if (std::isfinite(my)) w.momY[s] = my;
}

MergePass::MergePass()
{
    cellStart_.resize(kMaxCells + 1);
    gx_.resize(kSlots);
    gy_.resize(kSlots);
    gid_.resize(kSlots);
    uid_.resize(kSlots);
    ucell_.resize(kSlots);
    candidates_.reserve(256);
}

void MergePass::find(const World& w)
{
    candidates_.clear();
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
    // The pair-by-pair pass meets each close pair first as (higher, lower).
    std::sort(candidates_.begin(), candidates_.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second > b.second;
    });
}

void MergePass::apply(World& w, Canvas& canvas, RandomSource& rnd, TickStats& st)
{
    for (const auto& [i, j] : candidates_) {
        if (w.outOfPlay[i] == 1 || w.outOfPlay[j] == 1) continue;
        mergeBodies(w, canvas, rnd, i, j);
        ++st.merges;
    }
}

}  // namespace orb
