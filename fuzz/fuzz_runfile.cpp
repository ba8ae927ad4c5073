// The run file parser: a refusal is one printable line of bounded length that
// names the file and a line; an accepted file holds only what a journal may
// hold, and writes back to a text that reads back to the same text.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "Require.h"
#include "scenario/RunFile.h"
#include "world/TableHash.h"

namespace {

using namespace orb;

// One line of printable UTF-8: no C0 or C1 control, no DEL, no line or
// paragraph separator, nothing malformed.
bool printableLine(std::string_view s)
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

bool finiteTable(const World& w)
{
    bool finite = std::isfinite(w.gravityExponent);
    forEachBodyColumn([&](const char*, auto column) {
        for (const auto v : w.*column) finite = finite && std::isfinite(static_cast<double>(v));
    });
    return finite;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto res = parseRunFile(text, "fuzz.orbrun");
    if (!res) {
        const std::string& m = res.error();
        ORB_REQUIRE(m.rfind("fuzz.orbrun: line ", 0) == 0 && m.size() <= 400);
        ORB_REQUIRE(printableLine(m));
        return 0;
    }
    const Journal& j = *res;
    ORB_REQUIRE(finiteTable(j.start.table));
    ORB_REQUIRE(j.start.table.bodyCount >= 0 && j.start.table.bodyCount <= kMaxBody);
    ORB_REQUIRE(j.start.table.borderMode == 1 || j.start.table.borderMode == 2);
    ORB_REQUIRE((j.start.random.inc & 1u) == 1);
    for (const JournalSetting& s : j.start.settings)
        ORB_REQUIRE((!s.held || std::isfinite(*s.held)) && (!s.left || std::isfinite(*s.left)));
    long long last = 0;
    for (const JournalEntry& e : j.entries) {
        ORB_REQUIRE(e.tick >= last && e.tick <= j.endTick && e.line >= 1);
        last = e.tick;
    }
    // What was read is written as it reads back: a second round changes nothing.
    const std::string written = runFileText(j);
    const auto again = parseRunFile(written, "again.orbrun");
    ORB_REQUIRE(again);
    ORB_REQUIRE(runFileText(*again) == written);
    ORB_REQUIRE(tableHash(again->start.table) == tableHash(j.start.table));
    return 0;
}
