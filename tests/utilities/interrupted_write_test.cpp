// SPDX-License-Identifier: GPL-3.0-or-later
// Writes stopped part way, by a signal or a kill at a chosen step, and two
// writers at once: the file is always old or new, a copy of the old
// contents exists wherever a rewrite in place could tear it, and nothing is
// left behind that a later write does not clear.
#include "file_io.h"
#include "file_lock.h"
#include "ini_profile.h"
#include "system_limits.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The step at which a child stops itself, and how.
FileStep stopStep = FileStep::TemporaryWritten;
int stopSignal = 0;
bool unnamedAllowed = true;

bool stopAtStep(FileStep step)
{
    if (step == FileStep::UnnamedTemporary) return unnamedAllowed;
    if (step == stopStep && stopSignal != 0) ::raise(stopSignal);
    return true;
}

// Runs job in a child with the stop hook and the programs' signal handling;
// the signal that ended it, or 0 when it exited.
int signalEndingChild(const std::function<void()>& job)
{
    const pid_t child = ::fork();
    if (child == 0) {
        installTemporaryFileCleanup();
        setFileStepHook(stopAtStep);
        job();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

std::vector<std::string> temporariesIn(const std::string& dir)
{
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (e.path().filename().string().rfind(".rw-", 0) == 0) found.push_back(e.path().string());
    }
    return found;
}

void makeOld(const std::string& path)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 3600, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

std::string told;
void remember(const std::string& file, const std::string& copy)
{
    told = file + " -> " + copy;
}

}  // namespace

TEST(InterruptedWrite, StopSignalsLeaveTheOldFileOrTheNewAndNoTemporaryFile)
{
    TempDir dir;
    const std::string file = dir.file("game.sav");
    const std::string old(5000, 'o');
    const std::string fresh(7000, 'n');
    const struct {
        bool unnamed;
        FileStep step;
        int signal;
        bool newAfter;
        std::size_t leftovers;
    } cases[] = {
        // A signal while the data are written: the old file, nothing left.
        {true, FileStep::TemporaryWritten, SIGTERM, false, 0},
        {false, FileStep::TemporaryWritten, SIGINT, false, 0},
        {false, FileStep::TemporaryWritten, SIGHUP, false, 0},
        // While the file is named and moved, a stop signal waits: the new file.
        {true, FileStep::TemporaryNamed, SIGTERM, true, 0},
        // A kill can't wait: the old file, and a named leftover.
        {true, FileStep::TemporaryNamed, SIGKILL, false, 1},
        {false, FileStep::TemporaryWritten, SIGKILL, false, 1},
        // Without a kill, an unnamed file never shows in the folder.
        {true, FileStep::TemporaryWritten, SIGKILL, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.step)) + " signal " + std::to_string(c.signal) +
                     (c.unnamed ? " unnamed" : " named"));
        writeText(file, old);
        unnamedAllowed = c.unnamed;
        stopStep = c.step;
        stopSignal = c.signal;
        const int ended = signalEndingChild([&] { replaceFileWith(file, fresh.data(), fresh.size()); });
        EXPECT_EQ(ended, c.signal);
        EXPECT_EQ(readText(file), c.newAfter ? fresh : old);
        const std::vector<std::string> left = temporariesIn(dir.path());
        EXPECT_EQ(left.size(), c.leftovers);
        // A later write clears what a kill left, once nobody holds it.
        for (const std::string& path : left) makeOld(path);
        stopSignal = 0;
        EXPECT_EQ(replaceFileWith(file, "x", 1), 0);
        EXPECT_TRUE(temporariesIn(dir.path()).empty());
    }
    unnamedAllowed = true;
}

TEST(InterruptedWrite, OnlyStaleTemporariesOfOurOwnNamingAreRemoved)
{
    TempDir dir;
    for (const char* name : {".rw-Stale1", ".rw-Young1", ".rw-Held01", ".rw-toolong1", ".rx-Other1"}) {
        writeText(dir.file(name), "x");
        if (std::string(name) != ".rw-Young1") makeOld(dir.file(name));
    }
    // A live writer holds its file.
    const int held = ::open(dir.file(".rw-Held01").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_EQ(removeStaleTemporaries(dir.path()), 1);
    EXPECT_FALSE(fileExists(dir.file(".rw-Stale1")));
    for (const char* name : {".rw-Young1", ".rw-Held01", ".rw-toolong1", ".rx-Other1"}) {
        EXPECT_TRUE(fileExists(dir.file(name))) << name;
    }
    ::close(held);
}

TEST(InterruptedWrite, ANewFileNeverReplacesOneThatAppearedMeanwhile)
{
    TempDir dir;
    ASSERT_EQ(::symlink("nowhere", dir.file("dangling").c_str()), 0);
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed" : "named");
        unnamedAllowed = unnamed;
        setFileStepHook(stopAtStep);
        const std::string file = dir.file(unnamed ? "a.sav" : "b.sav");
        AtomicFile out;
        ASSERT_TRUE(out.open(file, WriteMode::CreateNew));
        out.write(std::string("mine"));
        writeText(file, "theirs");  // made after the look, before the name
        EXPECT_FALSE(out.commit());
        EXPECT_EQ(out.errorNumber(), EEXIST);
        EXPECT_EQ(readText(file), "theirs");
        EXPECT_EQ(replaceFileWith(dir.file("dangling"), "x", 1, WriteMode::CreateNew), EEXIST);
        EXPECT_EQ(replaceFileWith(file + ".new", "new", 3, WriteMode::CreateNew), 0);
        EXPECT_EQ(readText(file + ".new"), "new");
    }
    setFileStepHook(nullptr);
    unnamedAllowed = true;
    EXPECT_FALSE(fileExists(dir.file("nowhere")));
    EXPECT_TRUE(temporariesIn(dir.path()).empty());
}

