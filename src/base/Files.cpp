#include "base/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace orb {

Result<std::string> readTextFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail("cannot open " + path + ": " + std::strerror(errno));
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) return fail("cannot read " + path);
    return ss.str();
}

Status writeFileAtomically(const std::string& path, const std::string& text)
{
    std::string tmp = path + ".XXXXXX";
    std::vector<char> name(tmp.begin(), tmp.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return fail("cannot write " + path + ": " + std::strerror(errno));
    ::fchmod(fd, 0644);
    const char* p = text.data();
    std::size_t left = text.size();
    bool ok = true;
    int err = 0;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (ok && ::fsync(fd) != 0) { err = errno; ok = false; }
    if (::close(fd) != 0 && ok) { err = errno; ok = false; }
    if (ok && std::rename(name.data(), path.c_str()) != 0) { err = errno; ok = false; }
    if (!ok) {
        std::remove(name.data());
        return fail("cannot write " + path + ": " + std::strerror(err));
    }
    // Make the rename itself durable.
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return {};
}

}  // namespace orb
