#pragma once
// Number conversions of the control panel: the lenient reading of a field (its
// leading number, 0 when there is none), the strict one (the whole text must be a
// number), whole-number conversions that round halves to even and refuse values
// out of range, and the plain text form numbers are written back with.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orb {

// Leading number of the text: blanks, sign, digits, point, exponent. ".42" is
// 0.42, "12abc" is 12, "abc" is 0. A number too large for a double saturates at
// the largest finite double, so the result is always finite.
double val(std::string_view text);

// The whole text (blanks around it allowed) must be one finite number.
std::optional<double> strictNumber(std::string_view text);

// Round to nearest, halves to even; nothing when out of range or not finite.
std::optional<std::int16_t> toInt16(double x);
std::optional<std::int32_t> toInt32(double x);

// Strict reading followed by the 16-bit conversion.
std::optional<std::int16_t> strictInt16(std::string_view text);

// Round half to even and clamp into [lo, hi]; NaN gives lo.
std::int32_t roundClamp(double x, std::int32_t lo, std::int32_t hi);

// The value when it is exactly a whole number within [lo, hi]; nothing for a
// fraction, NaN, infinity or anything out of range. The range is checked before
// the value is converted, so no double ever reaches a cast it does not fit.
std::optional<long long> wholeNumber(double v, long long lo, long long hi);

// Plain decimal text: up to 15 significant digits (rounded to nearest), no
// grouping, exponent form only for very large or very small magnitudes
// ("1E+20"). The text always reads back through strictNumber: where rounding
// would carry past the largest double the last digit is rounded down instead.
// NaN is written "0", infinities as the largest double.
std::string numText(double x);

// Shortest text that reads back to exactly the same value (scene files).
std::string shortestText(double x);
std::string shortestText(float x);

}  // namespace orb
