#include "panel/RecordFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "base/Files.h"
#include "base/Numbers.h"

namespace orb {

namespace {

// The record is one short line; nothing past this is ever read.
constexpr std::size_t kRecordReadCap = 4096;

constexpr const char* kLeftAlone = "; it is left as it is and new records are not saved to it";
constexpr const char* kStartsAgain = "; the record starts again from 1";

std::string failure(const char* what, const std::string& path, int err)
{
    return std::string(what) + " " + path + ": " + std::strerror(err);
}

struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (fd >= 0) ::close(fd);
    }
    // Closes now, giving errno of a failed close (0 when it succeeded).
    int close()
    {
        const int r = ::close(std::exchange(fd, -1));
        return r == 0 ? 0 : errno;
    }
};

std::pair<std::string, std::string> splitPath(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// 0 when every byte went out, else errno.
int writeAll(int fd, std::string_view text, off_t offset, bool positioned)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = positioned ? ::pwrite(fd, text.data() + done, text.size() - done,
                                                offset + static_cast<off_t>(done))
                                     : ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

void syncFolder(const std::string& dir)
{
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

// A temporary file beside target holding text with the given mode; its name,
// or the errno of the failure (the temporary file then gone).
struct Temporary {
    std::string name;
    int err = 0;
};
Temporary writeTemporary(const std::string& target, std::string_view text, mode_t mode, const struct stat* owner)
{
    std::string tmpl = target + ".XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    Fd fd(::mkstemp(buf.data()));
    if (fd.fd < 0) return {{}, errno};
    Temporary t{buf.data(), 0};
    ::fchmod(fd.fd, mode);
    // A record replaced by another user (root, say) stays its owner's where
    // the system allows; where it does not, the mode still says who may write.
    if (owner && (owner->st_uid != ::geteuid() || owner->st_gid != ::getegid()))
        (void)::fchown(fd.fd, owner->st_uid, owner->st_gid);
    t.err = writeAll(fd.fd, text, 0, false);
    if (t.err == 0 && ::fsync(fd.fd) != 0) t.err = errno;
    if (const int c = fd.close(); t.err == 0) t.err = c;
    if (t.err != 0) ::unlink(t.name.c_str());
    return t;
}

// Overwrites the first bytes and then cuts the file: a reader of the first line
// sees the old line, the new line followed by the rest of the old one, or the
// new line alone, and each of them starts with a whole record line.
Status writeInPlace(const std::string& path, const std::string& target, std::string_view line)
{
    Fd fd(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.fd < 0) return fail(failure("cannot write", path, errno));
    struct stat st {};
    if (::fstat(fd.fd, &st) != 0) return fail(failure("cannot write", path, errno));
    if (!S_ISREG(st.st_mode)) return fail(path + " is not a regular file");
    int err = writeAll(fd.fd, line, 0, true);
    if (err == 0 && ::ftruncate(fd.fd, static_cast<off_t>(line.size())) != 0) err = errno;
    if (err == 0 && ::fsync(fd.fd) != 0) err = errno;
    if (const int c = fd.close(); err == 0) err = c;
    if (err != 0) return fail(failure("cannot write", path, err));
    return {};
}

// Creates a missing record file with text, all at once: the temporary file is
// linked to the name, which fails rather than replace a file another run has
// just made (that one is then read instead). Gives false for "already there".
Result<bool> createFresh(const std::string& path, std::string_view text)
{
    const Temporary t = writeTemporary(path, text, 0644, nullptr);
    if (t.err != 0) return fail(failure("cannot create", path, t.err));
    int err = 0;
    if (::link(t.name.c_str(), path.c_str()) != 0) {
        err = errno;
        // A file system without hard links: a plain rename.
        if (err == EPERM || err == EOPNOTSUPP || err == ENOSYS) err = std::rename(t.name.c_str(), path.c_str()) == 0 ? 0 : errno;
    }
    ::unlink(t.name.c_str());
    if (err == EEXIST) return false;
    if (err != 0) return fail(failure("cannot create", path, err));
    syncFolder(splitPath(path).first);
    return true;
}

// Takes the lock on fd, trying again until the deadline. True when it is
// held, or when the file system keeps no locks (the record is then saved
// unlocked, as on a system without them).
bool lockBefore(int fd, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// The record the open file holds, read from its start.
std::optional<std::int32_t> recordHeld(int fd)
{
    std::string text(kRecordReadCap, '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::pread(fd, text.data() + got, text.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    text.resize(got);
    const auto held = parseRecordLine(text);
    if (!held) return std::nullopt;
    return *held;
}

bool isTemporaryName(const std::string& name, const std::string& base)
{
    if (name.size() != base.size() + 7 || name.compare(0, base.size(), base) != 0 || name[base.size()] != '.')
        return false;
    for (std::size_t i = base.size() + 1; i < name.size(); ++i) {
        const char c = name[i];
        const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum) return false;
    }
    return true;
}

int removeStaleIn(const std::string& dir, const std::string& base, std::chrono::seconds maxAge)
{
    DIR* d = ::opendir(dir.c_str());
    if (!d) return 0;
    const int dfd = ::dirfd(d);
    const std::time_t cutoff = std::time(nullptr) - static_cast<std::time_t>(maxAge.count());
    int removed = 0;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (!isTemporaryName(name, base)) continue;
        struct stat st {};
        if (::fstatat(dfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        if (st.st_mtim.tv_sec >= cutoff) continue;  // may belong to a run writing right now
        if (::unlinkat(dfd, name.c_str(), 0) == 0) ++removed;
    }
    ::closedir(d);
    return removed;
}

}  // namespace

std::string recordLine(std::int32_t record)
{
    const double check = std::floor(record / 7.0);
    return std::to_string(record) + "," + numText(check) + ",10\n";
}

Result<std::int32_t> parseRecordLine(std::string_view text)
{
    if (const auto nl = text.find('\n'); nl != std::string_view::npos) text = text.substr(0, nl);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    constexpr const char* notThree = "the record file does not hold three numbers";
    double v[3];
    for (int k = 0; k < 3; ++k) {
        const auto comma = text.find(',');
        if ((comma == std::string_view::npos) != (k == 2)) return fail(notThree);
        const auto num = strictNumber(text.substr(0, comma));
        if (!num) return fail(notThree);
        v[k] = *num;
        if (comma != std::string_view::npos) text.remove_prefix(comma + 1);
    }
    // Both the record and its check are whole 32-bit numbers.
    const auto record = toInt32(v[0]);
    const auto check = toInt32(v[1]);
    // A fresh file's "1,1,1" does not match its own check, and means record 1.
    if (record == 1 && check == 1 && v[2] == 1) return 1;
    if (!record || !check || std::floor(*record / 7.0) != *check)
        return fail("the record file's check does not match");
    return *record;
}

Status saveRecord(const std::string& path, std::int32_t record)
{
    const std::string line = recordLine(record);
    // The link is kept and the file it finally names is written.
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) {
        const int err = errno;
        struct stat st {};
        // No file at all (removed while the program ran): made afresh.
        if (err == ENOENT && ::lstat(path.c_str(), &st) != 0 && errno == ENOENT) {
            const auto made = createFresh(path, line);
            if (!made) return fail(made.error());
            if (*made) return {};
            real = ::realpath(path.c_str(), nullptr);  // made by another run meanwhile
        }
        if (!real) return fail(failure("cannot write", path, err));
    }
    const std::string target = real;
    std::free(real);
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return fail(failure("cannot write", path, errno));
    if (S_ISDIR(st.st_mode)) return fail(path + " is a folder");
    if (!S_ISREG(st.st_mode)) return fail(path + " is not a regular file");
    // Root passes every permission check, so a file with no write bit at all
    // counts as protected too.
    if ((st.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return fail(path + " is read-only; the new record is not saved");

    const Temporary t = writeTemporary(target, line, st.st_mode & 0777, &st);
    if (t.err == 0) {
        if (std::rename(t.name.c_str(), target.c_str()) == 0) {
            syncFolder(splitPath(target).first);
            return {};
        }
        ::unlink(t.name.c_str());
    }
    // The folder takes no new file (read-only, full): the file itself may
    // still be written.
    return writeInPlace(path, target, line);
}

int removeStaleTemporaries(const std::string& path, std::chrono::seconds maxAge)
{
    const auto [dir, base] = splitPath(path);
    int removed = removeStaleIn(dir, base, maxAge);
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            const auto [rdir, rbase] = splitPath(real);
            std::free(real);
            removed += removeStaleIn(rdir, rbase, maxAge);
        }
    }
    return removed;
}

RecordKeeper::RecordKeeper(std::string path, std::chrono::milliseconds lockWait)
    : path_(std::move(path)), lockWait_(lockWait)
{
}

Status RecordKeeper::report(Status failed)
{
    if (failed.ok() || reported_) return {};
    reported_ = true;
    return failed;
}

Status RecordKeeper::load()
{
    record_ = 1;
    saving_ = false;
    removeStaleTemporaries(path_);

    struct stat st {};
    if (::lstat(path_.c_str(), &st) != 0) {
        const int err = errno;
        if (err != ENOENT) return report(fail(failure("cannot open", path_, err) + kLeftAlone));
        const auto made = createFresh(path_, "1,1,1\n");
        // Nothing is there to protect, so later records are still tried.
        saving_ = true;
        if (!made) return report(fail(made.error()));
        if (*made) return {};
        saving_ = false;  // another run made it meanwhile: read that one
    }
    const auto text = readRegularFilePrefix(path_, kRecordReadCap);
    if (!text) return report(fail(text.error() + kLeftAlone));
    // A file that holds no valid record gives the record 1, and the next new
    // record replaces it, as the check is there to make a tampered record void.
    saving_ = true;
    const auto held = parseRecordLine(*text);
    if (!held) return report(fail(path_ + ": " + held.error() + kStartsAgain));
    record_ = *held;
    return {};
}

Status RecordKeeper::offer(std::int32_t score)
{
    if (score <= record_) return {};
    record_ = score;
    if (!saving_) return {};
    return report(save(score));
}

Status RecordKeeper::save(std::int32_t score)
{
    const auto deadline = std::chrono::steady_clock::now() + lockWait_;
    const std::string busy = path_ + " is in use by another run; the new record is not saved this time";
    for (;;) {
        // Only a regular file is opened to be locked; saveRecord refuses
        // anything else by name.
        struct stat st {};
        if (::stat(path_.c_str(), &st) != 0) {
            struct stat link {};
            if (errno == ENOENT && ::lstat(path_.c_str(), &link) != 0 && errno == ENOENT) {
                // Removed while the program ran: made afresh, unless another
                // run has just made it (then that one is compared with).
                const auto made = createFresh(path_, recordLine(score));
                if (!made) return fail(made.error());
                if (*made) return {};
                continue;
            }
            return saveRecord(path_, score);
        }
        if (!S_ISREG(st.st_mode)) return saveRecord(path_, score);
        Fd fd(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        // A file this run may no longer read cannot be locked: it is written
        // unlocked, as before the lock.
        if (fd.fd < 0) return saveRecord(path_, score);
        if (!lockBefore(fd.fd, deadline)) return fail(busy);
        // A run that saved while this one waited has renamed a new file over
        // the one locked here: the lock counts only on the file the name
        // still stands for.
        struct stat locked {}, named {};
        if (::fstat(fd.fd, &locked) != 0 || ::stat(path_.c_str(), &named) != 0 || locked.st_dev != named.st_dev ||
            locked.st_ino != named.st_ino) {
            if (std::chrono::steady_clock::now() >= deadline) return fail(busy);
            continue;
        }
        // Another run may have raised the file's record meanwhile.
        if (const auto held = recordHeld(fd.fd); held && *held >= score) {
            record_ = *held;
            return {};
        }
        return saveRecord(path_, score);  // the lock goes with fd, after the rename
    }
}

}  // namespace orb
