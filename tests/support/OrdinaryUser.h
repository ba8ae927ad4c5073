#pragma once
// Root passes every permission check. A test that is to meet them runs its
// part in a child process that has dropped to the user nobody.

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace orb::test {

// Drops root to nobody; false when that is not possible here. Without root
// there is nothing to drop.
inline bool becomeOrdinaryUser()
{
    if (::geteuid() != 0) return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
}

// Runs fn where permissions bite (as root: in a child that has dropped to
// nobody) and gives the text it returned; "skip" when no such user is
// available.
inline std::string withPermissions(const std::function<std::string()>& fn)
{
    if (::geteuid() != 0) return fn();
    int fds[2];
    if (::pipe(fds) != 0) return "skip";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        const std::string out = becomeOrdinaryUser() ? fn() : "skip";
        (void)!::write(fds[1], out.data(), out.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string out;
    char buf[4096];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
    return out;
}

}  // namespace orb::test
