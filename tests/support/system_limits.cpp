// SPDX-License-Identifier: GPL-3.0-or-later
#include "system_limits.h"

#include <csignal>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr unsigned NOBODY = 65534;

}  // namespace

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lower = saved_;
    lower.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &lower);
}

FileSizeLimit::~FileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
}

HangGuard::HangGuard(unsigned seconds)
{
    std::signal(SIGALRM, SIG_DFL);
    ::alarm(seconds);
}

HangGuard::~HangGuard()
{
    ::alarm(0);
}

unsigned unprivilegedUser()
{
    return ::geteuid() == 0 ? NOBODY : ::geteuid();
}

unsigned unprivilegedGroup()
{
    return ::geteuid() == 0 ? NOBODY : ::getegid();
}

int runUnprivileged(const std::function<int()>& job)
{
    if (::geteuid() != 0) return job();
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(NOBODY) != 0 || ::setuid(NOBODY) != 0) ::_exit(255);
        ::_exit(job() & 0xFF);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) == 255 ? -1 : WEXITSTATUS(status);
}
