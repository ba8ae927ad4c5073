#include "engine/ReferenceTick.h"

#include <cmath>

#include "engine/ArcSin.h"
#include "engine/Borders.h"
#include "engine/Contact.h"
#include "engine/Drawing.h"
#include "engine/Pull.h"
#include "engine/Ticker.h"

namespace orb {

TickStats referenceTick(World& w, const TickInputs& in, Canvas& canvas, RandomSource& rnd,
                        const std::function<void()>& starMaker)
{
    TickStats st;

    // 1. The exponent, read afresh.
    w.gravityExponent = in.gravityExponent;
    // 2, 3. The star emitter.
    starStep(w, in.starInterval, starMaker);
    // 4. Move every body, then its border rule.
    st.borderEvents += movePass(w, rnd, in);

    const int n = lastBody(w);

    // 5. Pull pass: every ordered pair, every test made afresh for each pair.
    for (int i = n; i >= 0; --i) {
        double sumX = 0;
        double sumY = 0;
        for (int j = n; j >= 0; --j) {
            if (j == i) continue;
            if (w.outOfPlay[i] == 1 || w.outOfPlay[j] == 1) continue;
            const double planetoidFactor = in.planetoidFactor;
            if (planetoidFactor < j) continue;
            const double dx = w.posX[j] - w.posX[i];
            const double dy = w.posY[j] - w.posY[i];
            const double r = std::pow(dx * dx + dy * dy, 0.5);
            if (r == 0) continue;
            if (r > w.planetRadius) {
                const double a = 10000 * w.gravity[j] * in.pullFactor / std::pow(r, w.gravityExponent);
                const double theta = ArcSin(dx / r);
                const double pullX = std::sin(theta) * a;
                double pullY = std::cos(theta) * a;
                if (dy < 0) pullY = -pullY;
                // A pull that overflowed or lost its direction adds nothing.
                if (!std::isfinite(pullX) || !std::isfinite(pullY)) continue;
                sumX = sumX + pullX;
                sumY = sumY + pullY;
            } else if (r > w.coreRadius) {
                partialCollision(w, canvas, rnd, i, j);
                ++st.partialCollisions;
            }
            // Otherwise inside the core: left to the merge pass.
        }
        if (w.outOfPlay[i] == 0) {
            Bomb(canvas, rnd, w, std::floor(w.posX[i]), std::floor(w.posY[i]), BombKind::Body, i, i);
            if (i > 0) addPull(w, i, sumX, sumY);
        }
    }

    // 6. Merge pass: every ordered pair of bodies that are both on.
    for (int i = n; i >= 0; --i) {
        for (int j = n; j >= 0; --j) {
            if (w.outOfPlay[i] == 1 || w.outOfPlay[j] == 1 || i == j) continue;
            const double ddx = w.posX[i] - w.posX[j];
            const double ddy = w.posY[i] - w.posY[j];
            const double d = std::pow(ddx * ddx + ddy * ddy, 0.5);
            if (i == 0 || j == 0) continue;  // the central body never merges
            const double threshold = w.coreRadius;
            if (d < threshold && d != 0) {
                mergeBodies(w, canvas, rnd, i, j);
                ++st.merges;
            }
        }
    }
    return st;
}

}  // namespace orb
