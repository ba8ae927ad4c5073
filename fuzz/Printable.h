#pragma once
// What every refusal message must be: one line of printable UTF-8.

#include <cstddef>
#include <string_view>

// No C0 or C1 control, no DEL, no line or paragraph separator, nothing
// malformed.
inline bool printableLine(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            if (c < 0x20 || c == 0x7F) return false;
            ++i;
            continue;
        }
        const std::size_t n = c >= 0xF8 ? 0 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
        if (n == 0 || i + n > s.size()) return false;
        char32_t cp = c & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp <= 0x9F || cp == 0x2028 || cp == 0x2029) return false;
        i += n;
    }
    return true;
}
