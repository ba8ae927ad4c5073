#include "engine/Borders.h"

#include <cmath>

namespace orb {

void Newton(World& w, RandomSource& rnd, int i, double width, double height, bool spin)
{
    if (spin) {
        w.momY[i] = std::floor(rnd.rnd() * static_cast<double>(w.startMomentum)) + w.startMomentumOffset;
        w.momX[i] = std::floor(rnd.rnd() * static_cast<double>(w.startMomentum)) - w.startMomentumOffset;
        w.posX[i] = std::floor(width * 0.3 * rnd.rnd()) + width * 0.6;
        w.posY[i] = std::floor(rnd.rnd() * height * 0.3) + height * 0.1;
    } else {
        w.posX[i] = std::floor((width - kLeftMargin) * rnd.rnd()) + kLeftMargin;
        w.posY[i] = std::floor((height - kBottomMargin) * rnd.rnd());
    }
}

int applyBorder(World& w, RandomSource& rnd, int i, const TickInputs& in)
{
    const int rule = in.borderOption;
    if (rule < 0 || rule > 6) return 0;
    const double W = in.width, H = in.height;
    const double left = kLeftMargin, bottom = H - kBottomMargin;
    // The right and bottom edges are compared at single precision.
    const float fRight = static_cast<float>(W), fBottom = static_cast<float>(bottom);
    int events = 0;
    double& px = w.posX[i];
    double& py = w.posY[i];
    double& mx = w.momX[i];
    double& my = w.momY[i];
    const double div = w.borderMode == 0 ? 1 : w.borderMode;  // 0 never occurs; never divide by it

    // Left, right, top, bottom: each test sees what the earlier ones did.
    for (int edge = 0; edge < 4; ++edge) {
        bool fires = false;
        switch (edge) {
        case 0: fires = px < left; break;
        case 1: fires = static_cast<float>(px) > fRight; break;
        case 2: fires = py < 0; break;
        case 3: fires = static_cast<float>(py) > fBottom; break;
        }
        if (!fires) continue;
        const bool horizontal = edge < 2;
        switch (rule) {
        case kSlomo:
        case kWrap:
            if (edge == 0) px = W;
            else if (edge == 1) px = left;
            else if (edge == 2) py = bottom;
            else py = 0;
            if (horizontal) mx = mx / div; else my = my / div;
            break;
        case kWall:
        case kComet:
        case kChaos: {
            const double factor = rule == kWall ? 1.0 : 2.0;
            if (horizontal) mx = -mx / factor; else my = -my / factor;
            if (edge == 0) px = left + kWallOffset;
            else if (edge == 1) px = W - kWallOffset;
            else if (edge == 2) py = kWallOffset;
            else py = bottom - kWallOffset;
            if (rule == kChaos) {
                if (horizontal) py = std::floor(bottom * rnd.rnd());
                else px = std::floor((W - left) * rnd.rnd()) + left;
            }
            break;
        }
        case kFourDim:
            Newton(w, rnd, i, W, H, in.spin);
            break;
        case kDie:
            w.outOfPlay[i] = 1;
            if (edge == 0) px = left;
            else if (edge == 1) px = W;
            else if (edge == 2) py = 0;
            else py = bottom;
            break;
        }
        ++events;
    }
    return events;
}

long movePass(World& w, RandomSource& rnd, const TickInputs& in)
{
    long events = 0;
    for (int i = lastBody(w); i >= 0; --i) {
        if (w.outOfPlay[i] == 0 && i > 0) {
            // A step that would not be finite is not taken.
            const double nx = w.posX[i] + w.momX[i];
            if (std::isfinite(nx)) w.posX[i] = nx;
            const double ny = w.posY[i] + w.momY[i];
            if (std::isfinite(ny)) w.posY[i] = ny;
        }
        events += applyBorder(w, rnd, i, in);
    }
    return events;
}

}  // namespace orb
