#include "base/Numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace orb {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

struct Scan {
    std::size_t end = 0;     // one past the last character of the number
    bool any = false;        // at least one mantissa digit
    bool negative = false;
    std::size_t mantBegin = 0;  // first character after the sign
};

// Finds the longest prefix of text (after leading blanks) that is a number.
Scan scanNumber(std::string_view t, std::size_t pos)
{
    Scan s;
    std::size_t i = pos;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        s.negative = t[i] == '-';
        ++i;
    }
    s.mantBegin = i;
    std::size_t digits = 0;
    while (i < t.size() && isDigit(t[i])) { ++i; ++digits; }
    if (i < t.size() && t[i] == '.') {
        std::size_t j = i + 1;
        std::size_t frac = 0;
        while (j < t.size() && isDigit(t[j])) { ++j; ++frac; }
        if (digits + frac > 0) { i = j; digits += frac; }
    }
    if (digits == 0) return s;
    s.any = true;
    s.end = i;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
        std::size_t expDigits = 0;
        while (j < t.size() && isDigit(t[j])) { ++j; ++expDigits; }
        if (expDigits > 0) s.end = j;
    }
    return s;
}

// Converts the scanned characters; saturates on overflow, gives 0 on underflow.
double convert(std::string_view t, const Scan& s, bool* overflowed)
{
    std::string_view body = t.substr(s.mantBegin, s.end - s.mantBegin);
    // from_chars wants a digit first: ".42" becomes "0.42".
    std::string buf;
    if (!body.empty() && body.front() == '.') {
        buf = "0";
        buf += body;
        body = buf;
    }
    double v = 0;
    auto res = std::from_chars(body.data(), body.data() + body.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        // Tell overflow from underflow by the decimal magnitude.
        long long intDigits = 0;
        long long leadingFracZeros = 0;
        std::size_t k = 0;
        bool seenNonZero = false;
        while (k < body.size() && isDigit(body[k])) {
            if (body[k] != '0') seenNonZero = true;
            if (seenNonZero) ++intDigits;
            ++k;
        }
        if (k < body.size() && body[k] == '.') {
            ++k;
            while (!seenNonZero && k < body.size() && body[k] == '0') { ++leadingFracZeros; ++k; }
            while (k < body.size() && isDigit(body[k])) ++k;
        }
        long long exponent = 0;
        if (k < body.size() && (body[k] == 'e' || body[k] == 'E')) {
            ++k;
            bool neg = false;
            if (k < body.size() && (body[k] == '+' || body[k] == '-')) { neg = body[k] == '-'; ++k; }
            while (k < body.size() && isDigit(body[k])) {
                if (exponent < 1000000000LL) exponent = exponent * 10 + (body[k] - '0');
                ++k;
            }
            if (neg) exponent = -exponent;
        }
        long long magnitude = (intDigits > 0 ? intDigits : -leadingFracZeros) + exponent;
        if (magnitude > 0) {
            v = std::numeric_limits<double>::max();
            if (overflowed) *overflowed = true;
        } else {
            v = 0;
        }
    }
    return s.negative ? -v : v;
}

}  // namespace

double val(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    Scan s = scanNumber(text, i);
    if (!s.any) return 0;
    return convert(text, s, nullptr);
}

std::optional<double> strictNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    Scan s = scanNumber(text, i);
    if (!s.any) return std::nullopt;
    std::size_t k = s.end;
    while (k < text.size() && isBlank(text[k])) ++k;
    if (k != text.size()) return std::nullopt;
    bool overflow = false;
    double v = convert(text, s, &overflow);
    if (overflow) return std::nullopt;
    return v;
}

std::optional<std::int16_t> toInt16(double x)
{
    if (!std::isfinite(x)) return std::nullopt;
    double r = std::nearbyint(x);  // default rounding mode: halves to even
    if (r < -32768.0 || r > 32767.0) return std::nullopt;
    return static_cast<std::int16_t>(r);
}

std::optional<std::int32_t> toInt32(double x)
{
    if (!std::isfinite(x)) return std::nullopt;
    double r = std::nearbyint(x);
    if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return static_cast<std::int32_t>(r);
}

std::optional<std::int16_t> strictInt16(std::string_view text)
{
    auto v = strictNumber(text);
    if (!v) return std::nullopt;
    return toInt16(*v);
}

std::int32_t roundClamp(double x, std::int32_t lo, std::int32_t hi)
{
    if (std::isnan(x)) return lo;
    double r = std::nearbyint(x);
    if (r < lo) return lo;
    if (r > hi) return hi;
    return static_cast<std::int32_t>(r);
}

std::optional<long long> wholeNumber(double v, long long lo, long long hi)
{
    // [-2^63, 2^63) are exact doubles; NaN fails both comparisons.
    if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0)) return std::nullopt;
    if (v != std::trunc(v)) return std::nullopt;
    const auto n = static_cast<long long>(v);
    if (n < lo || n > hi) return std::nullopt;
    return n;
}

namespace {

// The text of the number d1.d2d3... x 10^exp10 (digits: up to 15 significant).
std::string plainText(bool negative, std::string digits, int exp10)
{
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out = negative ? "-" : "";
    if (exp10 >= 15 || exp10 < -15) {
        // Exponent form, mantissa trimmed: 1E+20, -2.5E-16.
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1, std::string::npos);
        }
        out += exp10 < 0 ? "E-" : "E+";
        out += std::to_string(exp10 < 0 ? -exp10 : exp10);
    } else if (exp10 >= 0) {
        const auto whole = static_cast<std::size_t>(exp10) + 1;
        if (digits.size() <= whole) {
            out += digits;
            out.append(whole - digits.size(), '0');
        } else {
            out.append(digits, 0, whole);
            out += '.';
            out.append(digits, whole, std::string::npos);
        }
    } else {
        out += "0.";
        out.append(static_cast<std::size_t>(-exp10 - 1), '0');
        out += digits;
    }
    return out;
}

}  // namespace

std::string numText(double x)
{
    if (std::isnan(x) || x == 0) return "0";
    if (std::isinf(x)) x = std::copysign(std::numeric_limits<double>::max(), x);
    // 15 significant digits, rounded to nearest: "-d.dddddddddddddde+XXX".
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.14e", x);
    const std::string_view s(buf);
    const bool negative = s.front() == '-';
    const std::size_t first = negative ? 1 : 0;
    std::string digits;
    digits += s[first];
    digits.append(s.substr(first + 2, 14));
    const std::size_t e = s.find('e');
    int exp10 = 0;
    std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), exp10);

    std::string text = plainText(negative, digits, exp10);
    if (strictNumber(text)) return text;
    // Rounded up past the largest double (only its neighbourhood does that):
    // the 15 digits rounded toward zero are the closest text that reads back.
    long long d = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), d);
    --d;
    if (d < 100000000000000LL) {
        d = d * 10 + 9;
        --exp10;
    }
    return plainText(negative, std::to_string(d), exp10);
}

std::string shortestText(double x)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, res.ptr);
}

std::string shortestText(float x)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, res.ptr);
}

}  // namespace orb
