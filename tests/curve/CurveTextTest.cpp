#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "base/Numbers.h"
#include "curve/Acceleration.h"
#include "curve/CurveCsv.h"
#include "curve/CurveText.h"
#include "curve/NgcScale.h"
#include "support/Recording.h"

namespace orb {
namespace {

using test::place;
using test::quietWorld;

constexpr double kCx = 7680, kCy = 5760;

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t p = 0, nl; (nl = text.find('\n', p)) != std::string::npos; p = nl + 1)
        lines.push_back(text.substr(p, nl - p));
    return lines;
}

// The cells of a CSV row as numbers; an empty vector if one does not read.
std::vector<double> cells(const std::string& row)
{
    std::vector<double> out;
    std::size_t p = 0;
    while (true) {
        const std::size_t comma = row.find(',', p);
        const auto v = strictNumber(row.substr(p, comma == std::string::npos ? std::string::npos : comma - p));
        if (!v) return {};
        out.push_back(*v);
        if (comma == std::string::npos) return out;
        p = comma + 1;
    }
}

// Sol, the pair at 250 twips (a zone of 1250), and sixty stars on Kepler's
// circles from 1300 to 7200 twips, with a little radial speed.
std::unique_ptr<World> disc()
{
    auto w = quietWorld(80);
    place(*w, 0, kCx, kCy, 0, 0, 100);
    place(*w, 1, kCx - 250, kCy, 0, 8, 0);
    place(*w, 2, kCx + 250, kCy, 0, -8, 0);
    for (int k = 0; k < 60; ++k) {
        const double r = 1300 + 100 * k, a = 0.37 * k, v = std::sqrt(1e6 / r);
        const double c = std::cos(a), s = std::sin(a), vr = k % 3 - 1;
        place(*w, 3 + k, kCx + r * c, kCy + r * s, -v * s + vr * c, v * c + vr * s, 0.1);
    }
    return w;
}

TEST(CurveText, MeasuredValuesReadWithTwoDecimalsAndARealPlusMinus)
{
    EXPECT_EQ(kPlusMinus, "\xC2\xB1");
    EXPECT_EQ(kArrow, "\xE2\x86\x92");
    struct Case {
        double value, error;
        const char* text;
    } cases[] = {
        {-0.4912, 0.0213, "-0.49 \xC2\xB1 0.02"}, {1.98, 0.04, "1.98 \xC2\xB1 0.04"},
        {-0.004, 0.001, "0.00 \xC2\xB1 0.00"},   {1e7, 2.5, "1e+07 \xC2\xB1 2.50"},
        {-DBL_MAX, DBL_MAX, "-1.8e+308 \xC2\xB1 1.8e+308"},
        {NAN, INFINITY, "0.00 \xC2\xB1 1.8e+308"},
    };
    for (const Case& c : cases) EXPECT_EQ(withError(c.value, c.error), c.text);

    BinnedFit f;
    EXPECT_EQ(slopeWithErrorText(f), "none");
    EXPECT_EQ(exponentWithErrorText(f), "none");
    f.stars = 12;
    EXPECT_EQ(binnedFitText(f), "slope none over 12 stars");
    f.slope = -0.4911;
    f.slopeError = 0.0213;
    f.exponent = 1.9822;
    f.exponentError = 0.0426;
    f.stars = 412;
    EXPECT_EQ(slopeWithErrorText(f), "-0.49 \xC2\xB1 0.02");
    EXPECT_EQ(exponentWithErrorText(f), "1.98 \xC2\xB1 0.04");
    EXPECT_EQ(binnedFitText(f), "slope -0.49 \xC2\xB1 0.02 \xE2\x86\x92 exponent 1.98 \xC2\xB1 0.04 over 412 stars");

    const auto rows = ngc3198Curve();
    ASSERT_TRUE(rows);
    EXPECT_EQ(exponentWithErrorText(ngcOuterExponent(*rows)), "1.05 \xC2\xB1 0.02");

    ObservedScale s;
    s.twipsPerKpc = 120.37;
    s.speedPerKms = 0.18345;
    EXPECT_EQ(ngcScaleText(s), "1 kpc = 120 twips, 1 km/s = 0.183 twips/tick");
    s.twipsPerKpc = 1234.6;
    s.speedPerKms = 2.5e-7;
    EXPECT_EQ(ngcScaleText(s), "1 kpc = 1235 twips, 1 km/s = 2.5e-07 twips/tick");
}

