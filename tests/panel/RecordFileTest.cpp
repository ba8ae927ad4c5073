#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "panel/RecordFile.h"

namespace orb {
namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The record the file holds, 0 when it cannot be read.
std::int32_t recordIn(const std::string& path)
{
    const auto r = loadRecord(path);
    return r.ok() ? *r : 0;
}

void spit(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// A fresh folder per test, removed with whatever is left in it.
struct RecordDir : ::testing::Test {
    std::string dir;
    std::string file;
    RecordDir()
    {
        std::string tmpl = ::testing::TempDir() + "orb_record_XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        dir = ::mkdtemp(buf.data());
        file = dir + "/" + kRecordFileName;
    }
    ~RecordDir() override
    {
        for (const auto& name : entries()) std::remove((dir + "/" + name).c_str());
        ::rmdir(dir.c_str());
    }
    std::vector<std::string> entries() const
    {
        std::vector<std::string> out;
        if (DIR* d = ::opendir(dir.c_str())) {
            while (dirent* e = ::readdir(d))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") out.push_back(e->d_name);
            ::closedir(d);
        }
        return out;
    }
};

TEST_F(RecordDir, ReadsTheRecordWhenTheCheckMatches)
{
    struct Case {
        const char* text;
        std::int32_t record;
    } cases[] = {
        {"700,100,10\n", 700},  {"700,99,10\n", 1},    {"700,100,10", 700},     {"700,100,10\r\n", 700},
        {" 700 , 100 , 10 \n", 700}, {"6,0,10\n", 6},  {"7,1,10\n", 7},         {"7,0,10\n", 1},
        {"1,1,1\n", 1},         {"2147483647,306783378,10\n", 2147483647},       {"-8,-2,10\n", -8},
        {"700,100,10\n5,0,10\n", 700},  // only the first line counts
        {"700,100.4,10\n", 700},         // the check is read as a whole number
        // Damaged: not three numbers.
        {"", 1}, {"\n", 1}, {"700,100\n", 1}, {"700,100,10,4\n", 1}, {"700;100;10\n", 1}, {"abc,100,10\n", 1},
        {"700,,10\n", 1}, {"7e2x,100,10\n", 1}, {"1e999,1,10\n", 1}, {"3000000000,428571428,10\n", 1},
        {"\x01\xff\xfe,\x80", 1},
    };
    for (const auto& c : cases) {
        spit(file, c.text);
        const auto r = loadRecord(file);
        EXPECT_EQ(r.ok() ? *r : 1, c.record) << '"' << c.text << '"';
        const bool fresh = std::string(c.text) == "1,1,1\n";  // a fresh file is no error
        EXPECT_EQ(r.ok(), c.record != 1 || fresh) << '"' << c.text << '"';
        if (!r.ok()) {
            EXPECT_NE(r.error().find(file), std::string::npos) << r.error();
        }
        EXPECT_EQ(slurp(file), c.text);  // reading never rewrites a damaged file
    }
}

TEST_F(RecordDir, MissingFileIsCreatedFresh)
{
    const auto r = loadRecord(file);
    ASSERT_TRUE(r.ok()) << r.error();
    EXPECT_EQ(*r, 1);
    EXPECT_EQ(slurp(file), "1,1,1\n");
    EXPECT_EQ(*loadRecord(file), 1);  // and a fresh file reads as 1
}

TEST_F(RecordDir, SavedRecordsReadBack)
{
    for (std::int32_t record : {700, 6, 55, 1, 0, 2147483647, -8}) {
        ASSERT_TRUE(saveRecord(file, record)) << record;
        const auto r = loadRecord(file);
        ASSERT_TRUE(r.ok()) << record;
        EXPECT_EQ(*r, record);
    }
    EXPECT_EQ(slurp(file), "-8,-2,10\n");
    ASSERT_TRUE(saveRecord(file, 700));
    EXPECT_EQ(slurp(file), "700,100,10\n");
    // Nothing but the record file is left in the folder.
    EXPECT_EQ(entries(), std::vector<std::string>{kRecordFileName});
}

TEST_F(RecordDir, UnwritablePlacesFailQuietly)
{
    // A folder that does not exist.
    const std::string nowhere = dir + "/missing/" + kRecordFileName;
    EXPECT_FALSE(saveRecord(nowhere, 700));
    EXPECT_FALSE(loadRecord(nowhere).ok());
    // The record's name taken by a folder: unreadable and not replaceable.
    ASSERT_EQ(::mkdir(file.c_str(), 0755), 0);
    EXPECT_FALSE(saveRecord(file, 700));
    EXPECT_FALSE(loadRecord(file).ok());
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    ::rmdir(file.c_str());
    EXPECT_EQ(entries(), std::vector<std::string>{});  // no temporary file left behind
}

TEST_F(RecordDir, AnAbruptEndLeavesOneWholeLine)
{
    ASSERT_TRUE(saveRecord(file, 1));
    for (int round = 0; round < 3; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // A run that keeps beating its record until it is killed.
            for (std::int32_t score = 2;; ++score) (void)saveRecord(file, score);
        }
        // Let it save a good many times, then end it without warning.
        for (int wait = 0; wait < 2000 && recordIn(file) < 30 * (round + 1); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string text = slurp(file);
        EXPECT_TRUE(std::regex_match(text, std::regex("[0-9]+,[0-9]+,10\n"))) << '"' << text << '"';
        const auto r = loadRecord(file);
        ASSERT_TRUE(r.ok()) << '"' << text << '"';
        EXPECT_GT(*r, 1);
        // A killed writer may leave its unfinished temporary file; clear it away.
        for (const auto& name : entries())
            if (name != kRecordFileName) std::remove((dir + "/" + name).c_str());
    }
}

}  // namespace
}  // namespace orb
