#pragma once
// The galaxy the rotation-curve benchmarks read: sol and the binary pair as a
// preset places them, and 997 stars on rough circular orbits around their 300
// units of gravity, from 400 to 6000 twips, a few turning backwards, with a
// little radial speed, coloured as Go colours them.

#include <cmath>
#include <memory>

#include "base/Random.h"
#include "world/World.h"

namespace orb::bench {

inline std::unique_ptr<World> galaxy()
{
    auto w = std::make_unique<World>();
    Rng r(3198);
    w->bodyCount = kMaxBody;
    w->posX[0] = 7680;
    w->posY[0] = 5760;
    w->gravity[0] = 100;
    for (int i : {1, 2}) {
        w->posX[i] = i == 1 ? 6912 : 8448;
        w->posY[i] = 5760;
        w->momY[i] = i == 1 ? 18 : -18;
        w->gravity[i] = 100;
    }
    for (int i = 3; i <= kMaxBody; ++i) {
        const double radius = 400 + 5600 * static_cast<double>(r.rnd());
        const double angle = 6.283185307179586 * static_cast<double>(r.rnd());
        const double wobble = 1 + 0.2 * (static_cast<double>(r.rnd()) - 0.5);
        const double turn = r.rnd() < 0.05f ? -1 : 1;
        const double v = turn * wobble * std::sqrt(10000 * 300 / radius);
        const double vr = 2 * (static_cast<double>(r.rnd()) - 0.5);
        const double c = std::cos(angle), s = std::sin(angle);
        w->posX[i] = 7680 + radius * c;
        w->posY[i] = 5760 + radius * s;
        w->momX[i] = -v * s + vr * c;
        w->momY[i] = v * c + vr * s;
        w->gravity[i] = 0.1;
        const float d = static_cast<float>(std::nearbyint(i / 999.0 * 255));
        w->colGreen[i] = d;
        w->colBlue[i] = 255 - d;
        w->colRed[i] = static_cast<float>(50 + static_cast<int>(r.rnd() * 150));
    }
    return w;
}

}  // namespace orb::bench
