// The number conversions of the panel's fields: the lenient and strict
// readings of a text, the whole-number conversions, and the text a number is
// shown with, which must always read back.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "Require.h"
#include "base/Numbers.h"

namespace {

using namespace orb;

void checkWhole(double x)
{
    if (const auto v = toInt16(x)) ORB_REQUIRE(std::fabs(*v - x) <= 0.5);
    if (const auto v = toInt32(x)) ORB_REQUIRE(std::fabs(*v - x) <= 0.5);
    const std::int32_t c = roundClamp(x, -1000, 1000);
    ORB_REQUIRE(c >= -1000 && c <= 1000);
}

// A shown number reads back, as close as 15 significant digits allow.
void checkShown(double x)
{
    const std::string text = numText(x);
    const auto back = strictNumber(text);
    ORB_REQUIRE(back.has_value());
    ORB_REQUIRE(std::isfinite(*back));
    if (!std::isfinite(x)) return;
    char rounded[40];
    std::snprintf(rounded, sizeof rounded, "%.14e", x);
    const double nearest = std::strtod(rounded, nullptr);
    if (std::isfinite(nearest))
        ORB_REQUIRE(*back == nearest);
    else  // only the neighbourhood of the largest double rounds past it
        ORB_REQUIRE(std::fabs(*back) <= DBL_MAX && std::fabs(*back) >= DBL_MAX * (1 - 1e-14));
    const auto exact = strictNumber(shortestText(x));
    ORB_REQUIRE(exact && (*exact == x));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const double lenient = val(text);
    ORB_REQUIRE(std::isfinite(lenient));
    if (const auto strict = strictNumber(text)) {
        ORB_REQUIRE(std::isfinite(*strict));
        ORB_REQUIRE(*strict == lenient);  // a whole number text is its own leading number
        checkShown(*strict);
    }
    if (strictInt16(text)) ORB_REQUIRE(strictNumber(text).has_value());
    checkWhole(lenient);
    checkShown(lenient);

    // The bytes as a double, any bit pattern, and a range from the next ones.
    if (size >= 8) {
        double x = 0;
        std::memcpy(&x, data, sizeof x);
        checkWhole(x);
        checkShown(x);
        long long lo = -1000, hi = 1000;
        if (size >= 24) {
            std::memcpy(&lo, data + 8, sizeof lo);
            std::memcpy(&hi, data + 16, sizeof hi);
        }
        if (const auto w = wholeNumber(x, lo, hi)) {
            ORB_REQUIRE(*w >= lo && *w <= hi);
            ORB_REQUIRE(static_cast<double>(*w) == x);
        }
    }
    return 0;
}
