#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include "scenario/RunFile.h"
#include "support/BodyTable.h"

namespace orb {
namespace {

// A small journal with values that a careless writer would not bring back:
// -0, the smallest denormal, the largest double, a tenth, single-precision
// colours, texts with quotes, a line break and non-ASCII letters.
Journal awkward()
{
    Journal j;
    World& t = j.start.table;
    t.posX[0] = -0.0;
    t.posY[0] = 4.9406564584124654e-324;
    t.momX[0] = DBL_MAX;
    t.momY[0] = 0.1;
    t.gravity[0] = -1e-300;
    t.outOfPlay[7] = 1;
    t.bodyType[999] = 3;
    t.colRed[999] = 0.1f;
    t.colGreen[999] = FLT_MAX;
    t.colBlue[999] = -FLT_MIN;
    t.bodyCount = 999;
    t.nextStar = -3;
    t.gravityExponent = 1.0000000000000002;
    t.borderMode = 2;
    j.start.settings = {{"TXg(2)", "1.5e", 1.5, 2.0}, {"CHkeep", "1", {}, {}}, {"SSSmo", "\"quoted\"\nline", {}, -0.0}};
    j.start.random = {0xfedcba9876543210ULL, 0x13};
    j.entries = {{0, "click", "Command2", "", 0},
                 {5, "type", "TXg(2)", "Grüße \"x\"\t", 0},
                 {5, "edit", "posX(12)", "-0", 0},
                 {1000, "hash", "", "0x0123456789abcdef", 0}};
    j.endTick = 1234;
    j.endHash = 0xffffffffffffffffULL;
    return j;
}

void expectSame(const Journal& a, const Journal& b)
{
    EXPECT_EQ(test::bodyTableDifference(a.start.table, b.start.table), "");
    forEachRunCounter([&](const char* name, auto m) {
        EXPECT_EQ(std::memcmp(&(a.start.table.*m), &(b.start.table.*m), sizeof(a.start.table.*m)), 0) << name;
    });
    ASSERT_EQ(a.start.settings.size(), b.start.settings.size());
    for (std::size_t k = 0; k < a.start.settings.size(); ++k) {
        const auto &x = a.start.settings[k], &y = b.start.settings[k];
        EXPECT_EQ(x.name, y.name);
        EXPECT_EQ(x.text, y.text);
        EXPECT_EQ(x.held.has_value(), y.held.has_value());
        EXPECT_EQ(x.left.has_value(), y.left.has_value());
        if (x.left && y.left) EXPECT_EQ(std::signbit(*x.left), std::signbit(*y.left));
        if (x.held && y.held) EXPECT_EQ(*x.held, *y.held);
    }
    EXPECT_EQ(a.start.random.state, b.start.random.state);
    EXPECT_EQ(a.start.random.inc, b.start.random.inc);
    ASSERT_EQ(a.entries.size(), b.entries.size());
    for (std::size_t k = 0; k < a.entries.size(); ++k) {
        EXPECT_EQ(a.entries[k].tick, b.entries[k].tick);
        EXPECT_EQ(a.entries[k].action, b.entries[k].action);
        EXPECT_EQ(a.entries[k].name, b.entries[k].name);
        EXPECT_EQ(a.entries[k].text, b.entries[k].text);
    }
    EXPECT_EQ(a.endTick, b.endTick);
    EXPECT_EQ(a.endHash, b.endHash);
}

TEST(RunFile, EveryValueComesBackBitForBit)
{
    const Journal j = awkward();
    const std::string text = runFileText(j);
    const auto back = parseRunFile(text, "run.orbrun");
    ASSERT_TRUE(back) << back.error();
    expectSame(j, *back);
    // Each entry remembers its line, for the messages of a replay.
    EXPECT_EQ(back->entries[1].line, back->entries[0].line + 1);
    EXPECT_EQ(runFileText(*back), text);
}

// Replaces the first `from` in the file's text by `to`.
std::string with(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

int lineOf(const std::string& text, const std::string& what)
{
    const auto at = text.find(what);
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

TEST(RunFile, AFaultIsRefusedInOneLineNamingTheFileAndItsLine)
{
    const std::string good = runFileText(awkward());
    const int journalLine = lineOf(good, "\"action\":\"type\"");
    const int bodyLine = lineOf(good, "\"body\":999");
    struct Case {
        std::string text;
        int line;
        const char* says;
    } cases[] = {
        {with(good, "\"action\":\"type\"", "\"action\":\"type\" \"x\""), journalLine, "not JSON"},
        {good.substr(0, good.size() / 2), 0, "not JSON"},
        {with(good, "orbitarium-run", "orbitarium-scene"), 1, "not a run file"},
        {with(good, "\"version\": 1", "\"version\": 2"), 1, "later version"},
        {with(good, "\"body\":999", "\"body\":1000"), bodyLine, "body number"},
        {with(good, "\"body\":999", "\"body\":0"), bodyLine, "given twice"},
        {with(good, "\"colRed\":0.10000000149011612", "\"colRed\":null"), bodyLine, "not a number"},
        {with(good, "\"colRed\":0.10000000149011612", "\"colRed\":0.1"), bodyLine, "single-precision"},
        {with(good, "{\"tick\":5,\"action\":\"type\"", "{\"tick\":-1,\"action\":\"type\""), journalLine, "tick"},
        {with(good, "{\"tick\":5,\"action\":\"edit\"", "{\"tick\":2,\"action\":\"edit\""), journalLine + 1, "comes after"},
        {with(good, "{\"tick\":1000,", "{\"tick\":99999,"), journalLine + 2, "tick"},
        {with(good, "\"action\":\"type\"", "\"action\":\"erase\""), journalLine, "not an input"},
        {with(good, "\"text\":\"1.5e\"", "\"text\":\"" + std::string(5000, 'x') + "\""), 0, "longer than"},
        {with(good, "\"name\":\"TXg(2)\",\"text\":\"1.5e\"", "\"name\":[[[[[[[1]]]]]]],\"text\":\"1.5e\""), 0, "deeper"},
        {with(good, "\"inc\":\"0x0000000000000013\"", "\"inc\":\"0x0000000000000012\""), 0, "even"},
        {with(good, "\"bodyCount\":999", "\"bodyCount\":1000"), 0, "bodyCount"},
    };
    for (const Case& c : cases) {
        const auto r = parseRunFile(c.text, "run.orbrun");
        ASSERT_FALSE(r) << c.says;
        const std::string& m = r.error();
        EXPECT_EQ(m.rfind("run.orbrun: line ", 0), 0u) << m;
        if (c.line > 0) EXPECT_NE(m.find("line " + std::to_string(c.line) + ":"), std::string::npos) << m;
        EXPECT_NE(m.find(c.says), std::string::npos) << m;
        EXPECT_EQ(m.find('\n'), std::string::npos) << m;
        EXPECT_LT(m.size(), 300u) << m;
    }
}

// A file cut anywhere is refused, never half read.
TEST(RunFile, EveryPrefixIsRefusedOrTheWholeFile)
{
    const std::string good = runFileText(awkward());
    for (std::size_t n = 0; n < good.size(); ++n) {
        const auto r = parseRunFile(std::string_view(good).substr(0, n), "cut.orbrun");
        // Only the final line break may go.
        if (r) {
            EXPECT_GE(n, good.size() - 1);
            continue;
        }
        EXPECT_EQ(r.error().rfind("cut.orbrun: line ", 0), 0u) << r.error();
    }
}

}  // namespace
}  // namespace orb
