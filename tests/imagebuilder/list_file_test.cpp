// SPDX-License-Identifier: GPL-3.0-or-later
#include "list_file.h"

#include "file_io.h"
#include "rom_list.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <tuple>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using Paths = std::vector<std::string>;

TEST(ListFile, WritesHeaderAndPathsWithCrLfAndReadsThemBack)
{
    TempDir dir;
    auto list = romListCreate();
    romListAddSized(list.get(), dir.file("Alpha.nes"), 0);
    romListAddSized(list.get(), "/roms/ゼルダ.nes", 0);
    romListAddSized(list.get(), "D:\\roms\\Beta.nes", 0);
    const std::string lst = dir.file("games.lst");
    ASSERT_EQ(writeListFile(lst, list.get()), ListCode::Ok);
    EXPECT_EQ(readText(lst), "### ROMWELD NES List ###\r\n" + dir.file("Alpha.nes") +
                                 "\r\n/roms/ゼルダ.nes\r\nD:\\roms\\Beta.nes\r\n");

    Paths paths;
    ASSERT_EQ(readListFile(lst, paths), ListCode::Ok);
    EXPECT_EQ(paths, (Paths{dir.file("Alpha.nes"), "/roms/ゼルダ.nes", "D:\\roms\\Beta.nes"}));

    // An existing file is replaced whole.
    romListRemove(list.get(), "/roms/ゼルダ.nes");
    ASSERT_EQ(writeListFile(lst, list.get()), ListCode::Ok);
    ASSERT_EQ(readListFile(lst, paths), ListCode::Ok);
    EXPECT_EQ(paths.size(), 2u);
}

TEST(ListFile, ReadsLfEndsMissingLastEndBlankLinesAndCp932Lines)
{
    TempDir dir;
    const std::string lst = dir.file("a.lst");
    Paths paths;

    // Empty lines name nothing: the one an editor leaves at the end neither.
    writeText(lst, "### ROMWELD NES List ###\n/a.nes\n\n\r\n/b.nes\r\n\r\n");
    ASSERT_EQ(readListFile(lst, paths), ListCode::Ok);
    EXPECT_EQ(paths, (Paths{"/a.nes", "/b.nes"}));

    writeText(lst, "### ROMWELD NES List ###");  // header only, no line end
    ASSERT_EQ(readListFile(lst, paths), ListCode::Ok);
    EXPECT_TRUE(paths.empty());

    // A list saved on a Japanese Windows system holds CP932 paths.
    writeText(lst, "### ROMWELD NES List ###\r\nC:\\roms\\\x83\x5B\x83\x8B\x83\x5F.nes\r\n");
    ASSERT_EQ(readListFile(lst, paths), ListCode::Ok);
    EXPECT_EQ(paths, (Paths{"C:\\roms\\ゼルダ.nes"}));

    // Paths longer than any fixed line buffer are read whole.
    const std::string longPath = "/" + std::string(600, 'x') + ".nes";
    writeText(lst, "### ROMWELD NES List ###\r\n" + longPath + "\r\n/next.nes\r\n");
    ASSERT_EQ(readListFile(lst, paths), ListCode::Ok);
    EXPECT_EQ(paths, (Paths{longPath, "/next.nes"}));
}

// A line that names no path (a NUL in it, or beyond the limit) is told
// with its number, and the lines after it are read on; a line without
// line ends costs the memory of the limit alone.
TEST(ListFile, TheReaderGoesLineByLineAndTellsLinesThatNameNoPath)
{
    TempDir dir;
    const std::string lst = dir.file("a.lst");
    writeText(lst, "### ROMWELD NES List ###\r\n/a.nes\r\n\r\n" + std::string("/b\0x.nes\r\n", 10) +
                       std::string(LIST_LINE_MAX + 1, 'y') + "\r\n/c.nes");
    ListFileReader reader(lst);
    ASSERT_EQ(reader.readHeader(LIST_FILE_HEADER), ListCode::Ok);
    std::string path;
    const std::tuple<ListLine, long long, std::string, ListCode> expected[] = {
        {ListLine::Path, 2, "/a.nes", ListCode::Ok},       {ListLine::Invalid, 4, "/a.nes", ListCode::LineHasNul},
        {ListLine::Invalid, 5, "/a.nes", ListCode::LineTooLong}, {ListLine::Path, 6, "/c.nes", ListCode::LineTooLong},
        {ListLine::End, 6, "/c.nes", ListCode::LineTooLong},
    };
    for (const auto& [kind, line, text, reason] : expected) {
        EXPECT_EQ(reader.next(path), kind) << line;
        EXPECT_EQ(reader.lineNumber(), line);
        EXPECT_EQ(path, text);
        EXPECT_EQ(reader.invalidReason(), reason) << line;
    }
    Paths paths;
    EXPECT_EQ(readListFile(lst, paths), ListCode::LineHasNul);
}