TEST(CurveCsv, TheBinnedCurveReadsBackWithItsWindowSelectionAndFit)
{
    RotationCurve curve;
    curve.update(*disc(), 2, 2);
    BinnedCurve binned;
    for (int t = 0; t < 5; ++t) binned.record(400 + 3 * t, curve, t == 4);  // the switch starts it afresh
    binned.record(420, curve, true);
    const auto lines = linesOf(binnedCurveCsv(binned));
    std::size_t h = 0;
    while (h < lines.size() && lines[h].starts_with('#')) ++h;
    ASSERT_LT(h, lines.size());
    EXPECT_EQ(lines[h], "radius,speed,speedError,sigmaTangential,sigmaRadial,stars");
    auto comment = [&](const std::string& start) {
        for (std::size_t k = 0; k < h; ++k)
            if (lines[k].starts_with(start)) return lines[k];
        return std::string("(missing) ") + start;
    };
    EXPECT_EQ(comment("# rotation curve"), "# rotation curve of the simulated galaxy in radial bins, averaged over a "
                                           "window of 270 ticks: 2 records, ticks 412 to 420");
    EXPECT_TRUE(comment("# selection:").starts_with("# selection: bound stars on near-circular orbits"));
    EXPECT_TRUE(comment("# selection:").ends_with("beyond the attractors' zone of 1250 twips"));
    const BinnedFit& f = binned.fit();
    ASSERT_TRUE(f.slope);
    EXPECT_EQ(comment("# slope:"), "# slope: " + shortestText(*f.slope) + " \xC2\xB1 " + shortestText(f.slopeError) +
                                       " over " + std::to_string(f.points) + " bins, " + std::to_string(f.stars) +
                                       " stars; reduced chi^2: " + shortestText(f.reducedChi2));
    EXPECT_EQ(comment("# exponent:"),
              "# exponent: " + shortestText(f.exponent) + " \xC2\xB1 " + shortestText(f.exponentError));
    ASSERT_EQ(lines.size() - h - 1, binned.bins().size());
    for (std::size_t k = 0; k < binned.bins().size(); ++k) {
        const CurveBin& c = binned.bins()[k];
        const std::vector<double> expected = {c.radius, c.speed, c.speedError, c.sigmaTangential, c.sigmaRadial,
                                              c.stars};
        EXPECT_EQ(cells(lines[h + 1 + k]), expected);
    }

    // Nothing recorded: the comments say so, the header stands alone.
    const auto empty = linesOf(binnedCurveCsv(BinnedCurve{}));
    EXPECT_EQ(empty.back(), "radius,speed,speedError,sigmaTangential,sigmaRadial,stars");
    EXPECT_NE(std::find(empty.begin(), empty.end(), "# slope: none (0 bins to fit, 3 needed)"), empty.end());
    EXPECT_NE(std::find(empty.begin(), empty.end(), "# exponent: none"), empty.end());
}

TEST(CurveCsv, TheStarCsvNamesTheBinnedSlope)
{
    const auto w = disc();
    RotationCurve curve;
    curve.update(*w, 2, 2);
    BinnedCurve binned;
    binned.record(7, curve);
    const std::string with = curveCsv(curve, *w, binned), without = curveCsv(curve, *w);
    const BinnedFit& f = binned.fit();
    ASSERT_TRUE(f.slope);
    const std::string line = "# binned slope of ln speed against ln radius (a window of 270 ticks, 1 records): " +
                             shortestText(*f.slope) + " \xC2\xB1 " + shortestText(f.slopeError) +
                             " \xE2\x86\x92 exponent " + shortestText(f.exponent) + " \xC2\xB1 " +
                             shortestText(f.exponentError) + " over " + std::to_string(f.stars) + " stars\n";
    EXPECT_NE(with.find(line), std::string::npos) << with.substr(0, 2000);
    EXPECT_EQ(without.find("# binned slope"), std::string::npos);
    // Otherwise the same text, rows and all.
    EXPECT_EQ(with.size(), without.size() + line.size());
    EXPECT_TRUE(with.ends_with(without.substr(without.find("\nbody,radius"))));
}

TEST(CurveCsv, TheAccelerationRelationHasARowPerStarAndItsUnits)
{
    RotationCurve curve;
    curve.update(*disc(), 2, 2);
    const auto rows = ngc3198Curve();
    ASSERT_TRUE(rows);
    const ObservedScale scale = fixedNgcScale(*rows, curve);
    ASSERT_TRUE(scale.matched);
    const auto lines = linesOf(rarCsv(curve, scale));
    std::size_t h = 0;
    while (h < lines.size() && lines[h].starts_with('#')) ++h;
    ASSERT_LT(h, lines.size());
    EXPECT_EQ(lines[h], "body,radius,gBar,gObs");
    std::string comments;
    for (std::size_t k = 0; k < h; ++k) comments += lines[k] + '\n';
    EXPECT_NE(comments.find("accelerations in twips per tick^2"), std::string::npos);
    EXPECT_NE(comments.find("1 kpc = " + shortestText(scale.twipsPerKpc) + " twips"), std::string::npos);
    EXPECT_NE(comments.find("g_dagger = 1.2e-10 m/s^2 = " + shortestText(mlsGDagger(scale)) + " twips per tick^2"),
              std::string::npos)
        << comments;
    RadialAcceleration rar;
    rar.update(curve);
    ASSERT_EQ(rar.stars().size(), 60u);
    ASSERT_EQ(lines.size() - h - 1, 60u);
    for (std::size_t k = 0; k < 60; ++k) {
        const AccelerationPoint& p = rar.stars()[k];
        const std::vector<double> expected = {double(p.body), p.radius, p.gBar, p.gObs};
        EXPECT_EQ(cells(lines[h + 1 + k]), expected);
    }
}

}  // namespace
}  // namespace orb
