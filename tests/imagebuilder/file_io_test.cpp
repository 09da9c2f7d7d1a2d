// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_io.h"

#include "ini_profile.h"
#include "list_file.h"
#include "rom_list.h"
#include "system_limits.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace {

int replaceWith(const std::string& path, const std::string& text)
{
    return replaceFileWith(path, text.data(), text.size());
}

ino_t inodeOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

std::size_t entriesIn(const std::string& dir)
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
    return n;
}

}  // namespace

// Saves are often linked into an emulator's or a flash cart's folder: the
// file at the end of the links gets the new data, and every link stays.
TEST(AtomicFile, WritesThroughLinksToTheFileTheyName)
{
    TempDir dir;
    ::mkdir(dir.file("real").c_str(), 0755);
    ::mkdir(dir.file("links").c_str(), 0755);
    writeText(dir.file("real/game.sav"), "old");
    ASSERT_EQ(::symlink(dir.file("real/game.sav").c_str(), dir.file("absolute").c_str()), 0);
    ASSERT_EQ(::symlink("../real/game.sav", dir.file("links/relative").c_str()), 0);
    ASSERT_EQ(::symlink("links/relative", dir.file("chain").c_str()), 0);
    ASSERT_EQ(::symlink("real/new.sav", dir.file("dangling").c_str()), 0);

    const struct { const char* link; const char* target; } cases[] = {
        {"absolute", "real/game.sav"},
        {"links/relative", "real/game.sav"},
        {"chain", "real/game.sav"},
        {"dangling", "real/new.sav"},  // the file it names is created
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        const std::string text = std::string("via ") + c.link;
        EXPECT_EQ(replaceWith(dir.file(c.link), text), 0);
        EXPECT_EQ(readText(dir.file(c.target)), text);
        EXPECT_TRUE(isLink(dir.file(c.link)));
    }
    EXPECT_EQ(entriesIn(dir.file("real")), 2u);  // no temporary file left

    // The settings and list files go the same way.
    ASSERT_EQ(::symlink(dir.file("real/romweld.ini").c_str(), dir.file("romweld.ini").c_str()), 0);
    ASSERT_EQ(iniWriteString(dir.file("romweld.ini"), "CONFIG", "A", "1"), 0);
    ASSERT_EQ(iniWriteString(dir.file("romweld.ini"), "CONFIG", "B", "2"), 0);
    EXPECT_EQ(readText(dir.file("real/romweld.ini")), "[CONFIG]\nA=1\nB=2\n");
    EXPECT_TRUE(isLink(dir.file("romweld.ini")));

    writeText(dir.file("real/games.lst"), "old");
    ASSERT_EQ(::symlink("real/games.lst", dir.file("games.lst").c_str()), 0);
    auto list = romListCreate();
    romListAddSized(list.get(), "/roms/a.nes", 0);
    ASSERT_EQ(writeListFile(dir.file("games.lst"), list.get()), ListCode::Ok);
    EXPECT_EQ(readText(dir.file("real/games.lst")), "### ROMWELD NES List ###\r\n/roms/a.nes\r\n");
    EXPECT_TRUE(isLink(dir.file("games.lst")));
}

TEST(AtomicFile, KeepsModeOwnerAndGroupAndCopesWithLongNames)
{
    TempDir dir;
    const std::string save = dir.file("game.sav");
    writeText(save, "old");
    ASSERT_EQ(::chmod(save.c_str(), 0640), 0);
    // Root may give the file to another user; the replacement keeps that.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(save.c_str(), unprivilegedUser(), unprivilegedGroup()), 0);
    }
    struct stat before {};
    ASSERT_EQ(::stat(save.c_str(), &before), 0);

    ASSERT_EQ(replaceWith(save, "new"), 0);
    struct stat after {};
    ASSERT_EQ(::stat(save.c_str(), &after), 0);
    EXPECT_EQ(readText(save), "new");
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);

    // A name of 255 bytes, the limit of most file systems: the temporary
    // file's name must not be built from it.
    const std::string longName = dir.file(std::string(251, 'x') + ".sav");
    writeText(longName, "old");
    EXPECT_EQ(replaceWith(longName, "new"), 0);
    EXPECT_EQ(readText(longName), "new");
}

