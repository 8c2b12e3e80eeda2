#include "platform/sys/spawn.h"

#include "platform/sys/files.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sys {

namespace {

bool HasNul(const std::string& s) { return s.find('\0') != std::string::npos; }

} // namespace

bool StartDetached(const std::vector<std::string>& argv, const std::string& workDir, std::string& error)
{
    error.clear();
    if (argv.empty() || argv.front().empty()) {
        error = "No program to start";
        return false;
    }
    for (const std::string& a : argv)
        if (HasNul(a)) {
            error = "An argument holds a NUL byte";
            return false;
        }
    if (HasNul(workDir)) {
        error = "The folder holds a NUL byte";
        return false;
    }
    // Everything the child needs is made before the fork: after it only async-signal-safe calls.
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const char* dir = workDir.empty() ? nullptr : workDir.c_str();

    // The grandchild reports a failed exec through this pipe; a successful one closes it.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = ErrorText(errno);
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        error = ErrorText(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (child == 0) {
        ::close(fds[0]);
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            int err = grandchild < 0 ? errno : 0;
            if (err != 0)
                (void)!::write(fds[1], &err, sizeof err);
            ::_exit(0);
        }
        ::setsid();
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        int err = 0;
        if (dir && ::chdir(dir) != 0)
            err = errno;
        if (err == 0) {
            ::execvp(args[0], args.data());
            err = errno;
        }
        (void)!::write(fds[1], &err, sizeof err);
        ::_exit(127);
    }
    ::close(fds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int err = 0;
    ssize_t got;
    while ((got = ::read(fds[0], &err, sizeof err)) < 0 && errno == EINTR) {
    }
    ::close(fds[0]);
    if (got == static_cast<ssize_t>(sizeof err) && err != 0) {
        error = ErrorText(err);
        return false;
    }
    return true;
}

} // namespace sys
