// Writing a file the user named, all or nothing; the rules are in Files.h.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#include "base/Files.h"

namespace orb {

namespace {

// As many links as the system itself follows in one name.
constexpr int kMaxLinks = 40;
// Looks at the name before writing and again before the rename; when another
// program changes it in between, the whole write starts again this many times.
constexpr int kAttempts = 3;

std::string cannot(const std::string& path, int err) { return "cannot write " + path + ": " + std::strerror(err); }

const char* kindOf(mode_t mode)
{
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "an unknown kind of file";
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a name finally stands for once symbolic links are followed, and
// how it looked; exists is false when nothing is there yet.
struct Target {
    std::string path;
    bool exists = false;
    struct stat st {};
};

Result<Target> resolve(const std::string& path)
{
    Target t{path};
    for (int links = 0;; ++links) {
        if (::lstat(t.path.c_str(), &t.st) != 0) {
            if (errno != ENOENT) return fail(cannot(path, errno));
            return Target{t.path};
        }
        t.exists = true;
        if (!S_ISLNK(t.st.st_mode)) return t;
        if (links == kMaxLinks) return fail(cannot(path, ELOOP));
        char to[4096];
        const ssize_t n = ::readlink(t.path.c_str(), to, sizeof to);
        if (n < 0) return fail(cannot(path, errno));
        if (n == 0) return fail(cannot(path, ENOENT));
        if (static_cast<std::size_t>(n) == sizeof to) return fail(cannot(path, ENAMETOOLONG));
        const std::string next(to, static_cast<std::size_t>(n));
        t.path = next.front() == '/' ? next : folderOf(t.path) + "/" + next;
    }
}

bool sameLook(const Target& a, const Target& b)
{
    if (a.path != b.path || a.exists != b.exists) return false;
    return !a.exists || (a.st.st_dev == b.st.st_dev && a.st.st_ino == b.st.st_ino &&
                         (a.st.st_mode & S_IFMT) == (b.st.st_mode & S_IFMT));
}

// Why the file a name stands for may not be replaced, if it may not.
std::optional<Error> refusal(const std::string& path, const Target& t)
{
    if (!t.exists) return std::nullopt;
    if (!S_ISREG(t.st.st_mode)) return fail(path + ": not a regular file (" + kindOf(t.st.st_mode) + ")");
    // The rename needs only the folder's permission, so the file's own is
    // asked for: it is how a user protects a file. Root passes every check,
    // so for root a file without any write bit is protected too.
    const std::string readOnly = path + ": the file is read-only";
    if ((t.st.st_mode & 0222) == 0) return fail(readOnly);
    if (::faccessat(AT_FDCWD, t.path.c_str(), W_OK, AT_EACCESS) != 0 &&
        (errno == EACCES || errno == EPERM || errno == EROFS))
        return fail(readOnly);
    return std::nullopt;
}

std::uint64_t mixed(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

std::string randomSuffix()
{
    static std::atomic<std::uint64_t> count{0};
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::uint64_t bits = mixed(now ^ (static_cast<std::uint64_t>(::getpid()) << 40) ^ mixed(count++));
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string out(6, '0');
    for (char& c : out) {
        c = kChars[bits % 62];
        bits /= 62;
    }
    return out;
}

struct Temporary {
    std::string name;
    int fd = -1;
};

// A new, empty file beside target, "<target>.XXXXXX" (or ".orbitarium-XXXXXX"
// where that name would be too long), made as the umask says: 0666 less it.
// Opened with O_EXCL, so it is never anything that was there before.
Result<Temporary> openTemporary(const std::string& target, const std::string& path)
{
    bool shortName = false;
    for (int tries = 0; tries < 100; ++tries) {
        const std::string name =
            (shortName ? folderOf(target) + "/.orbitarium-" : target + ".") + randomSuffix();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) return Temporary{name, fd};
        if (errno == ENAMETOOLONG && !shortName) {
            shortName = true;
            continue;
        }
        if (errno != EEXIST) return fail(cannot(path, errno));
    }
    return fail(cannot(path, EEXIST));
}

// 0 when every byte went out, else errno.
int writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Fills the temporary file: the old file's permission bits and owner (where
// the system allows; set-user and set-group bits are not carried over to what
// is only data), the text, and the disk. 0 or errno.
int fill(const Temporary& tmp, const Target& t, const std::string& text)
{
    if (t.exists) {
        if (t.st.st_uid != ::geteuid() || t.st.st_gid != ::getegid())
            (void)::fchown(tmp.fd, t.st.st_uid, t.st.st_gid);
        if (::fchmod(tmp.fd, t.st.st_mode & 0777) != 0) return errno;
    }
    if (const int err = writeAll(tmp.fd, text)) return err;
    return ::fsync(tmp.fd) == 0 ? 0 : errno;
}

// Renames the temporary file to the target; a name that was free is never
// taken from a file made there meanwhile (EEXIST then). 0 or errno.
int commitTemporary(const Temporary& tmp, const Target& t)
{
    if (t.exists) return std::rename(tmp.name.c_str(), t.path.c_str()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, tmp.name.c_str(), AT_FDCWD, t.path.c_str(), RENAME_NOREPLACE) == 0) return 0;
    // A file system that cannot promise it: the look just before must do.
    if (errno == EINVAL || errno == ENOSYS)
        return std::rename(tmp.name.c_str(), t.path.c_str()) == 0 ? 0 : errno;
    return errno;
}

// Makes the rename itself durable.
void syncFolder(const std::string& dir)
{
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

}  // namespace

Result<AtomicFile> AtomicFile::open(const std::string& path)
{
    if (path.empty()) return fail("no file named to write");
    const auto target = resolve(path);
    if (!target) return fail(target.error());
    if (auto refused = refusal(path, *target)) return *refused;
    const auto tmp = openTemporary(target->path, path);
    if (!tmp) return fail(tmp.error());
    AtomicFile f;
    f.path_ = path;
    f.target_ = target->path;
    f.temp_ = tmp->name;
    f.fd_ = tmp->fd;
    f.existed_ = target->exists;
    // The old file's permission bits and owner, as fill() carries them over.
    if (target->exists) {
        const struct stat& st = target->st;
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) (void)::fchown(f.fd_, st.st_uid, st.st_gid);
        if (::fchmod(f.fd_, st.st_mode & 0777) != 0) {
            const int err = errno;
            f.abandon();
            return fail(cannot(path, err));
        }
    }
    return f;
}

AtomicFile::AtomicFile(AtomicFile&& o) noexcept { *this = std::move(o); }

AtomicFile& AtomicFile::operator=(AtomicFile&& o) noexcept
{
    if (this == &o) return *this;
    abandon();
    path_ = std::move(o.path_);
    target_ = std::move(o.target_);
    temp_ = std::move(o.temp_);
    fd_ = o.fd_;
    existed_ = o.existed_;
    o.fd_ = -1;
    o.temp_.clear();
    return *this;
}

AtomicFile::~AtomicFile() { abandon(); }

void AtomicFile::abandon()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}

