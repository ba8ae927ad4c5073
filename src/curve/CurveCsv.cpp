#include "curve/CurveCsv.h"

#include <cmath>
#include <cstdio>

#include "base/Numbers.h"

namespace orb {

std::string curveCsv(const RotationCurve& curve, const World& w)
{
    const CurveCentre& c = curve.centre();
    const SlopeFit& fit = curve.slope();
    std::string out;
    out.reserve(200 + curve.stars().size() * 90);
    out += "# rotation curve of the simulated galaxy; radius in twips, speeds in twips per tick\n";
    out += "# centre x,y: " + shortestText(c.x) + ',' + shortestText(c.y) + '\n';
    out += "# centre velocity x,y: " + shortestText(c.vx) + ',' + shortestText(c.vy) + '\n';
    out += "# gravity of bodies 0..2 attracting: " + shortestText(curve.centralGravity()) + '\n';
    out += "# total attracting gravity: " + shortestText(curve.attractingGravity()) + '\n';
    out += "# exponent: " + (curve.exponent() ? shortestText(*curve.exponent()) : std::string("none")) + '\n';
    out += curve.sense() > 0 ? "# positive speed: clockwise on screen\n"
                             : "# positive speed: counter-clockwise on screen\n";
    out += "# slope of ln speed against ln radius: " + (fit.slope ? shortestText(*fit.slope) : std::string("none")) +
           " over " + std::to_string(fit.stars) + " stars\n";
    out += kCurveCsvHeader;
    out += '\n';
    for (const StarPoint& s : curve.stars()) {
        out += std::to_string(s.body);
        for (double v : {s.radius, s.speed, s.radialSpeed}) {
            out += ',';
            out += shortestText(v);
        }
        for (float v : {w.colRed[s.body], w.colGreen[s.body], w.colBlue[s.body]}) {
            out += ',';
            out += shortestText(v);
        }
        out += '\n';
    }
    return out;
}

std::string slopeText(const SlopeFit& fit)
{
    if (!fit.slope) return "none";
    double s = *fit.slope;
    char buf[64];
    if (std::fabs(s) >= 1e6) {
        std::snprintf(buf, sizeof buf, "%.3g", s);
        return buf;
    }
    // No "-0.00": a slope that rounds to nothing shows as 0.
    if (std::fabs(s) < 0.005) s = 0;
    std::snprintf(buf, sizeof buf, "%.2f", s);
    return buf;
}

}  // namespace orb
