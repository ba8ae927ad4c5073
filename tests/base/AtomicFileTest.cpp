// A file written over a while (a video) goes into place whole or not at all,
// by the rules every export follows.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "base/Files.h"
#include "support/OrdinaryUser.h"
#include "support/ScratchDir.h"

namespace orb {
namespace {

using test::slurp;

void spit(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

struct AtomicFileTest : ::testing::Test {
    test::ScratchDir scratch{"orb_atomic"};
    const std::string dir = scratch.path();

    static void put(AtomicFile& f, const std::string& text)
    {
        ASSERT_EQ(::write(f.fd(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    // The names in the folder, in order, one a line.
    std::string names() const
    {
        std::set<std::string> sorted;
        for (const auto& e : std::filesystem::directory_iterator(dir)) sorted.insert(e.path().filename().string());
        std::string out;
        for (const std::string& n : sorted) out += n + "\n";
        return out;
    }
};

// Nothing shows under the name until commit(); through a link the link's
// target is written and the link kept; the old file's permission bits carry
// over; a file dropped (or never committed) leaves nothing.
TEST_F(AtomicFileTest, TheFileShowsOnlyWhenCommitted)
{
    spit(dir + "/old.bin", "old");
    ::chmod((dir + "/old.bin").c_str(), 0640);
    ASSERT_EQ(::symlink("old.bin", (dir + "/link.bin").c_str()), 0);
    {
        auto f = AtomicFile::open(dir + "/link.bin");
        ASSERT_TRUE(f) << f.error();
        put(*f, "new");
        EXPECT_EQ(slurp(dir + "/old.bin"), "old");
        ASSERT_TRUE(f->commit());
    }
    EXPECT_EQ(slurp(dir + "/old.bin"), "new");
    struct stat st {};
    ASSERT_EQ(::lstat((dir + "/link.bin").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat((dir + "/old.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    {
        auto dropped = AtomicFile::open(dir + "/dropped.bin");
        ASSERT_TRUE(dropped);
        put(*dropped, "part");
        auto moved = std::move(*dropped);  // the moved-from object owns nothing
    }
    EXPECT_EQ(names(), "link.bin\nold.bin\n");
}

// The name is looked at again at commit(): a FIFO or folder put there while
// the file was written is refused and left alone, as is a file made under a
// name that was free; the temporary goes.
TEST_F(AtomicFileTest, ANameThatChangedMeanwhileIsNotOverwritten)
{
    struct Case {
        const char* name;
        void (*meanwhile)(const std::string&);
        const char* says;
    } cases[] = {
        {"fifo.bin", [](const std::string& p) { ::mkfifo(p.c_str(), 0600); }, "not a regular file (a FIFO)"},
        {"folder.bin", [](const std::string& p) { ::mkdir(p.c_str(), 0700); }, "not a regular file (a folder)"},
        {"theirs.bin", [](const std::string& p) { spit(p, "theirs"); }, "the file changed while it was written"},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "/" + c.name;
        auto f = AtomicFile::open(path);
        ASSERT_TRUE(f) << f.error();
        put(*f, "mine");
        c.meanwhile(path);
        const Status s = f->commit();
        ASSERT_FALSE(s) << c.name;
        EXPECT_NE(s.error().find(c.says), std::string::npos) << s.error();
        EXPECT_EQ(s.error().find('\n'), std::string::npos);
    }
    EXPECT_EQ(slurp(dir + "/theirs.bin"), "theirs");
    EXPECT_EQ(names(), "fifo.bin\nfolder.bin\ntheirs.bin\n");
}

// A folder that takes no new file refuses in one line with the system's
// reason (as root: checked as the user nobody).
TEST_F(AtomicFileTest, AReadOnlyFolderIsRefusedAtOpen)
{
    ::chmod(dir.c_str(), 0777);
    const std::string locked = dir + "/locked";
    ASSERT_EQ(::mkdir(locked.c_str(), 0555), 0);
    const std::string seen = test::withPermissions([&] {
        auto f = AtomicFile::open(locked + "/clip.mp4");
        return f ? std::string("opened") : f.error();
    });
    if (seen == "skip") GTEST_SKIP() << "no ordinary user to meet the permission checks";
    EXPECT_EQ(seen, "cannot write " + locked + "/clip.mp4: Permission denied");
    EXPECT_TRUE(std::filesystem::is_empty(locked));
}

}  // namespace
}  // namespace orb
