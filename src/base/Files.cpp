#include "base/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>

namespace orb {

namespace {

std::string failure(const char* what, const std::string& path, int err)
{
    return std::string(what) + " " + path + ": " + std::strerror(err);
}

// Anything but a regular file is refused by name.
std::optional<Error> notRegular(const std::string& path, const struct stat& st)
{
    if (S_ISDIR(st.st_mode)) return fail(path + " is a folder");
    if (!S_ISREG(st.st_mode)) return fail(path + " is not a regular file");
    return std::nullopt;
}

Result<std::string> readCapped(const std::string& path, std::size_t maxBytes, bool prefixOnly)
{
    // Look before opening: opening a device can have effects of its own.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return fail(failure("cannot open", path, errno));
    if (auto bad = notRegular(path, st)) return *bad;
    // Non-blocking, so that a FIFO swapped in after the look cannot hold us.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return fail(failure("cannot open", path, errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &st) != 0) return fail(failure("cannot read", path, errno));
    if (auto bad = notRegular(path, st)) return *bad;
    const std::string tooLarge = path + " is too large (more than " + std::to_string(maxBytes) + " bytes)";
    if (!prefixOnly && st.st_size > 0 && static_cast<std::uintmax_t>(st.st_size) > maxBytes) return fail(tooLarge);

    // One byte past the cap tells a file that grew beyond it since the look.
    const std::size_t limit = prefixOnly || maxBytes == SIZE_MAX ? maxBytes : maxBytes + 1;
    std::string out;
    out.reserve(std::min(limit, static_cast<std::size_t>(st.st_size) + 1));
    char buf[65536];
    while (out.size() < limit) {
        const std::size_t want = std::min(sizeof buf, limit - out.size());
        const ssize_t n = ::read(fd, buf, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(failure("cannot read", path, errno));
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    if (!prefixOnly && out.size() > maxBytes) return fail(tooLarge);
    return out;
}

}  // namespace

Result<std::string> readRegularFile(const std::string& path, std::size_t maxBytes)
{
    return readCapped(path, maxBytes, false);
}

Result<std::string> readRegularFilePrefix(const std::string& path, std::size_t maxBytes)
{
    return readCapped(path, maxBytes, true);
}

}  // namespace orb