TEST(ListFile, RefusesMissingEmptyAndForeignFilesWithoutTouchingPaths)
{
    TempDir dir;
    const std::string lst = dir.file("a.lst");
    Paths paths{"kept"};

    EXPECT_EQ(readListFile(dir.file("missing.lst"), paths), ListCode::CantOpen);
    const std::pair<const char*, ListCode> cases[] = {{"", ListCode::Empty},
                                                 {"### romweld NES List ###\r\n/a.nes\r\n", ListCode::WrongHeader},
                                                 {"### ROMWELD NES List ### \r\n/a.nes\r\n", ListCode::WrongHeader},
                                                 {"\r\n### ROMWELD NES List ###\r\n", ListCode::WrongHeader}};
    for (const auto& [text, code] : cases) {
        writeText(lst, text);
        EXPECT_EQ(readListFile(lst, paths), code) << text;
    }
    EXPECT_EQ(paths, (Paths{"kept"}));

    // A folder opens but can't be read.
    EXPECT_NE(readListFile(dir.path(), paths), ListCode::Ok);
    EXPECT_EQ(paths, (Paths{"kept"}));
}

TEST(ListFile, WriteFailureLeavesTheOldFile)
{
    TempDir dir;
    auto list = romListCreate();
    romListAddSized(list.get(), "/a.nes", 0);
    EXPECT_EQ(writeListFile(dir.file("no/such/folder/a.lst"), list.get()).errorNumber, ENOENT);
    EXPECT_NE(writeListFile(dir.file("a.lst"), nullptr), ListCode::Ok);
    // The target is a folder: nothing can replace it, and it stays.
    ::mkdir(dir.file("sub").c_str(), 0755);
    writeText(dir.file("sub/x"), "x");
    EXPECT_EQ(writeListFile(dir.file("sub"), list.get()).errorNumber, EISDIR);
    EXPECT_EQ(readText(dir.file("sub/x")), "x");

}

// A line beyond 4096 bytes makes the file no list file, and the reader holds
// no more than that line's first bytes: a large file without line ends costs
// no memory.
TEST(ListFile, ALineBeyondTheLimitRefusesTheFileWithoutReadingIt)
{
    TempDir dir;
    const std::string lst = dir.file("a.lst");
    Paths paths{"kept"};
    const std::string header = "### ROMWELD NES List ###\r\n";
    const std::string longest = "/" + std::string(LIST_LINE_MAX - 1, 'x');
    const std::pair<std::string, ListCode> cases[] = {
        {header + longest + "\r\n", ListCode::Ok},
        {header + longest, ListCode::Ok},
        {header + "/a.nes\r\n" + longest + "x\r\n", ListCode::LineTooLong},
        {header + longest + "x\n", ListCode::LineTooLong},
        {header + longest + "x", ListCode::LineTooLong},
        {std::string(LIST_LINE_MAX + 1, '#'), ListCode::WrongHeader},
    };
    for (const auto& [text, code] : cases) {
        writeText(lst, text);
        const ListResult read = readListFile(lst, paths);
        EXPECT_EQ(read, code) << text.size();
        // Every line too long says so, wherever the reader stopped in it.
        if (code == ListCode::LineTooLong) {
            EXPECT_EQ(read.errorNumber, LINE_TOO_LONG) << text.size();
        }
    }
    EXPECT_EQ(paths, Paths{longest});

    // 64 MiB without a line end, written in pieces so the test itself stays small.
    {
        std::FILE* f = std::fopen(lst.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs(header.c_str(), f);
        const std::string piece(1 << 20, 'y');
        for (int i = 0; i < 64; ++i) std::fwrite(piece.data(), 1, piece.size(), f);
        ASSERT_EQ(std::fclose(f), 0);
    }
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    EXPECT_EQ(readListFile(lst, paths), ListCode::LineTooLong);
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 8 * 1024);  // KiB
}

// Paths that would not read back as themselves are refused, and the old
// file stays: a line break (two paths), or a path longer than a line may be
// (the whole file would be refused). A CP932 line grows when read as UTF-8,
// so a list that loads may hold such a path.
TEST(ListFile, APathThatCantReadBackIsNeverWritten)
{
    TempDir dir;
    const std::string lst = dir.file("a.lst");
    writeText(lst, "### ROMWELD NES List ###\r\n" + std::string(3000, '\x83') + "\r\n");
    Paths grown;
    ASSERT_EQ(readListFile(lst, grown), ListCode::Ok);
    ASSERT_GT(grown.at(0).size(), LIST_LINE_MAX);

    const std::string longest = "/" + std::string(LIST_LINE_MAX - 1, 'x');
    const std::pair<std::string, ListResult> cases[] = {
        {"/roms/b\n.nes", {ListCode::PathHasLineBreak, 0}},
        {longest + "x", {ListCode::CantOpen, ENAMETOOLONG}},
        {grown.at(0), {ListCode::CantOpen, ENAMETOOLONG}},
        {longest, {}},
    };
    for (const auto& [path, code] : cases) {
        auto list = romListCreate();
        romListAddSized(list.get(), "/roms/a.nes", 0);
        romListAddSized(list.get(), path, 0);
        writeText(lst, "old");
        EXPECT_EQ(unlistablePath(list.get()) != nullptr, code == ListCode::PathHasLineBreak);
        const ListResult written = writeListFile(lst, list.get());
        EXPECT_EQ(written, code.code) << path.size();
        EXPECT_EQ(written.errorNumber, code.errorNumber) << path.size();
        Paths paths;
        if (!code.ok()) {
            EXPECT_EQ(readText(lst), "old");
        } else {
            EXPECT_EQ(readListFile(lst, paths), ListCode::Ok);
            EXPECT_EQ(paths, (Paths{"/roms/a.nes", path}));
        }
    }
}
