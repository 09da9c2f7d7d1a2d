// SPDX-License-Identifier: GPL-3.0-or-later
#include "open_counter.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>

OpenCounter::OpenCounter(const std::vector<std::string>& folders)
{
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    watching_ = fd_ >= 0;
    for (const std::string& folder : folders) {
        // Closes are watched too: the system merges an event into the one
        // before it when both are alike, and a close between two opens keeps
        // them apart.
        const int watch = fd_ >= 0 ? ::inotify_add_watch(fd_, folder.c_str(), IN_OPEN | IN_CLOSE) : -1;
        if (watch < 0) watching_ = false;
        folders_[watch] = folder;
    }
}

OpenCounter::~OpenCounter()
{
    if (fd_ >= 0) ::close(fd_);
}

std::map<std::string, int> OpenCounter::take()
{
    std::map<std::string, int> opens;
    std::vector<char> buffer(256 * 1024);
    for (;;) {
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            inotify_event event{};
            std::memcpy(&event, buffer.data() + at, sizeof event);
            if ((event.mask & IN_OPEN) != 0 && (event.mask & IN_ISDIR) == 0 && event.len > 0) {
                ++opens[folders_[event.wd] + std::string(buffer.data() + at + sizeof event)];
            }
            at += static_cast<ssize_t>(sizeof event + event.len);
        }
    }
    return opens;
}
