#include "panel/RecordFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/Numbers.h"

namespace orb {

std::string recordLine(std::int32_t record)
{
    const double check = std::floor(record / 7.0);
    return std::to_string(record) + "," + numText(check) + ",10\n";
}

bool writeFileAtomically(const std::string& path, const std::string& text)
{
    std::string tmp = path + ".XXXXXX";
    std::vector<char> name(tmp.begin(), tmp.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    ::fchmod(fd, 0644);
    const char* p = text.data();
    std::size_t left = text.size();
    bool ok = true;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && std::rename(name.data(), path.c_str()) != 0) ok = false;
    if (!ok) {
        std::remove(name.data());
        return false;
    }
    // Make the rename itself durable.
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool saveRecord(const std::string& path, std::int32_t record)
{
    return writeFileAtomically(path, recordLine(record));
}

RecordRead loadRecord(const std::string& path)
{
    RecordRead res;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (!writeFileAtomically(path, "1,1,1\n")) res.note = "the record file cannot be created";
        else res.note = "a fresh record file was created";
        res.fileOk = false;
        return res;
    }
    std::string line;
    std::getline(in, line, '\n');
    if (line.size() > 4096) line.resize(4096);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> parts;
    std::stringstream ss(line);
    std::string part;
    while (std::getline(ss, part, ',')) parts.push_back(part);
    if (parts.size() != 3) {
        res.note = "the record file does not hold three numbers";
        return res;
    }
    std::optional<double> v[3];
    for (int k = 0; k < 3; ++k) {
        v[k] = strictNumber(parts[k]);
        if (!v[k]) {
            res.note = "the record file does not hold three numbers";
            return res;
        }
    }
    const auto record = toInt32(*v[0]);
    if (!record || std::floor(*record / 7.0) != *v[1]) {
        res.note = "the record file's check does not match";
        return res;
    }
    res.record = *record;
    res.fileOk = true;
    return res;
}

}  // namespace orb
