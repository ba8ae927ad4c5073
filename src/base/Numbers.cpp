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

std::string numText(double x)
{
    if (std::isnan(x)) return "0";
    if (x == 0) return "0";
    char buf[64];
    double mag = std::fabs(x);
    if (mag >= 1e15 || mag < 1e-15) {
        // Exponent form, mantissa trimmed: 1E+20, -2.5E-16.
        std::snprintf(buf, sizeof buf, "%.14E", x);
        std::string s(buf);
        auto e = s.find('E');
        std::string mant = s.substr(0, e);
        std::string ex = s.substr(e + 1);
        if (mant.find('.') != std::string::npos) {
            while (!mant.empty() && mant.back() == '0') mant.pop_back();
            if (!mant.empty() && mant.back() == '.') mant.pop_back();
        }
        // Exponent without leading zeros beyond two digits: E+20, E-05 -> E-5? keep plain.
        char sign = ex.empty() ? '+' : ex[0];
        std::string digits = ex.substr(1);
        while (digits.size() > 1 && digits.front() == '0') digits.erase(digits.begin());
        return mant + "E" + sign + digits;
    }
    std::snprintf(buf, sizeof buf, "%.15g", x);
    std::string s(buf);
    if (s.find('e') != std::string::npos) {
        // %.15g chose exponent form for a small magnitude: write it out in full.
        std::snprintf(buf, sizeof buf, "%.30f", x);
        s = buf;
        // keep 15 significant digits
        std::size_t firstSig = s.find_first_of("123456789");
        std::size_t point = s.find('.');
        std::size_t keep = firstSig;
        int sig = 0;
        while (keep < s.size() && sig < 15) {
            if (s[keep] != '.') ++sig;
            ++keep;
        }
        s.resize(keep);
        if (s.find('.') != std::string::npos && point != std::string::npos) {
            while (!s.empty() && s.back() == '0') s.pop_back();
            if (!s.empty() && s.back() == '.') s.pop_back();
        }
    }
    return s;
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
