#include "curve/ObservedCurve.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/Numbers.h"
#include "curve/Finite.h"

namespace orb {

namespace {

std::string_view trimBlanks(std::string_view s)
{
    const std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos) return {};
    const std::size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

}  // namespace

Result<std::vector<ObservedRow>> parseObservedCurve(std::string_view text, std::string_view fileName)
{
    using Rows = std::vector<ObservedRow>;
    const std::string file(fileName);
    auto refuse = [&](int line, const std::string& what) -> Result<Rows> {
        return fail(file + ", line " + std::to_string(line) + ": " + what);
    };
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

    static const char* const names[] = {"radius_kpc", "speed_kms", "error_kms", "gas_kms", "disk_kms"};
    Rows rows;
    bool header = false;
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t nl = text.find('\n', pos);
        std::string_view line = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? text.size() : nl + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = trimBlanks(line);
        if (line.empty() || line.front() == '#') continue;
        if (!header) {
            if (line != kObservedHeader)
                return refuse(lineNo, "the header must be \"" + std::string(kObservedHeader) + "\"");
            header = true;
            continue;
        }
        double v[5];
        std::size_t start = 0;
        for (int c = 0; c < 5; ++c) {
            const std::size_t comma = line.find(',', start);
            const bool lastCell = c == 4;
            if (lastCell != (comma == std::string_view::npos))
                return refuse(lineNo, "expected 5 columns");
            const std::string_view cell = line.substr(start, lastCell ? std::string_view::npos : comma - start);
            const auto num = strictNumber(cell);
            if (!num)
                return refuse(lineNo, std::string(names[c]) + " \"" + std::string(cell) + "\" is not a finite number");
            v[c] = *num;
            start = comma + 1;
        }
        ObservedRow r{v[0], v[1], v[2], v[3], v[4]};
        if (!(r.radiusKpc > 0)) return refuse(lineNo, "radius_kpc must be above 0");
        if (!rows.empty() && !(r.radiusKpc > rows.back().radiusKpc))
            return refuse(lineNo, "radius_kpc must grow from row to row");
        if (r.speedKms < 0) return refuse(lineNo, "speed_kms must not be negative");
        if (r.errorKms < 0) return refuse(lineNo, "error_kms must not be negative");
        rows.push_back(r);
    }
    if (!header) return fail(file + ": no header \"" + std::string(kObservedHeader) + "\"");
    if (rows.empty()) return fail(file + ": no rows after the header");
    return rows;
}

double visibleSpeedSquared(const ObservedRow& row)
{
    // Scaled by the larger speed, so that the sum keeps its sign where the
    // squares would overflow; then at most the largest double in size.
    const double g0 = curve::finite(row.gasKms), d0 = curve::finite(row.diskKms);
    const double m = std::max(std::fabs(g0), std::fabs(d0));
    if (!(m > 0)) return 0;
    const double g = g0 / m, d = d0 / m;
    const double q = g * std::fabs(g) + 0.5 * d * std::fabs(d);
    return curve::finite(curve::finite(q * m) * m);
}

double visibleSpeed(const ObservedRow& row)
{
    // Scaled by the larger speed, so that squaring cannot overflow.
    const double m = std::max(std::fabs(row.gasKms), std::fabs(row.diskKms));
    if (!(m > 0) || !std::isfinite(m)) return 0;
    const double g = row.gasKms / m, d = row.diskKms / m;
    const double q = g * std::fabs(g) + 0.5 * d * std::fabs(d);
    return q > 0 ? curve::finite(m * std::sqrt(q)) : 0.0;
}

Result<std::vector<ObservedRow>> ngc3198Curve() { return parseObservedCurve(ngc3198Text(), kNgc3198FileName); }

}  // namespace orb
