#include "world/SceneFile.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/Numbers.h"

namespace orb {

std::string sceneText(const World& w)
{
    std::string out;
    out.reserve(kSlots * 80);
    out += kSceneHeader;
    out += '\n';
    for (int i = 0; i < kSlots; ++i) {
        out += std::to_string(i);
        for (double v : {w.posX[i], w.posY[i], w.momX[i], w.momY[i], w.gravity[i]}) {
            out += ',';
            out += shortestText(v);
        }
        out += ',';
        out += std::to_string(w.outOfPlay[i]);
        out += ',';
        out += shortestText(w.bodyType[i]);
        for (float v : {w.colRed[i], w.colGreen[i], w.colBlue[i]}) {
            out += ',';
            out += shortestText(v);
        }
        out += '\n';
    }
    return out;
}

namespace {

std::vector<std::string_view> splitCommas(std::string_view line)
{
    std::vector<std::string_view> cells;
    std::size_t start = 0;
    for (;;) {
        std::size_t c = line.find(',', start);
        if (c == std::string_view::npos) {
            cells.push_back(line.substr(start));
            return cells;
        }
        cells.push_back(line.substr(start, c - start));
        start = c + 1;
    }
}

// Length of the well-formed UTF-8 sequence at the start of s, with its code
// point; 0 when the first byte does not start one (overlong forms, surrogates
// and code points past U+10FFFF included).
std::size_t utf8Sequence(std::string_view s, char32_t* cp)
{
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(0);
    std::size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) n = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < n || b(1) < lo || b(1) > hi) return 0;
    char32_t v = c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if (k > 1 && (b(k) < 0x80 || b(k) > 0xBF)) return 0;
        v = (v << 6) | (b(k) & 0x3F);
    }
    *cp = v;
    return n;
}

// Code points that would break a message's line or turn its text around.
bool invisible(char32_t cp)
{
    return (cp >= 0x80 && cp <= 0x9F) || (cp >= 0x200B && cp <= 0x200F) || (cp >= 0x2028 && cp <= 0x202E) ||
           (cp >= 0x2060 && cp <= 0x206F) || cp == 0xFEFF;
}

}  // namespace

std::string quoteCell(std::string_view cell)
{
    constexpr int kMaxChars = 40;
    std::string out = "\"";
    char hex[16];
    int chars = 0;
    std::size_t i = 0;
    while (i < cell.size()) {
        if (chars == kMaxChars) {
            out += "...";
            break;
        }
        ++chars;
        const auto c = static_cast<unsigned char>(cell[i]);
        if (c < 0x80) {
            ++i;
            switch (c) {
                case '\t': out += "\\t"; continue;
                case '\r': out += "\\r"; continue;
                case '\n': out += "\\n"; continue;
                case '\\': out += "\\\\"; continue;
                case '"': out += "\\\""; continue;
                default: break;
            }
            if (c < 0x20 || c == 0x7F) {
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += static_cast<char>(c);
            }
            continue;
        }
        char32_t cp = 0;
        const std::size_t n = utf8Sequence(cell.substr(i), &cp);
        if (n == 0) {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
            ++i;
        } else {
            if (invisible(cp)) {
                std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(cp));
                out += hex;
            } else {
                out.append(cell.substr(i, n));
            }
            i += n;
        }
    }
    out += '"';
    return out;
}

Result<int> loadScene(std::string_view text, World& w)
{
    int highest = -1;
    auto refuse = [](std::size_t line, const std::string& what) -> Result<int> {
        return fail("line " + std::to_string(line) + ": " + what);
    };
    if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
        static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF)
        text.remove_prefix(3);

    // Parse into a copy so that a refused file leaves the table as it was.
    auto next = std::make_unique<World>(w);
    next->clearBodies();
    next->outOfPlay.fill(1);
    std::vector<bool> seen(kSlots, false);

    static const char* names[] = {"body",    "posX",      "posY",     "momX",   "momY",    "gravity",
                                  "outOfPlay", "bodyType", "colRed", "colGreen", "colBlue"};
    std::size_t lineNo = 0;
    bool header = false;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::string_view line = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? text.size() + 1 : nl + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!header) {
            if (line != kSceneHeader) return refuse(lineNo, "the header must be \"" + std::string(kSceneHeader) + "\"");
            header = true;
            continue;
        }
        if (line.find_first_not_of(" \t") == std::string_view::npos) continue;  // blank line
        auto cells = splitCommas(line);
        if (cells.size() != 11)
            return refuse(lineNo, "expected 11 columns, found " + std::to_string(cells.size()));
        double v[11];
        for (int c = 0; c < 11; ++c) {
            auto num = strictNumber(cells[c]);
            if (!num) return refuse(lineNo, std::string(names[c]) + " " + quoteCell(cells[c]) + " is not a finite number");
            v[c] = *num;
        }
        const auto body = wholeNumber(v[0], 0, kMaxBody);
        if (!body) return refuse(lineNo, "body " + quoteCell(cells[0]) + " is not a body number 0..999");
        const auto b = static_cast<std::size_t>(*body);
        if (seen[b]) return refuse(lineNo, "body " + std::to_string(b) + " is listed twice");
        seen[b] = true;
        if (v[6] != 0 && v[6] != 1) return refuse(lineNo, "outOfPlay must be 0 or 1");
        for (int c = 8; c < 11; ++c)
            if (v[c] < 0 || v[c] > 255 || v[c] != std::floor(v[c]))
                return refuse(lineNo, std::string(names[c]) + " must be a whole number 0..255");
        next->posX[b] = v[1];
        next->posY[b] = v[2];
        next->momX[b] = v[3];
        next->momY[b] = v[4];
        next->gravity[b] = v[5];
        next->outOfPlay[b] = static_cast<std::int16_t>(v[6]);
        next->bodyType[b] = v[7];
        next->colRed[b] = static_cast<float>(v[8]);
        next->colGreen[b] = static_cast<float>(v[9]);
        next->colBlue[b] = static_cast<float>(v[10]);
        if (static_cast<int>(b) > highest) highest = static_cast<int>(b);
    }
    if (!header) return refuse(1, "the file is empty");
    if (highest < 0) return refuse(lineNo, "the scene lists no body");
    w = *next;
    return highest;
}

Result<int> loadSceneFile(const std::string& path, World& w)
{
    const auto text = readRegularFile(path, kSceneMaxBytes);
    if (!text) return fail(text.error());
    auto res = loadScene(*text, w);
    if (!res) return fail(path + ": " + res.error());
    return res;
}

}  // namespace orb