// A folder that takes no new file: the old contents are kept elsewhere
// first, and a stop signal can't tear the file.
TEST(InterruptedWrite, RewritesInPlaceKeepACopyAndFinishBeforeAStopSignal)
{
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string state = dir.file("state");
    ASSERT_EQ(::mkdir(state.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(state.c_str(), 0777), 0);
    ASSERT_EQ(::setenv("XDG_STATE_HOME", state.c_str(), 1), 0);
    const std::string folder = dir.file("card/");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string file = folder + "cart.gba";
    const std::string old(3000, 'o');
    const std::string fresh(2000, 'n');
    writeText(file, old);
    ASSERT_EQ(::chown(file.c_str(), unprivilegedUser(), unprivilegedGroup()), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    const std::string copy = rewriteCopyPathFor(file);
    EXPECT_EQ(copy.rfind(state + "/romweld/cart.gba.", 0), 0u) << copy;

    setRewriteNotice(remember);
    // The notice is heard where the write ran.
    EXPECT_EQ(runUnprivileged([&] {
        const int written = replaceFileWith(file, fresh.data(), fresh.size());
        return written != 0 ? 1 : told == file + " -> " + copy ? 0 : 2;
    }), 0);
    EXPECT_EQ(readText(file), fresh);
    EXPECT_EQ(readText(copy), old);
    EXPECT_NE(rewriteNoticeText(file, copy).find(copy), std::string::npos);

    // SIGTERM while the bytes go over the file: it finishes first. A kill
    // can tear it, but the copy holds what it was.
    for (const int signal : {SIGTERM, SIGKILL}) {
        SCOPED_TRACE(signal);
        writeText(file, old);
        stopStep = FileStep::InPlaceWritten;
        stopSignal = signal;
        EXPECT_EQ(signalEndingChild([&] { runUnprivileged([&] { return replaceFileWith(file, fresh.data(), fresh.size()); }); }),
                  ::geteuid() == 0 ? 0 : signal);
        EXPECT_EQ(readText(copy), old);
        if (signal == SIGTERM) {
            EXPECT_EQ(readText(file), fresh);
        }
    }
    stopSignal = 0;

    // No copy, no rewrite.
    ASSERT_EQ(::chmod(state.c_str(), 0555), 0);
    ASSERT_EQ(::setenv("XDG_STATE_HOME", (state + "/none").c_str(), 1), 0);
    writeText(file, old);
    EXPECT_EQ(runUnprivileged([&] { return replaceFileWith(file, fresh.data(), fresh.size()) == NO_COPY_KEPT ? 0 : 1; }), 0);
    EXPECT_EQ(readText(file), old);
    ::unsetenv("XDG_STATE_HOME");
    setRewriteNotice(nullptr);
    ::chmod(folder.c_str(), 0755);
    ::chmod(state.c_str(), 0755);
}

TEST(FileLock, ASecondWriterWaitsThenGivesUp)
{
    TempDir dir;
    const std::string ini = dir.file("romweld.ini");
    // Missing file: the folder is locked until the file is there.
    FileLock first;
    ASSERT_EQ(first.acquire(ini), 0);
    EXPECT_EQ(iniWriteString(ini, "CONFIG", "A", "1"), FILE_BUSY);
    first.release();
    ASSERT_EQ(iniWriteString(ini, "CONFIG", "A", "1"), 0);

    ASSERT_EQ(first.acquire(ini, 0), 0);
    FileLock second;
    EXPECT_EQ(second.acquire(ini, 50), FILE_BUSY);
    EXPECT_EQ(iniWriteString(ini, "CONFIG", "B", "2"), FILE_BUSY);
    EXPECT_EQ(fileErrorText(FILE_BUSY), "another program is writing this file; try again when it is done");
    first.release();
    EXPECT_EQ(second.acquire(ini, 0), 0);
    second.release();

    // Many writers at once: every one's value is kept.
    std::vector<pid_t> children;
    for (int i = 0; i < 8; ++i) {
        const pid_t child = ::fork();
        if (child == 0) ::_exit(iniWriteString(ini, "CONFIG", "K" + std::to_string(i), std::to_string(i)) == 0 ? 0 : 1);
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    const IniSnapshot settings = IniSnapshot::load(ini);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(settings.readInt("CONFIG", "K" + std::to_string(i), -1), i);
}
