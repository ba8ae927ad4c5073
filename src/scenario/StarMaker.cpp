#include "scenario/StarMaker.h"

#include <cmath>


namespace orb {
namespace {

double finiteOr(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

}  // namespace

StarResult StarMaker(World& w, RandomSource& rnd, const StarFields& f)
{
    const int n = w.nextStar;
    if (w.bodyCount < n || n < 0 || n > kMaxBody) return {};

    const double varMom = f.momentumVariation;
    const auto spread = f.positionSpread;
    const bool waiting = w.outOfPlay[n] == 1;
    const auto mass = waiting ? f.starMass : std::optional<double>(0.0);
    if (waiting && (!spread || !mass)) return {StarResult::Refused, 0};

    double div = f.momentumDivisor + static_cast<double>(rnd.rnd()) * varMom;
    if (div == 0) div = 0.0001;

    if (waiting) {
        w.gravity[n] = *mass;
        const int source = (n % 2 != 0) ? 2 : 1;
        const int donor = source == 2 ? 1 : 2;
        const double cx = finiteOr((w.posX[source] + w.posX[0]) / 2, w.posX[source]);
        const double cy = finiteOr((w.posY[source] + w.posY[0]) / 2, w.posY[source]);
        w.momX[n] = finiteOr(-w.momX[source] / div, 0);
        w.momY[n] = finiteOr(-w.momY[source] / div, 0);
        double left = w.gravity[donor] - w.gravity[n];
        if (left < 0) left = 0;
        w.gravity[donor] = finiteOr(left, w.gravity[donor]);
        w.posX[n] = finiteOr(static_cast<double>(rnd.rnd()) * *spread + cx, cx);
        w.posY[n] = finiteOr(static_cast<double>(rnd.rnd()) * *spread + cy, cy);
        w.outOfPlay[n] = 0;
    }
    w.nextStar = static_cast<std::int16_t>(n + 1);
    return {StarResult::Advanced, n};
}

}  // namespace orb
