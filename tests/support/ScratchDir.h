#pragma once
// A fresh folder under the test's temporary folder, removed with whatever is
// left in it, read-only folders and files included.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>
#include <stdlib.h>

namespace orb::test {

class ScratchDir {
public:
    explicit ScratchDir(const std::string& prefix)
    {
        std::string tmpl = ::testing::TempDir() + prefix + "_XXXXXX";
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        if (::mkdtemp(buf.data())) path_ = buf.data();
    }
    ~ScratchDir()
    {
        if (path_.empty()) return;
        namespace fs = std::filesystem;
        std::error_code ec;
        // A test may leave a folder read-only: open each one before removing.
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            if (it->is_directory(ec) && !it->is_symlink(ec))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A file's whole content, empty when it cannot be read.
inline std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace orb::test
