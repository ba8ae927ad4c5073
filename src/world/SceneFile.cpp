#include "world/SceneFile.h"

#include <cmath>
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

}  // namespace

Result<int> loadScene(std::string_view text, World& w)
{
    int highest = -1;
    auto refuse = [](int line, const std::string& what) -> Result<int> {
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
    int lineNo = 0;
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
            if (!num) return refuse(lineNo, std::string(names[c]) + " \"" + std::string(cells[c]) + "\" is not a finite number");
            v[c] = *num;
        }
        if (v[0] != std::floor(v[0]) || v[0] < 0 || v[0] > kMaxBody)
            return refuse(lineNo, "body " + std::string(cells[0]) + " is not a body number 0..999");
        const int b = static_cast<int>(v[0]);
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
        if (b > highest) highest = b;
    }
    if (!header) return refuse(1, "the file is empty");
    if (highest < 0) return refuse(lineNo, "the scene lists no body");
    w = *next;
    return highest;
}

}  // namespace orb
