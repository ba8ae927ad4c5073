#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/Files.h"
#include "support/OrdinaryUser.h"
#include "support/ScratchDir.h"

namespace orb {
namespace {

using test::slurp;

void spit(const std::string& path, const std::string& text, mode_t mode)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    ::chmod(path.c_str(), mode);
}

struct FilesDir : ::testing::Test {
    test::ScratchDir scratch{"orb_files"};
    const std::string dir = scratch.path();

    // Each entry of a folder as a line: its name, its kind and mode, and what
    // it holds (a regular file's text, a link's target). Never opens anything
    // but regular files.
    std::map<std::string, std::string> look(const std::string& in) const
    {
        std::map<std::string, std::string> out;
        DIR* d = ::opendir(in.c_str());
        if (!d) return out;
        while (const dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            const std::string path = in + "/" + name;
            struct stat st {};
            ::lstat(path.c_str(), &st);
            std::ostringstream line;
            line << std::oct << st.st_mode << ' ';
            if (S_ISREG(st.st_mode)) line << slurp(path);
            if (S_ISLNK(st.st_mode)) {
                char to[4096];
                const ssize_t n = ::readlink(path.c_str(), to, sizeof to);
                line << std::string(to, n > 0 ? static_cast<std::size_t>(n) : 0);
            }
            out[name] = line.str();
        }
        ::closedir(d);
        return out;
    }
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

// Every file a user names for an export goes through writeFileAtomically:
// what each kind of name gets, with nothing else in the folder changed.
TEST_F(FilesDir, AnExportReplacesOnlyRegularFilesAndFollowsLinks)
{
    spit(dir + "/old.txt", "old", 0604);
    spit(dir + "/target.txt", "old", 0600);
    spit(dir + "/readonly.txt", "old", 0444);
    ASSERT_EQ(::symlink("target.txt", (dir + "/link").c_str()), 0);
    ASSERT_EQ(::symlink("link", (dir + "/link2").c_str()), 0);
    ASSERT_EQ(::symlink("made.txt", (dir + "/dangling").c_str()), 0);
    ASSERT_EQ(::symlink("loop", (dir + "/loop").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir + "/fifo").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("fifo", (dir + "/tofifo").c_str()), 0);
    ASSERT_EQ(::symlink("readonly.txt", (dir + "/toreadonly").c_str()), 0);
    ASSERT_EQ(::mkdir((dir + "/folder").c_str(), 0755), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string sockPath = dir + "/socket";
    ASSERT_LT(sockPath.size(), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, sockPath.c_str(), sockPath.size() + 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
    // A device node of our own, with /dev/null's numbers, where only root may
    // make one: a real device is never named.
    const bool device = ::geteuid() == 0 && ::mknod((dir + "/null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;

    // "@" in a message stands for the name as given.
    struct Case {
        std::string name;     // the name the user gave
        std::string written;  // the file that takes the text; empty when refused
        std::string message;
    } cases[] = {
        {"new.txt", "new.txt", ""},
        {"old.txt", "old.txt", ""},
        {"link", "target.txt", ""},
        {"link2", "target.txt", ""},
        {"dangling", "made.txt", ""},
        {"fifo", "", "@: not a regular file (a FIFO)"},
        {"tofifo", "", "@: not a regular file (a FIFO)"},
        {"folder", "", "@: not a regular file (a folder)"},
        {"socket", "", "@: not a regular file (a socket)"},
        {"null", "", "@: not a regular file (a character device)"},
        {"readonly.txt", "", "@: the file is read-only"},
        {"toreadonly", "", "@: the file is read-only"},
        {"loop", "", "cannot write @: Too many levels of symbolic links"},
        {"folder/missing/x.txt", "", "cannot write @: No such file or directory"},
        {"old.txt/x.txt", "", "cannot write @: Not a directory"},
        {"folder/", "", "@: not a regular file (a folder)"},
    };
    const mode_t oldMask = ::umask(027);
    ::alarm(20);  // a write that blocks ends the test run instead of hanging it
    for (const auto& c : cases) {
        if (c.name == "null" && !device) continue;
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/" + c.name;
        auto expected = look(dir);
        const Status s = writeFileAtomically(path, "new text");
        if (c.written.empty()) {
            std::string message = c.message;
            message.replace(message.find('@'), 1, path);
            EXPECT_EQ(s.error(), message);
        } else {
            EXPECT_TRUE(s) << s.error();
            // A new file is made as the umask says; a replaced one keeps its mode.
            const auto old = expected.find(c.written);
            const std::string mode = old == expected.end() ? "100640 " : old->second.substr(0, old->second.find(' ') + 1);
            expected[c.written] = mode + "new text";
        }
        EXPECT_EQ(look(dir), expected);  // links stay links, no temporary is left
        // Back to the old text, so that the next name written there shows.
        if (!c.written.empty()) spit(dir + "/" + c.written, "old", 0604);
    }
    ::alarm(0);
    ::umask(oldMask);
    ::close(sock);
}

// Where permissions bite: a folder that takes no new file refuses with the
// system's reason, and a file another user owns is read-only to this one even
// in a folder open to all, where a rename could replace it.
TEST_F(FilesDir, AnExportWhereTheUserMayNotWriteChangesNothing)
{
    ::chmod(dir.c_str(), 0777);
    const std::string locked = dir + "/locked";
    ASSERT_EQ(::mkdir(locked.c_str(), 0755), 0);
    spit(locked + "/open.txt", "old", 0666);
    spit(dir + "/theirs.txt", "old", 0644);
    ::chmod(locked.c_str(), 0555);
    const auto before = look(dir), beforeLocked = look(locked);
    const std::string seen = test::withPermissions([&] {
        std::string out;
        for (const char* name : {"/locked/open.txt", "/locked/new.txt", "/theirs.txt"})
            out += writeFileAtomically(dir + name, "new").error() + "\n";
        return out;
    });
    if (seen == "skip") GTEST_SKIP() << "no ordinary user to meet the permission checks";
    // A file of this user's own is theirs to replace.
    const std::string theirs = ::geteuid() == 0 ? dir + "/theirs.txt: the file is read-only" : "";
    EXPECT_EQ(seen, "cannot write " + locked + "/open.txt: Permission denied\n" + "cannot write " + locked +
                        "/new.txt: Permission denied\n" + theirs + "\n");
    EXPECT_EQ(look(locked), beforeLocked);
    if (::geteuid() == 0) EXPECT_EQ(look(dir), before);
}

}  // namespace
}  // namespace orb
