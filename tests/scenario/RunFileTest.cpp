#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "scenario/RunFile.h"
#include "world/SceneFile.h"
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
    t.nextStar = 1000;
    t.taggedBody = -32768;
    t.colRed[5] = FLT_TRUE_MIN;
    t.gravityExponent = 1.0000000000000002;
    t.borderMode = 2;
    j.start.settings = {{"TXg(2)", "1.5e", 1.5, 2.0}, {"CHkeep", "1", {}, {}}, {"SSSmo", "\"quoted\"\nline", {}, -0.0}};
    j.start.random = {0xfedcba9876543210ULL, 0x13};
    j.entries = {{0, "click", "Command2", "", 0},
                 {5, "type", "TXg(2)", "Grüße \"x\"\t", 0},
                 {5, "edit", "posX(12)", "-0", 0},
                 {7, "scene", "", std::string(kSceneHeader) + "\n3,1,2,0,0,5,0,3,255,0,0\n", 0},
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
        {with(good, "\"colRed\":0.10000000149011612", "\"colRed\":null"), bodyLine, "not a finite number"},
        {with(good, "\"colRed\":0.10000000149011612", "\"colRed\":0.1"), bodyLine, "single-precision"},
        {with(good, "{\"tick\":5,\"action\":\"type\"", "{\"tick\":-1,\"action\":\"type\""), journalLine, "tick"},
        {with(good, "{\"tick\":5,\"action\":\"edit\"", "{\"tick\":2,\"action\":\"edit\""), journalLine + 1, "comes after"},
        {with(good, "{\"tick\":1000,", "{\"tick\":99999,"), lineOf(good, "{\"tick\":1000,"), "past the end tick"},
        {with(good, "\"action\":\"type\"", "\"action\":\"erase\""), journalLine, "not an input"},
        {with(good, "\"text\":\"1.5e\"", "\"text\":\"" + std::string(5000, 'x') + "\""), 0, "longer than"},
        {with(good, "\"name\":\"TXg(2)\",\"text\":\"1.5e\"", "\"name\":[[[[[[[1]]]]]]],\"text\":\"1.5e\""), 0, "deeper"},
        {with(good, "\"inc\":\"0x0000000000000013\"", "\"inc\":\"0x0000000000000012\""), 0, "even"},
        {with(good, "\"bodyCount\":999", "\"bodyCount\":1000"), 0, "bodyCount"},
        {with(good, "\"nextStar\":1000", "\"nextStar\":-3"), 0, "nextStar"},
        {with(good, "\"borderMode\":2", "\"borderMode\":0"), 0, "borderMode"},
        {with(good, "\"taggedBody\":-32768", "\"taggedBody\":-32769"), 0, "taggedBody"},
        {with(good, "\"taggedBody\":-32768", "\"taggedBody\":\"7\""), 0, "not a number"},
        {with(good, "\"action\":\"type\"", "\"action\":\"line\\nbreak\\u2028\""), journalLine, "\"line\\nbreak"},
        {with(good, "{\"tick\":0,\"action\":\"click\",\"name\":\"Command2\"}", "{\"tick\":0,\"action\":\"click\"}"),
         journalLine - 1, "\"name\" is missing"},
        {with(good, "{\"tick\":0,\"action\":\"click\",\"name\":\"Command2\"}", "[0]"), journalLine - 1, "not an object"},
        {with(good, "{\"tick\":0,\"action\":\"click\",\"name\":\"Command2\"}", "7"), journalLine - 1, "not an object"},
        {with(good, " \"end\":", " \"journal\": [],\n \"end\":"), lineOf(good, " \"end\":"), "given twice"},
        {with(good, "\"hash\":\"0xffffffffffffffff\"", "\"hash\":\"0xfffffffffffffff\""), 0, "16 hex digits"},
        // A later version is told as such, whatever else it holds.
        {with(with(good, "\"version\": 1", "\"version\": 7"), "\"action\":\"type\"", "\"action\":\"erase\""), 1,
         "made by a later version of the program"},
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

// A text that is not UTF-8 is still written, its stray byte as U+FFFD.
TEST(RunFile, ATextThatIsNotUtf8IsWrittenAllTheSame)
{
    Journal j = awkward();
    j.entries[1].text = "a\xff\xc3";
    const auto back = parseRunFile(runFileText(j), "odd.orbrun");
    ASSERT_TRUE(back) << back.error();
    EXPECT_EQ(back->entries[1].text, "a\xef\xbf\xbd\xef\xbf\xbd");
}

// A run file with `entries` journal entries of one tick each.
std::string withEntries(std::size_t entries)
{
    Journal j;
    j.start.random = {1, 1};
    j.entries.assign(entries, JournalEntry{0, "hash", "", "", 0});
    return runFileText(j);
}

// The caps: the file's size, the number of entries, the length of a text.
TEST(RunFile, WhatIsTooLargeIsRefusedBeforeItIsHeld)
{
    // The entries are counted as they are read (the cap is a million; a
    // smaller one here keeps the test quick).
    constexpr std::size_t kCap = 2000;
    const std::string tooMany = withEntries(kCap + 1);
    EXPECT_TRUE(parseRunFile(withEntries(kCap), "long.orbrun", kCap));
    const auto more = parseRunFile(tooMany, "long.orbrun", kCap);
    ASSERT_FALSE(more);
    EXPECT_EQ(more.error(), "long.orbrun: line " + std::to_string(lineOf(tooMany, "{\"tick\":0,\"action\":\"hash\"}]")) +
                                ": more than " + std::to_string(kCap) + " journal entries");

    const std::string huge(kRunFileMaxBytes + 1, ' ');
    const auto big = parseRunFile(huge, "big.orbrun");
    ASSERT_FALSE(big);
    EXPECT_EQ(big.error(), "big.orbrun: larger than 64 MB, not a run file this program wrote");

    // A scene's text is capped as a scene file is, any other text at 4096.
    Journal j = awkward();
    j.entries[3].text.resize(kSceneMaxBytes, '\n');
    EXPECT_TRUE(parseRunFile(runFileText(j), "scene.orbrun"));
    j.entries[3].text += '\n';
    const auto scene = parseRunFile(runFileText(j), "scene.orbrun");
    ASSERT_FALSE(scene);
    EXPECT_NE(scene.error().find("\"text\" is longer than " + std::to_string(kSceneMaxBytes)), std::string::npos)
        << scene.error();
    j = awkward();
    j.entries[1].text.assign(kRunTextMaxChars + 1, 'x');
    EXPECT_FALSE(parseRunFile(runFileText(j), "type.orbrun"));
}

// Written to disk and read back, all of it; a missing file is named.
TEST(RunFile, WrittenAndReadBackThroughAFile)
{
    const std::string path = ::testing::TempDir() + "round.orbrun";
    const Journal j = awkward();
    ASSERT_TRUE(writeRunFile(path, j));
    const auto back = readRunFile(path);
    ASSERT_TRUE(back) << back.error();
    expectSame(j, *back);
    std::remove(path.c_str());
    const auto gone = readRunFile(path);
    ASSERT_FALSE(gone);
    EXPECT_NE(gone.error().find(path), std::string::npos) << gone.error();
}

}  // namespace
}  // namespace orb
