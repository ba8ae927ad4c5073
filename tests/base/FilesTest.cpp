#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/Files.h"
#include "support/ScratchDir.h"

namespace orb {
namespace {

struct FilesDir : ::testing::Test {
    test::ScratchDir scratch{"orb_files"};
    const std::string dir = scratch.path();
};

TEST_F(FilesDir, OnlyRegularFilesAreReadAndNothingBlocks)
{
    ASSERT_EQ(::mkfifo((dir + "/fifo").c_str(), 0644), 0);
    ASSERT_EQ(::mkdir((dir + "/folder").c_str(), 0755), 0);
    struct Case {
        std::string path;
        std::string message;
    } cases[] = {
        {dir + "/fifo", dir + "/fifo is not a regular file"},
        {dir + "/folder", dir + "/folder is a folder"},
        {"/dev/zero", "/dev/zero is not a regular file"},
        {"/dev/null", "/dev/null is not a regular file"},
        {dir + "/missing", "cannot open " + dir + "/missing: No such file or directory"},
    };
    ::alarm(20);  // a read that blocks ends the test run instead of hanging it
    const auto start = std::chrono::steady_clock::now();
    for (const auto& c : cases) {
        const auto whole = readRegularFile(c.path, 1000);
        EXPECT_EQ(whole.error(), c.message);
        const auto prefix = readRegularFilePrefix(c.path, 1000);
        EXPECT_EQ(prefix.error(), c.message);
    }
    ::alarm(0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(FilesDir, TheCapRefusesLargerFilesOrCutsAPrefix)
{
    const std::string big = dir + "/big";
    std::ofstream(big, std::ios::binary) << std::string(1001, 'x');
    const auto refused = readRegularFile(big, 1000);
    EXPECT_EQ(refused.error(), big + " is too large (more than 1000 bytes)");
    const auto prefix = readRegularFilePrefix(big, 10);
    ASSERT_TRUE(prefix) << prefix.error();
    EXPECT_EQ(*prefix, std::string(10, 'x'));

    const auto fits = readRegularFile(big, 1001);
    ASSERT_TRUE(fits) << fits.error();
    EXPECT_EQ(fits->size(), 1001u);
    const std::string small = dir + "/small";
    std::ofstream(small, std::ios::binary) << std::string("a\0b", 3);
    EXPECT_EQ(*readRegularFile(small, 3), std::string("a\0b", 3));
}

}  // namespace
}  // namespace orb
