#include "scenario/BalancedDisc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "scenario/PresetTable.h"
#include "world/Geometry.h"

namespace orb {

double discPull(const DiscSettings& s, double r)
{
    // The size the pull pass gives at distance r: its strength 10000 f m over
    // r^e, with r^e as the pass forms it for the common exponents.
    const double k = 10000 * s.centralMass * s.pullFactor;
    double rE;
    if (s.exponent == 2) rE = r * r;
    else if (s.exponent == 1.5) rE = r * std::sqrt(r);
    else if (s.exponent == 1) rE = r;
    else rE = std::pow(r, s.exponent);
    return k / rE;
}

double discTurn(const DiscSettings& s, double r)
{
    const double a = discPull(s, r);
    if (!(r > 0) || !std::isfinite(a) || a < 0) return -1;
    // 2 - 2 cos t = 4 sin^2(t/2) = A / r; by the sine, which keeps its digits
    // where 1 - cos t would lose them to cancellation.
    const double h = 0.5 * std::sqrt(a / r);
    if (!(h <= 1)) return -1;
    return 2 * std::asin(h);
}

namespace {

// About a standard normal number from three uniform ones: their sum has
// variance 1/4, so twice its distance from 1.5 has variance 1.
double roughNormal(RandomSource& rnd)
{
    const double sum = static_cast<double>(rnd.rnd()) + static_cast<double>(rnd.rnd()) + static_cast<double>(rnd.rnd());
    return 2 * (sum - 1.5);
}

}  // namespace

DiscResult placeBalancedDisc(World& w, const DiscSettings& s, RandomSource& rnd)
{
    DiscResult result;
    placePair(w);
    w.posX[0] = kCentreX;
    w.posY[0] = kCentreY;
    w.momX[0] = w.momY[0] = 0;
    w.gravity[0] = s.centralMass;
    w.outOfPlay[0] = 0;
    for (int i = 1; i <= 2; ++i) {
        w.outOfPlay[i] = 1;
        w.momX[i] = w.momY[i] = 0;
    }
    waitingStars(w, s.starMass);

    const int last = std::clamp(s.lastStar, 2, kMaxBody);
    const int stars = last - 2;
    if (stars <= 0) return result;

    // Rings evenly in ln r; stars shared out by ring radius, largest remainders
    // first, at least one to a ring.
    const int rings = std::min(kDiscRings, stars);
    std::array<double, kDiscRings> radius{};
    std::array<int, kDiscRings> count{};
    double total = 0;
    for (int k = 0; k < rings; ++k) {
        const double t = rings == 1 ? 0.5 : static_cast<double>(k) / (rings - 1);
        radius[k] = s.innerRadius * std::pow(s.outerRadius / s.innerRadius, t);
        total += radius[k];
    }
    int given = 0;
    std::array<double, kDiscRings> rest{};
    for (int k = 0; k < rings; ++k) {
        const double share = 1 + (stars - rings) * radius[k] / total;
        count[k] = static_cast<int>(share);
        rest[k] = share - count[k];
        given += count[k];
    }
    while (given < stars) {
        int best = 0;
        for (int k = 1; k < rings; ++k)
            if (rest[k] > rest[best]) best = k;
        ++count[best];
        rest[best] = -1;
        ++given;
    }

    // Each ring starts at its own angle (the golden angle on from the last), so
    // the rings' stars do not line up in spokes.
    const double golden = std::numbers::pi * (3 - std::sqrt(5.0));
    int body = 3;
    for (int k = 0; k < rings; ++k) {
        const double r = radius[k];
        const double turn = discTurn(s, r);
        const double circular = turn >= 0 ? std::sqrt(discPull(s, r) * r) : 0;
        for (int q = 0; q < count[k]; ++q, ++body) {
            if (turn < 0) {
                ++result.noOrbit;
                continue;
            }
            const double phi = golden * k + 2 * std::numbers::pi * q / count[k];
            // y grows downwards: turning counter-clockwise on the screen is
            // turning towards smaller angles.
            w.posX[body] = kCentreX + r * std::cos(phi);
            w.posY[body] = kCentreY + r * std::sin(phi);
            w.momX[body] = (kCentreX + r * std::cos(phi - turn)) - w.posX[body];
            w.momY[body] = (kCentreY + r * std::sin(phi - turn)) - w.posY[body];
            if (s.spread != 0) {
                w.momX[body] += s.spread * circular * roughNormal(rnd);
                w.momY[body] += s.spread * circular * roughNormal(rnd);
            }
            w.outOfPlay[body] = 0;
            ++result.stars;
        }
    }
    return result;
}

}  // namespace orb
