// SPDX-License-Identifier: GPL-3.0-or-later
// Conditions that tests impose on the process: a file size limit standing in
// for a full disk, a deadline for code that must not hang, and work done as
// an unprivileged user.
#pragma once

#include <functional>
#include <sys/resource.h>

// While it lives, no file can grow beyond the given size: a write past it
// fails with EFBIG (its signal is ignored). Works for root too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*savedHandler_)(int) = nullptr;
};

// Ends the test program if it is still inside the guarded part after the
// given seconds, so a call that hangs fails the test instead of the run.
class HangGuard {
public:
    explicit HangGuard(unsigned seconds);
    ~HangGuard();
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;
};

// Runs job as a user without privileges, so that file permissions hold: in a
// child process as "nobody" when the tests run as root, else right here.
// Returns job's result, or -1 when the child could not run it.
int runUnprivileged(const std::function<int()>& job);

// The user and group runUnprivileged runs as.
unsigned unprivilegedUser();
unsigned unprivilegedGroup();