// When the folder takes no new file but the file itself may be written, the
// file is rewritten where it is, and put back as it was if that fails.
TEST(AtomicFile, RewritesInPlaceWhenOnlyTheFileIsWritable)
{
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    // Where the old contents are kept first.
    ASSERT_EQ(::mkdir(dir.file("state").c_str(), 0777), 0);
    ASSERT_EQ(::chmod(dir.file("state").c_str(), 0777), 0);
    ASSERT_EQ(::setenv("XDG_STATE_HOME", dir.file("state").c_str(), 1), 0);
    const std::string folder = dir.file("locked/");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string file = folder + "romweld.ini";
    const std::string old = "[CONFIG]\nLong=" + std::string(100, 'v') + "\n";
    writeText(file, old);
    ASSERT_EQ(::chown(file.c_str(), unprivilegedUser(), unprivilegedGroup()), 0);
    const std::string image = folder + "cart.gba";
    writeText(image, "an earlier image");
    ASSERT_EQ(::chown(image.c_str(), unprivilegedUser(), unprivilegedGroup()), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    const ino_t inode = inodeOf(file);

    // A writer that goes back to fix the start (a GBA header) keeps
    // everything it wrote after it.
    EXPECT_EQ(runUnprivileged([&] {
        AtomicFile out;
        if (!out.open(image)) return 1;
        out.write(std::string(100000, 'a'));
        out.stream().seek(0);
        out.write(std::string("head"));
        return out.commit() ? 0 : 2;
    }), 0);
    EXPECT_EQ(readText(image), "head" + std::string(99996, 'a'));

    // A shorter file: the rest of the old one is cut off.
    EXPECT_EQ(runUnprivileged([&] { return iniWriteString(file, "CONFIG", "Long", "v"); }), 0);
    EXPECT_EQ(readText(file), "[CONFIG]\nLong=v\n");
    EXPECT_EQ(inodeOf(file), inode);

    // A write that fails part way puts the old contents back.
    const std::string now = readText(file);
    const int failed = runUnprivileged([&] {
        const FileSizeLimit limit(40);
        return iniWriteString(file, "CONFIG", "Long", std::string(200, 'w'));
    });
    EXPECT_EQ(failed, EFBIG);
    EXPECT_EQ(readText(file), now);

    // A read-only file is left alone, whether or not the folder is writable.
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    EXPECT_EQ(runUnprivileged([&] { return replaceWith(file, "x"); }), EACCES);
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    EXPECT_EQ(runUnprivileged([&] { return replaceWith(file, "x"); }), EACCES);
    EXPECT_EQ(readText(file), now);
    ::chmod(folder.c_str(), 0755);
    ::unsetenv("XDG_STATE_HOME");
}

TEST(AtomicFile, TellsWhetherItReplacesAFileAndCommitsWithOrWithoutTheWait)
{
    // The image writer waits for the disk only when an earlier image is
    // replaced; either way the file is complete and in place after commit.
    TempDir dir;
    writeText(dir.file("old.gba"), "old");
    ASSERT_EQ(::symlink("nowhere.gba", dir.file("dangling").c_str()), 0);
    const struct { std::string path; bool replaces; } cases[] = {
        {dir.file("old.gba"), true},
        {dir.file("new.gba"), false},
        {dir.file("dangling"), false},  // the link names a file yet to be made
    };
    for (const auto& c : cases) {
        for (const bool durable : {true, false}) {
            SCOPED_TRACE(c.path + (durable ? " durable" : " not durable"));
            AtomicFile out;
            out.setDurable(durable);
            ASSERT_TRUE(out.open(c.path));
            EXPECT_EQ(out.replacesAFile(), c.replaces);
            out.write(std::string(10000, 'x'));
            out.writeBack();
            out.write(std::string("end"));
            ASSERT_TRUE(out.commit());
            EXPECT_EQ(readText(c.path), std::string(10000, 'x') + "end");
            if (!c.replaces) ::unlink(c.path == dir.file("dangling") ? dir.file("nowhere.gba").c_str() : c.path.c_str());
        }
    }
    EXPECT_EQ(entriesIn(dir.path()), 2u);  // no temporary file left
}

TEST(AtomicFile, RefusesWhatIsNoRegularFile)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
    ASSERT_EQ(::mkdir(dir.file("folder").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("loop2", dir.file("loop1").c_str()), 0);
    ASSERT_EQ(::symlink("loop1", dir.file("loop2").c_str()), 0);
    const struct { std::string path; int reason; } cases[] = {
        {dir.file("fifo"), NOT_REGULAR_FILE},
        {"/dev/null", NOT_REGULAR_FILE},
        {dir.file("folder"), EISDIR},
        {dir.file("loop1"), ELOOP},
        {dir.file("missing/x.sav"), ENOENT},
        {"", ENOENT},
    };
    const HangGuard guard(20);
    for (const auto& c : cases) {
        EXPECT_EQ(replaceWith(c.path, "data"), c.reason) << c.path;
    }
    struct stat st {};
    ASSERT_EQ(::lstat(dir.file("fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(entriesIn(dir.path()), 4u);
    EXPECT_EQ(fileErrorText(NOT_REGULAR_FILE), "not a regular file");
}

TEST(InFile, RefusesWhatIsNoRegularFile)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
    const HangGuard guard(20);
    const std::pair<std::string, int> refused[] = {
        {dir.file("fifo"), NOT_REGULAR_FILE}, {"/dev/zero", NOT_REGULAR_FILE},
        {dir.path(), EISDIR}, {dir.file("missing"), ENOENT}};
    for (const auto& [path, reason] : refused) {
        const InFile in(path);
        EXPECT_FALSE(in.isOpen()) << path;
        EXPECT_EQ(in.errorNumber(), reason) << path;
        EXPECT_EQ(regularFileProblem(path), reason) << path;
    }
}
