#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "panel/RecordFile.h"
#include "support/OrdinaryUser.h"
#include "support/ScratchDir.h"

namespace orb {
namespace {

using test::slurp;

// The record the file holds, 0 when it cannot be read.
std::int32_t recordIn(const std::string& path)
{
    const auto r = parseRecordLine(slurp(path));
    return r.ok() ? *r : 0;
}

void spit(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

struct stat statOf(const std::string& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}

// Sets a file's times a given number of seconds into the past.
void age(const std::string& path, int seconds)
{
    timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= seconds;
    times[1] = times[0];
    ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// A fresh folder per test (open to other users, for the tests that drop to
// nobody), removed with whatever is left in it.
struct RecordDir : ::testing::Test {
    test::ScratchDir scratch{"orb_record"};
    const std::string dir = scratch.path();
    const std::string file = dir + "/" + kRecordFileName;
    RecordDir() { ::chmod(dir.c_str(), 0777); }
    std::vector<std::string> entries(const std::string& in = {}) const
    {
        std::vector<std::string> out;
        if (DIR* d = ::opendir((in.empty() ? dir : in).c_str())) {
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
        {"36,5,10\n00,142,10\n", 36},   // a shorter line written in place over a longer one
        {"700,100.4,10\n", 700},         // the check is read as a whole number
        // Damaged: not three numbers.
        {"", 1}, {"\n", 1}, {"700,100\n", 1}, {"700,100,10,4\n", 1}, {"700;100;10\n", 1}, {"abc,100,10\n", 1},
        {"700,,10\n", 1}, {"7e2x,100,10\n", 1}, {"1e999,1,10\n", 1}, {"3000000000,428571428,10\n", 1},
        {"\x01\xff\xfe,\x80", 1},
    };
    for (const auto& c : cases) {
        spit(file, c.text);
        const auto parsed = parseRecordLine(c.text);
        EXPECT_EQ(parsed.ok() ? *parsed : 1, c.record) << '"' << c.text << '"';

        RecordKeeper keeper(file);
        const Status loaded = keeper.load();
        EXPECT_EQ(keeper.record(), c.record) << '"' << c.text << '"';
        const bool fresh = std::string(c.text) == "1,1,1\n";  // a fresh file is no error
        EXPECT_EQ(loaded.ok(), c.record != 1 || fresh) << '"' << c.text << '"';
        EXPECT_EQ(parsed.ok(), loaded.ok()) << '"' << c.text << '"';
        if (!loaded) {
            EXPECT_EQ(occurrences(loaded.error(), file), 1u) << loaded.error();
            EXPECT_NE(loaded.error().find("starts again from 1"), std::string::npos) << loaded.error();
        }
        EXPECT_EQ(slurp(file), c.text);  // reading never rewrites a file
        if (!loaded) {
            // A void record is replaced by the next new record, reported no more.
            EXPECT_TRUE(keeper.saving());
            EXPECT_TRUE(keeper.offer(5000));
            EXPECT_EQ(keeper.record(), 5000);
            EXPECT_EQ(slurp(file), "5000,714,10\n");
        }
    }
}

TEST_F(RecordDir, MissingFileIsCreatedFreshAndRecordsOnlyRise)
{
    RecordKeeper keeper(file);
    ASSERT_TRUE(keeper.load());
    EXPECT_EQ(keeper.record(), 1);
    EXPECT_EQ(slurp(file), "1,1,1\n");
    EXPECT_EQ(statOf(file).st_mode & 0777, 0644u);

    EXPECT_TRUE(keeper.offer(36));
    EXPECT_EQ(slurp(file), "36,5,10\n");
    EXPECT_TRUE(keeper.offer(20));
    EXPECT_TRUE(keeper.offer(36));
    EXPECT_EQ(keeper.record(), 36);
    EXPECT_EQ(slurp(file), "36,5,10\n");

    // Another run raised the record meanwhile: it is adopted, not lowered.
    spit(file, "700,100,10\n");
    EXPECT_TRUE(keeper.offer(50));
    EXPECT_EQ(keeper.record(), 700);
    EXPECT_EQ(slurp(file), "700,100,10\n");
    EXPECT_EQ(entries(), std::vector<std::string>{kRecordFileName});

    // Removed while the program runs: the next record makes it again.
    ::unlink(file.c_str());
    EXPECT_TRUE(keeper.offer(701));
    EXPECT_EQ(slurp(file), "701,100,10\n");
}

// Two runs on one record file beat the record in turn, each from what it last
// saw: the file's record may only ever rise.
TEST_F(RecordDir, TwoRunsBeatingEachOtherNeverLowerTheRecord)
{
    ASSERT_TRUE(RecordKeeper(file).load());
    constexpr std::int32_t kOffers = 300;
    pid_t runs[2];
    for (int id = 0; id < 2; ++id) {
        runs[id] = ::fork();
        ASSERT_GE(runs[id], 0);
        if (runs[id] == 0) {
            RecordKeeper keeper(file);
            if (!keeper.load()) ::_exit(2);
            for (std::int32_t k = 1; k <= kOffers; ++k)
                if (!keeper.offer(2 * k + id)) ::_exit(3);
            ::_exit(0);
        }
    }
    // Watch the file while they run: every fall from one look to the next.
    std::int32_t last = 1;
    std::string drops;
    int statuses[2] = {-1, -1};
    for (int running = 2; running > 0;) {
        const std::int32_t now = recordIn(file);
        if (now < last) drops += std::to_string(last) + " -> " + std::to_string(now) + "\n";
        last = now;
        for (int id = 0; id < 2; ++id) {
            int status = 0;
            if (statuses[id] == -1 && ::waitpid(runs[id], &status, WNOHANG) == runs[id]) {
                statuses[id] = status;
                --running;
            }
        }
    }
    for (int id = 0; id < 2; ++id) EXPECT_TRUE(WIFEXITED(statuses[id]) && WEXITSTATUS(statuses[id]) == 0) << id;
    EXPECT_EQ(drops, "");
    EXPECT_EQ(slurp(file), recordLine(2 * kOffers + 1));
    EXPECT_EQ(entries(), std::vector<std::string>{kRecordFileName});
}

// A run that holds the record too long (stopped in a debugger, say) costs the
// other one this record only: it is kept for the session and the next one is
// saved.
TEST_F(RecordDir, ARecordHeldTooLongIsNotSavedThisTimeAndTheRunGoesOn)
{
    spit(file, "700,100,10\n");
    RecordKeeper keeper(file, std::chrono::milliseconds(50));
    ASSERT_TRUE(keeper.load());
    const int other = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    const Status first = keeper.offer(800);
    EXPECT_EQ(first.error(), file + " is in use by another run; the new record is not saved this time");
    EXPECT_EQ(keeper.record(), 800);
    EXPECT_EQ(slurp(file), "700,100,10\n");
    ::close(other);
    EXPECT_TRUE(keeper.offer(900));
    EXPECT_EQ(slurp(file), "900,128,10\n");
}

TEST_F(RecordDir, SavedRecordsReadBack)
{
    for (std::int32_t record : {700, 6, 55, 1, 0, 2147483647, -8}) {
        ASSERT_TRUE(saveRecord(file, record)) << record;
        EXPECT_EQ(recordIn(file), record);
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
    EXPECT_FALSE(RecordKeeper(nowhere).load().ok());
    // The record's name taken by a folder: unreadable and not replaceable.
    ASSERT_EQ(::mkdir(file.c_str(), 0755), 0);
    EXPECT_FALSE(saveRecord(file, 700));
    RecordKeeper keeper(file);
    const Status loaded = keeper.load();
    EXPECT_EQ(loaded.error().rfind(file + " is a folder", 0), 0u) << loaded.error();
    EXPECT_TRUE(S_ISDIR(statOf(file).st_mode));
    ::rmdir(file.c_str());
    EXPECT_EQ(entries(), std::vector<std::string>{});  // no temporary file left behind
}

TEST_F(RecordDir, AFifoIsRefusedAtOnceAndNeverWritten)
{
    ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0);
    ::alarm(20);  // a keeper that blocks ends the test run instead of hanging it
    RecordKeeper keeper(file);
    const Status loaded = keeper.load();
    EXPECT_TRUE(keeper.offer(700));  // already reported
    EXPECT_FALSE(saveRecord(file, 800));
    ::alarm(0);
    EXPECT_EQ(loaded.error().rfind(file + " is not a regular file", 0), 0u) << loaded.error();
    EXPECT_EQ(occurrences(loaded.error(), file), 1u);
    EXPECT_TRUE(S_ISFIFO(statOf(file).st_mode));
    EXPECT_EQ(entries(), std::vector<std::string>{kRecordFileName});
}

TEST_F(RecordDir, AnUnreadableRecordIsLeftAlone)
{
    spit(file, "700,100,10\n");
    ::chmod(file.c_str(), 0);
    const std::string seen = test::withPermissions([&] {
        RecordKeeper keeper(file);
        const Status loaded = keeper.load();
        const Status offered = keeper.offer(36);
        return std::to_string(keeper.record()) + "\n" + (offered ? "ok" : "failed") + "\n" + loaded.error();
    });
    if (seen == "skip") GTEST_SKIP() << "no ordinary user to meet the permission checks";
    EXPECT_EQ(seen, "36\nok\ncannot open " + file +
                        ": Permission denied; it is left as it is and new records are not saved to it");
    EXPECT_EQ(statOf(file).st_mode & 0777, 0u);
    ::chmod(file.c_str(), 0644);
    EXPECT_EQ(slurp(file), "700,100,10\n");
}

TEST_F(RecordDir, AReadOnlyFolderIsWrittenInPlace)
{
    spit(file, "-1000000,-142858,10\n");
    ::chmod(file.c_str(), 0666);
    const ino_t inode = statOf(file).st_ino;
    ::chmod(dir.c_str(), 0555);
    const std::string seen = test::withPermissions([&] {
        RecordKeeper keeper(file);
        const Status loaded = keeper.load();
        const Status offered = keeper.offer(36);  // a shorter line than the old one
        return loaded.error() + "|" + offered.error() + "|" + std::to_string(keeper.record());
    });
    if (seen == "skip") GTEST_SKIP() << "no ordinary user to meet the permission checks";
    EXPECT_EQ(seen, "||36");
    EXPECT_EQ(slurp(file), "36,5,10\n");
    EXPECT_EQ(statOf(file).st_ino, inode);
    EXPECT_EQ(statOf(file).st_mode & 0777, 0666u);
    EXPECT_EQ(entries(), std::vector<std::string>{kRecordFileName});
}

TEST_F(RecordDir, AReadOnlyRecordIsLeftAloneReportedOnceAndHealsWhenWritable)
{
    spit(file, "700,100,10\n");
    ::chmod(file.c_str(), 0444);
    RecordKeeper keeper(file);
    ASSERT_TRUE(keeper.load());
    EXPECT_EQ(keeper.record(), 700);
    const Status first = keeper.offer(800);
    EXPECT_EQ(first.error(), file + " is read-only; the new record is not saved");
    EXPECT_TRUE(keeper.offer(900));  // reported once only
    EXPECT_EQ(keeper.record(), 900);
    EXPECT_EQ(slurp(file), "700,100,10\n");
    EXPECT_EQ(statOf(file).st_mode & 0777, 0444u);

    ::chmod(file.c_str(), 0640);
    EXPECT_TRUE(keeper.offer(1000));
    EXPECT_EQ(slurp(file), "1000,142,10\n");
    EXPECT_EQ(statOf(file).st_mode & 0777, 0640u);
}

TEST_F(RecordDir, ALinkedRecordWritesItsTargetAndStaysALink)
{
    ASSERT_EQ(::mkdir((dir + "/real").c_str(), 0755), 0);
    const std::string target = dir + "/real/" + kRecordFileName;
    spit(target, "700,100,10\n");
    ::chmod(target.c_str(), 0600);
    ASSERT_EQ(::symlink((std::string("real/") + kRecordFileName).c_str(), file.c_str()), 0);

    RecordKeeper keeper(file);
    ASSERT_TRUE(keeper.load());
    EXPECT_EQ(keeper.record(), 700);
    EXPECT_TRUE(keeper.offer(800));
    EXPECT_TRUE(S_ISLNK(statOf(file).st_mode));
    EXPECT_EQ(slurp(target), "800,114,10\n");
    EXPECT_EQ(statOf(target).st_mode & 0777, 0600u);
    EXPECT_EQ(entries(dir + "/real"), std::vector<std::string>{kRecordFileName});

    // A link to nothing is left alone.
    ::unlink(target.c_str());
    RecordKeeper dangling(file);
    EXPECT_FALSE(dangling.load());
    EXPECT_TRUE(dangling.offer(900));
    EXPECT_TRUE(S_ISLNK(statOf(file).st_mode));
    EXPECT_EQ(entries(dir + "/real"), std::vector<std::string>{});
}

TEST_F(RecordDir, OnlyStaleTemporariesOfTheRecordAreRemoved)
{
    enum Kind { File, Folder, Link };
    struct Case {
        std::string name;
        Kind kind;
        int ageSeconds;
        bool removed;
    } cases[] = {
        {"tallyho.ogg.Ab12Z9", File, 120, true},    {"tallyho.ogg.zzzzzz", File, 61, true},
        {"tallyho.ogg.Qr7xY0", File, 10, false},    // may be a live writer's
        {"tallyho.ogg.Ab1", File, 120, false},      {"tallyho.ogg.Ab12-9", File, 120, false},
        {"tallyho.ogg.Ab12Z9x", File, 120, false},  {"tallyho.oggXAb12Z9", File, 120, false},
        {"other.ogg.Ab12Z9", File, 120, false},     {"tallyho.ogg.Dir123", Folder, 120, false},
        {"tallyho.ogg.Lnk123", Link, 120, false},   {"tallyho.ogg.bak", File, 120, false},
    };
    for (const auto& c : cases) {
        const std::string path = dir + "/" + c.name;
        if (c.kind == File) spit(path, "1,");
        if (c.kind == Folder) ::mkdir(path.c_str(), 0755);
        if (c.kind == Link) ASSERT_EQ(::symlink("tallyho.ogg.Ab12Z9", path.c_str()), 0);
        age(path, c.ageSeconds);
    }
    spit(file, "700,100,10\n");
    RecordKeeper keeper(file);
    ASSERT_TRUE(keeper.load());
    for (const auto& c : cases) {
        struct stat st {};
        EXPECT_EQ(::lstat((dir + "/" + c.name).c_str(), &st) != 0, c.removed) << c.name;
    }
    EXPECT_EQ(slurp(file), "700,100,10\n");
}

TEST_F(RecordDir, AnAbruptEndLeavesOneWholeLine)
{
    // In a writable folder the line is renamed into place; in a read-only one it
    // is written in place.
    for (const bool readOnlyFolder : {false, true}) {
        ::chmod(dir.c_str(), 0777);
        spit(file, "1,1,1\n");
        ::chmod(file.c_str(), 0666);
        if (readOnlyFolder) ::chmod(dir.c_str(), 0555);
        for (int round = 0; round < 3; ++round) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                if (readOnlyFolder && !test::becomeOrdinaryUser()) ::_exit(3);
                // A run that keeps beating its record until it is killed.
                for (std::int32_t score = 2;; ++score) (void)saveRecord(file, score);
            }
            // Let it save a good many times, then end it without warning.
            for (int wait = 0; wait < 2000 && recordIn(file) < 30 * (round + 1); ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ASSERT_EQ(::kill(child, SIGKILL), 0);
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            if (WIFEXITED(status) && WEXITSTATUS(status) == 3) GTEST_SKIP() << "no ordinary user for a read-only folder";
            ASSERT_TRUE(WIFSIGNALED(status));

            const std::string text = slurp(file);
            EXPECT_TRUE(std::regex_match(text, std::regex("[0-9]+,[0-9]+,10\n"))) << '"' << text << '"';
            EXPECT_GT(recordIn(file), 1) << '"' << text << '"';
            EXPECT_EQ(statOf(file).st_mode & 0777, 0666u);
        }
        // What a killed writer left behind goes once it is a minute old.
        ::chmod(dir.c_str(), 0777);
        spit(dir + "/tallyho.ogg.k1LLed", "4");
        for (const auto& name : entries())
            if (name != kRecordFileName) age(dir + "/" + name, 90);
        RecordKeeper keeper(file);
        ASSERT_TRUE(keeper.load());
        EXPECT_GT(keeper.record(), 1);
        EXPECT_EQ(entries(), std::vector<std::string>{kRecordFileName});
    }
}

}  // namespace
}  // namespace orb
