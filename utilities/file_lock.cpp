// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_lock.h"

#include "file_io.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// How often a waiting writer looks again.
constexpr auto RETRY_STEP = std::chrono::milliseconds(20);

// Systems without locks say so in one of these ways; the write then goes on.
bool locksUnsupported(int err)
{
    return err == ENOLCK || err == EOPNOTSUPP || err == EINVAL || err == ENOSYS;
}

}  // namespace

FileLock::~FileLock()
{
    release();
}

void FileLock::release()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

int FileLock::acquire(const std::string& path, int waitMs)
{
    release();
    std::string target;
    if (resolveFileLinks(path, target) != 0) return 0;  // the write says why
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        // The file when there is one; else its folder, until it appears.
        bool onFolder = false;
        int fd = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT) {
            onFolder = true;
            const std::string folder = systemFolderOf(target);
            fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        }
        if (fd < 0) return 0;  // nothing to lock that could be read either
        struct stat locked {};
        if (::fstat(fd, &locked) != 0 || (!onFolder && !S_ISREG(locked.st_mode))) {
            ::close(fd);
            return 0;
        }
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            if (err == EINTR) continue;
            if (err != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
                ::close(fd);
                return err == EWOULDBLOCK ? FILE_BUSY : locksUnsupported(err) ? 0 : err;
            }
            std::this_thread::sleep_for(RETRY_STEP);
        }
        // The writer before us may have put a new file in the old one's
        // place, or made the file that was missing: the lock must be on
        // what the name gives now.
        struct stat now {};
        const bool present = ::stat(target.c_str(), &now) == 0;
        const bool current = onFolder ? !present : present && now.st_dev == locked.st_dev && now.st_ino == locked.st_ino;
        if (current) {
            fd_ = fd;
            return 0;
        }
        ::close(fd);
        if (std::chrono::steady_clock::now() >= deadline) return FILE_BUSY;
    }
}
