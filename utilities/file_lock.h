// SPDX-License-Identifier: GPL-3.0-or-later
// Two writers of one file kept apart. A command that reads a file, changes
// it and writes it back (a save, a settings file, the window's kept list)
// holds a FileLock from before the read until the new file is in place. A
// second writer waits a little for it, then gives up with FILE_BUSY instead
// of writing over the first one's change.
//
// The lock is an advisory flock(2) on the file itself, its links followed,
// or on its folder while the file does not exist yet. flock and not a POSIX
// record lock: a record lock is dropped when the process closes any other
// descriptor of the file (reading the same save would end it), and a folder
// can't take one. Locks are advisory: they keep our own programs apart, not
// other programs that never ask.
#pragma once

#include <string>

// How long a writer waits for another before it gives up.
constexpr int FILE_LOCK_WAIT_MS = 2000;

class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock for path. 0 when held, or when the file system keeps no
    // locks (the write then goes on unguarded, as it always did); FILE_BUSY
    // when another process held it for longer than waitMs. Anything at path
    // that is no regular file is not locked (its reader refuses it anyway).
    int acquire(const std::string& path, int waitMs = FILE_LOCK_WAIT_MS);
    void release();

private:
    int fd_ = -1;
};
