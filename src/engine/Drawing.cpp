#include "engine/Drawing.h"

#include <cmath>

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

double rnd(RandomSource& r) { return static_cast<double>(r.rnd()); }

}  // namespace

void Bomb(Canvas& canvas, RandomSource& r, const World& w, double x, double y, BombKind kind, int c, int o)
{
    // The origin itself must be a 16-bit point; offsets are then added in
    // 16-bit arithmetic, and a sum that leaves the range is not drawn.
    const bool origin = in16(x) && in16(y);
    switch (kind) {
    case BombKind::Body:
        if (origin) plot(canvas, x, y, rgbOf(w.colRed[c], w.colGreen[c], w.colBlue[c]));
        break;
    case BombKind::Sparks: {
        const double red = cint(w.colRed[c]);
        const double g0 = cint(rnd(r) * w.colGreen[c]);
        const double blue = cint(rnd(r) * w.colBlue[c]);
        for (int k = 0; k < 4; ++k) {
            const double dx = std::floor(rnd(r) * 160) - 80;
            const double dy = std::floor(rnd(r) * 160) - 80;
            const double green = cint(g0 * rnd(r));
            if (origin) plot(canvas, x + dx, y + dy, rgbOf(red, green, blue));
        }
        break;
    }
    case BombKind::Burst: {
        const double green0 = cint((static_cast<double>(w.colGreen[o]) + w.colGreen[c]) / 2);
        const double blue = cint((static_cast<double>(w.colBlue[o]) + w.colBlue[c]) / 2);
        for (int k = 0; k < 7; ++k) {
            const double dx = std::floor(rnd(r) * 400) - 200;
            const double dy = std::floor(rnd(r) * 400) - 200;
            const double green = cint(green0 * rnd(r));
            if (origin) plot(canvas, x + dx, y + dy, rgbOf(128, green, blue));
        }
        break;
    }
    }
}

}  // namespace orb
