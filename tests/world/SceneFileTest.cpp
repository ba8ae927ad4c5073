#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "base/Files.h"
#include "support/BodyTable.h"
#include "support/ScratchDir.h"
#include "world/SceneFile.h"

namespace orb {
namespace {

const std::string kHeader(kSceneHeader);

std::unique_ptr<World> awkwardWorld()
{
    auto w = std::make_unique<World>();
    const double awkward[] = {0.1, 1.0 / 3, -0.0, 1e-300, 5e-324, DBL_MAX, -DBL_MAX, 7680, -123.456e7, 2.0 / 3};
    for (int i = 0; i < kSlots; ++i) {
        w->posX[i] = awkward[i % 10] / (i + 1);
        w->posY[i] = awkward[(i + 3) % 10];
        w->momX[i] = std::nextafter(awkward[(i + 5) % 10], 0.0);
        w->momY[i] = -awkward[(i + 7) % 10];
        w->gravity[i] = awkward[(i + 1) % 10] / 7;
        w->outOfPlay[i] = static_cast<std::int16_t>(i % 2);
        w->bodyType[i] = i % 4;
        w->colRed[i] = static_cast<float>(i % 256);
        w->colGreen[i] = static_cast<float>(255 - i % 256);
        w->colBlue[i] = static_cast<float>((i * 7) % 256);
    }
    return w;
}

TEST(SceneFile, RoundTripIsExactForAllThousandSlots)
{
    auto w = awkwardWorld();
    const std::string text = sceneText(*w);
    EXPECT_EQ(text.substr(0, kHeader.size() + 1), kHeader + "\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + kSlots);
    // Shortest forms, not fixed precision.
    EXPECT_NE(text.find("\n0,0.1,"), std::string::npos);

    auto back = std::make_unique<World>();
    back->bodyCount = 77;  // settings are not part of a scene
    const auto res = loadScene(text, *back);
    ASSERT_TRUE(res.ok()) << res.error();
    EXPECT_EQ(*res, kMaxBody);
    EXPECT_EQ(test::bodyTableDifference(*w, *back), "");
    EXPECT_EQ(back->bodyCount, 77);
    // Carriage returns and a byte-order mark, as an editor may leave them.
    std::string dos = "\xEF\xBB\xBF";
    for (char ch : text) {
        if (ch == '\n') dos += '\r';
        dos += ch;
    }
    auto fromDos = std::make_unique<World>();
    ASSERT_TRUE(loadScene(dos, *fromDos).ok());
    EXPECT_EQ(test::bodyTableDifference(*w, *fromDos), "");
}

TEST(SceneFile, LoadingReplacesTheWholeTable)
{
    auto w = awkwardWorld();
    const std::string text = kHeader + "\n" + "5,100,200,1,2,3,0,3,10,20,30\n" + "\n" + "2,1.5e3,-7,0,0,0,1,1,0,0,255";
    const auto res = loadScene(text, *w);
    ASSERT_TRUE(res.ok()) << res.error();
    EXPECT_EQ(*res, 5);
    EXPECT_EQ(w->posX[5], 100);
    EXPECT_EQ(w->gravity[5], 3);
    EXPECT_EQ(w->outOfPlay[5], 0);
    EXPECT_EQ(w->colGreen[5], 20);
    EXPECT_EQ(w->posX[2], 1500);
    EXPECT_EQ(w->outOfPlay[2], 1);
    EXPECT_EQ(w->colBlue[2], 255);
    // Every slot not listed is zero and out of play.
    for (int i : {0, 1, 3, 4, 6, 999}) {
        EXPECT_EQ(w->outOfPlay[i], 1) << i;
        EXPECT_EQ(w->posX[i], 0) << i;
        EXPECT_EQ(w->gravity[i], 0) << i;
        EXPECT_EQ(w->colRed[i], 0) << i;
    }
}

TEST(SceneFile, RefusalsNameTheLineAndLeaveTheTableAlone)
{
    const std::string good = "1,100,200,1,2,3,0,3,10,20,30";
    struct Case {
        std::string text;
        int line;
    } cases[] = {
        {"", 1},
        {"body,posX,posY\n" + good, 1},
        {" " + kHeader + "\n" + good, 1},
        {kHeader + "\n" + good + "\n1,100,200,1,2,3,0,3,10,20", 3},       // 10 columns
        {kHeader + "\n" + good + ",7", 2},                                // 12 columns
        {kHeader + "\n" + "1,abc,200,1,2,3,0,3,10,20,30", 2},
        {kHeader + "\n" + "1,100,,1,2,3,0,3,10,20,30", 2},
        {kHeader + "\n" + "1,100,200,nan,2,3,0,3,10,20,30", 2},
        {kHeader + "\n" + "1,100,200,1,inf,3,0,3,10,20,30", 2},
        {kHeader + "\n" + "1,100,200,1,2,1e999,0,3,10,20,30", 2},
        {kHeader + "\n" + "1,100,200,1,2,3,0,3,10,20,0x1F", 2},
        {kHeader + "\n" + good + "\n1000,0,0,0,0,0,0,0,0,0,0", 3},       // no slot 1000
        {kHeader + "\n" + "-1,0,0,0,0,0,0,0,0,0,0", 2},
        {kHeader + "\n" + "2.5,0,0,0,0,0,0,0,0,0,0", 2},
        {kHeader + "\n" + good + "\n\n" + good, 4},                      // listed twice
        {kHeader + "\n" + "1,100,200,1,2,3,0,3,256,20,30", 2},
        {kHeader + "\n" + "1,100,200,1,2,3,0,3,10,-1,30", 2},
        {kHeader + "\n" + "1,100,200,1,2,3,0,3,10,20,2.5", 2},
        {kHeader + "\n" + "1,100,200,1,2,3,2,3,10,20,30", 2},            // outOfPlay 0 or 1 only
        {kHeader + "\n" + "1,100,200,1,2,3,-1,3,10,20,30", 2},
    };
    for (const auto& c : cases) {
        auto w = awkwardWorld();
        const auto before = std::make_unique<World>(*w);
        const auto res = loadScene(c.text, *w);
        EXPECT_FALSE(res.ok()) << c.text;
        EXPECT_NE(res.error().find("line " + std::to_string(c.line) + ":"), std::string::npos)
            << c.text << "\n -> " << res.error();
        EXPECT_EQ(test::bodyTableDifference(*w, *before), "") << c.text;
    }
}

TEST(SceneFile, FilesOnDisk)
{
    const std::string dir = ::testing::TempDir();
    const std::string path = dir + "orb_scene_test.csv";
    auto w = awkwardWorld();
    const Status written = writeFileAtomically(path, sceneText(*w));
    ASSERT_TRUE(written) << written.error();
    const auto text = readRegularFile(path, kSceneMaxBytes);
    ASSERT_TRUE(text) << text.error();
    EXPECT_EQ(*text, sceneText(*w));
    std::remove(path.c_str());

    const auto missing = readRegularFile(dir + "no/such/folder/scene.csv", kSceneMaxBytes);
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.error().find("scene.csv"), std::string::npos);
    const Status unwritable = writeFileAtomically(dir + "no/such/folder/scene.csv", "x");
    EXPECT_FALSE(unwritable);
    EXPECT_NE(unwritable.error().find("scene.csv"), std::string::npos);
}

TEST(SceneFile, QuotedCellsAreOnePrintableLine)
{
    struct Case {
        std::string cell;
        std::string quoted;
    } cases[] = {
        {"abc", "\"abc\""},
        {std::string("a\0b", 3), "\"a\\x00b\""},
        {"\t\r\n", "\"\\t\\r\\n\""},
        {"\x7f\x01\x1f", "\"\\x7F\\x01\\x1F\""},
        {"\\\"", "\"\\\\\\\"\""},
        {"\xc3\xa9\xf0\x9f\x98\x80", "\"\xc3\xa9\xf0\x9f\x98\x80\""},  // whole UTF-8 stays
        {"\xff\xc0\xaf", "\"\\xFF\\xC0\\xAF\""},                          // stray and overlong bytes
        {"\xed\xa0\x80", "\"\\xED\\xA0\\x80\""},                          // a surrogate
        {"\xf4\x90\x80\x80", "\"\\xF4\\x90\\x80\\x80\""},              // past U+10FFFF
        {"1\xe2\x82", "\"1\\xE2\\x82\""},                                  // cut short
        {"\xe2\x80\xa8\xc2\x85\xe2\x80\xae", "\"\\u2028\\u0085\\u202E\""},  // line breaks, direction
        {std::string(40, '7'), "\"" + std::string(40, '7') + "\""},
        {std::string(41, '7'), "\"" + std::string(40, '7') + "...\""},
        {"\t" + std::string(40, '7'), "\"\\t" + std::string(39, '7') + "...\""},  // characters, not bytes
    };
    for (const auto& c : cases) EXPECT_EQ(quoteCell(c.cell), c.quoted) << c.quoted;
    // Forty-one characters of two bytes each.
    std::string accents;
    for (int i = 0; i < 41; ++i) accents += "\xc3\xa9";
    EXPECT_EQ(quoteCell(accents), "\"" + accents.substr(0, 80) + "...\"");

    // Through the loader: a huge cell and a NUL give a short, whole message.
    for (const std::string& cell : {std::string(1 << 20, '9') + "x", std::string("12\0\r\t", 5) + "4"}) {
        auto w = awkwardWorld();
        const auto res = loadScene(kHeader + "\n1," + cell + ",0,0,0,0,0,0,0,0,0\n", *w);
        ASSERT_FALSE(res.ok());
        EXPECT_LT(res.error().size(), 200u);
        EXPECT_EQ(res.error().rfind("line 2: posX \"", 0), 0u) << res.error();
        EXPECT_NE(res.error().find("\" is not a finite number"), std::string::npos) << res.error();
        for (char ch : res.error()) EXPECT_TRUE(ch >= 0x20 && ch != 0x7f) << res.error();
    }
}

TEST(SceneFile, FileRefusalsNameTheFileOnce)
{
    const test::ScratchDir scratch("orb_scene");
    const std::string dir = scratch.path();
    const std::string fifo = dir + "/fifo.csv", bad = dir + "/bad.csv", big = dir + "/big.csv", good = dir + "/good.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::ofstream(bad) << kHeader << "\n1,abc,0,0,0,0,0,0,0,0,0\n";
    std::ofstream(big) << kHeader << "\n" << std::string(kSceneMaxBytes, '\n');
    auto w = awkwardWorld();
    std::ofstream(good) << sceneText(*w);

    struct Case {
        std::string path;
        std::string message;
    } cases[] = {
        {dir, dir + " is a folder"},
        {fifo, fifo + " is not a regular file"},
        {"/dev/zero", "/dev/zero is not a regular file"},
        {dir + "/none.csv", "cannot open " + dir + "/none.csv: No such file or directory"},
        {big, big + " is too large (more than " + std::to_string(kSceneMaxBytes) + " bytes)"},
        {bad, bad + ": line 2: posX \"abc\" is not a finite number"},
    };
    ::alarm(20);  // a read that blocks ends the test run instead of hanging it
    for (const auto& c : cases) {
        auto before = std::make_unique<World>(*w);
        const auto res = loadSceneFile(c.path, *w);
        EXPECT_EQ(res.error(), c.message);
        EXPECT_EQ(test::bodyTableDifference(*w, *before), "") << c.path;
    }
    ::alarm(0);

    auto back = std::make_unique<World>();
    const auto loaded = loadSceneFile(good, *back);
    ASSERT_TRUE(loaded) << loaded.error();
    EXPECT_EQ(*loaded, kMaxBody);
    EXPECT_EQ(test::bodyTableDifference(*w, *back), "");
}

}  // namespace
}  // namespace orb
