#include "curve/CurveCsv.h"

#include "base/Numbers.h"
#include "curve/Acceleration.h"
#include "curve/CurveText.h"

namespace orb {

namespace {

std::string number(double x) { return shortestText(x); }

std::string withShortestError(double value, double error)
{
    return number(value) + ' ' + std::string(kPlusMinus) + ' ' + number(error);
}

std::string binnedSlopeLine(const BinnedCurve& binned)
{
    const BinnedFit& f = binned.fit();
    std::string out = "# binned slope of ln speed against ln radius (a window of " +
                      std::to_string(binned.window()) + " ticks, " + std::to_string(binned.records()) +
                      " records): ";
    if (!f.slope)
        return out + "none (" + std::to_string(f.points) + " bins with enough stars, " +
               std::to_string(BinnedCurve::kMinFitBins) + " needed)\n";
    return out + withShortestError(*f.slope, f.slopeError) + ' ' + std::string(kArrow) + " exponent " +
           withShortestError(f.exponent, f.exponentError) + " over " + std::to_string(f.stars) + " stars\n";
}

std::string starCsv(const RotationCurve& curve, const World& w, const BinnedCurve* binned)
{
    const CurveCentre& c = curve.centre();
    const SlopeFit& fit = curve.slope();
    std::string out;
    out.reserve(600 + curve.stars().size() * 90);
    out += "# rotation curve of the simulated galaxy; radius in twips, speeds in twips per tick\n";
    out += "# centre x,y: " + number(c.x) + ',' + number(c.y) + '\n';
    out += "# centre velocity x,y: " + number(c.vx) + ',' + number(c.vy) + '\n';
    out += "# gravity of bodies 0..2 attracting: " + number(curve.centralGravity()) + '\n';
    out += "# total attracting gravity: " + number(curve.attractingGravity()) + '\n';
    out += "# exponent: " + (curve.exponent() ? number(*curve.exponent()) : std::string("none")) + '\n';
    out += "# pull factor: " + number(curve.pullFactor()) + '\n';
    out += curve.sense() > 0 ? "# positive speed: clockwise on screen\n"
                             : "# positive speed: counter-clockwise on screen\n";
    out += "# sense of rotation: that of the stars' total angular momentum about the centre\n";
    out += "# attractors' zone: " + number(curve.zoneRadius()) +
           " twips from the centre (5 x the pair's distance); the binned slope leaves out the stars inside it\n";
    out += "# per-star slope of ln speed against ln radius, unweighted, this moment: " +
           (fit.slope ? number(*fit.slope) : std::string("none")) + " over " + std::to_string(fit.stars) +
           " stars\n";
    if (binned) out += binnedSlopeLine(*binned);
    out += kCurveCsvHeader;
    out += '\n';
    for (const StarPoint& s : curve.stars()) {
        out += std::to_string(s.body);
        for (double v : {s.radius, s.speed, s.radialSpeed}) {
            out += ',';
            out += number(v);
        }
        for (float v : {w.colRed[s.body], w.colGreen[s.body], w.colBlue[s.body]}) {
            out += ',';
            out += shortestText(v);
        }
        out += '\n';
    }
    return out;
}

}  // namespace

std::string curveCsv(const RotationCurve& curve, const World& w) { return starCsv(curve, w, nullptr); }

std::string curveCsv(const RotationCurve& curve, const World& w, const BinnedCurve& binned)
{
    return starCsv(curve, w, &binned);
}

std::string binnedCurveCsv(const BinnedCurve& binned)
{
    std::string out;
    out.reserve(1200 + binned.bins().size() * 120);
    out += "# rotation curve of the simulated galaxy in radial bins, averaged over a window of " +
           std::to_string(binned.window()) + " ticks: " + std::to_string(binned.records()) + " records";
    if (binned.records() > 0)
        out += ", ticks " + std::to_string(binned.firstTick()) + " to " + std::to_string(binned.lastTick());
    out += "\n# radius in twips (the mean of the bin's stars), speeds in twips per tick\n";
    out += "# bins: " + std::to_string(BinnedCurve::kBinsPerOctave) + " per octave from " +
           number(BinnedCurve::kInnerRadius) + " to " + number(BinnedCurve::kOuterRadius) +
           " twips; a row per bin holding stars; stars: star observations per record\n";
    out += "# speed: mean tangential speed; sigmaTangential: its dispersion; sigmaRadial: rms radial speed\n";
    out += "# speedError: sqrt(sigmaTangential^2 + sigmaRadial^2) / sqrt(stars), the records seeing the same "
           "stars again; at least " +
           number(BinnedCurve::kMinRelativeError) + " of the speed, and with fewer than " +
           number(BinnedCurve::kLoneStars) +
           " stars at least the median sqrt(sigmaTangential^2 + sigmaRadial^2) / speed of the fuller bins (else " +
           number(BinnedCurve::kLoneRelativeError) + ") of the speed\n";
    out += "# selection: ";
    out += binned.nearCircularOnly()
               ? "bound stars on near-circular orbits (|radial speed| <= " + number(BinnedCurve::kNearCircularRatio) +
                     " x tangential speed)"
               : std::string("every star, whichever way it turns");
    out += " in play beyond the attractors' zone of " + number(binned.zoneRadius()) + " twips\n";
    const BinnedFit& f = binned.fit();
    out += "# fit: ln speed against ln radius, weighted by 1 / (speedError / speed)^2, over the bins with a "
           "positive speed and at least " +
           number(BinnedCurve::kMinFitStarsPerRecord) + " star per record; error Birge-scaled where reduced chi^2 > 1\n";
    if (f.slope) {
        out += "# slope: " + withShortestError(*f.slope, f.slopeError) + " over " + std::to_string(f.points) +
               " bins, " + std::to_string(f.stars) + " stars; reduced chi^2: " + number(f.reducedChi2) + '\n';
        out += "# exponent: " + withShortestError(f.exponent, f.exponentError) + '\n';
    } else {
        out += "# slope: none (" + std::to_string(f.points) + " bins to fit, " +
               std::to_string(BinnedCurve::kMinFitBins) + " needed)\n";
        out += "# exponent: none\n";
    }
    out += kBinnedCsvHeader;
    out += '\n';
    for (const CurveBin& c : binned.bins()) {
        bool first = true;
        for (double v : {c.radius, c.speed, c.speedError, c.sigmaTangential, c.sigmaRadial, c.stars}) {
            if (!first) out += ',';
            out += number(v);
            first = false;
        }
        out += '\n';
    }
    return out;
}

std::string rarCsv(const RotationCurve& curve, const ObservedScale& scale)
{
    RadialAcceleration rar;
    rar.update(curve);
    std::string out;
    out.reserve(1000 + rar.stars().size() * 70);
    out += "# radial acceleration relation of the simulated galaxy: a row per star in play beyond the attractors' "
           "zone of " +
           number(curve.zoneRadius()) + " twips that turns the galaxy's way\n";
    out += "# radius in twips; accelerations in twips per tick^2\n";
    out += "# gBar: 10000 M(<r) / r^2, Newton's pull of the attracting gravity inside r; gObs: v^2 / r, from the "
           "tangential speed\n";
    out += "# NGC 3198 scale" + std::string(scale.matched ? "" : " (default)") + ": 1 kpc = " +
           number(scale.twipsPerKpc) + " twips, 1 km/s = " + number(scale.speedPerKms) +
           " twips per tick, so 1 (km/s)^2/kpc = " + number(accelerationScale(scale)) + " twips per tick^2\n";
    out += "# McGaugh, Lelli & Schombert (2016): gObs = gBar / (1 - exp(-sqrt(gBar / g_dagger))), g_dagger = " +
           number(kMlsGDagger) + " m/s^2 = " + number(mlsGDagger(scale)) +
           " twips per tick^2 at this scale (1 (km/s)^2/kpc = " + number(kKms2PerKpc) + " m/s^2)\n";
    out += kRarCsvHeader;
    out += '\n';
    for (const AccelerationPoint& p : rar.stars())
        out += std::to_string(p.body) + ',' + number(p.radius) + ',' + number(p.gBar) + ',' + number(p.gObs) + '\n';
    return out;
}

std::string slopeText(const SlopeFit& fit) { return fit.slope ? twoDecimals(*fit.slope) : std::string("none"); }

}  // namespace orb