Status AtomicFile::commit()
{
    if (fd_ < 0) return fail("cannot write " + path_ + ": nothing is being written");
    int err = ::fsync(fd_) == 0 ? 0 : errno;
    if (::close(fd_) != 0 && err == 0) err = errno;
    fd_ = -1;
    if (err == 0) {
        // What the name stands for may have changed while the file was
        // written: it is looked at again, by the same rules.
        const auto now = resolve(path_);
        if (!now) err = EAGAIN;
        else if (auto refused = refusal(path_, *now)) {
            abandon();
            return *refused;
        } else if (now->path != target_ || now->exists != existed_) err = EAGAIN;
        else {
            Target t{target_};
            t.exists = existed_;
            err = commitTemporary(Temporary{temp_, -1}, t);
        }
    }
    if (err != 0) {
        abandon();
        return fail(err == EAGAIN ? path_ + ": the file changed while it was written" : cannot(path_, err));
    }
    syncFolder(folderOf(target_));
    temp_.clear();
    return {};
}

Status writeFileAtomically(const std::string& path, const std::string& text)
{
    if (path.empty()) return fail("no file named to write");
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const auto before = resolve(path);
        if (!before) return fail(before.error());
        if (auto refused = refusal(path, *before)) return *refused;
        const auto tmp = openTemporary(before->path, path);
        if (!tmp) return fail(tmp.error());
        int err = fill(*tmp, *before, text);
        if (::close(tmp->fd) != 0 && err == 0) err = errno;
        if (err != 0) {
            ::unlink(tmp->name.c_str());
            return fail(cannot(path, err));
        }
        // Another program may have changed the name while the text was
        // written: then everything is looked at again.
        const auto after = resolve(path);
        err = after && sameLook(*before, *after) ? commitTemporary(*tmp, *before) : EAGAIN;
        if (err == 0) {
            syncFolder(folderOf(before->path));
            return {};
        }
        ::unlink(tmp->name.c_str());
        if (err != EAGAIN && err != EEXIST) return fail(cannot(path, err));
    }
    return fail(path + ": the file kept changing while it was written");
}

}  // namespace orb
