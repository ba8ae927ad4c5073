// The run file parser: a refusal is one printable line of bounded length that
// names the file and a line; an accepted file holds only what a journal may
// hold, and writes back to a text that reads back to the same text.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "Printable.h"
#include "Require.h"
#include "scenario/RunFile.h"
#include "world/TableHash.h"

namespace {

using namespace orb;

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
