#include "list_file.h"

#include "rom_list.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using Paths = std::vector<std::string>;

TEST(ListFile, WritesHeaderAndPathsWithCrLfAndReadsThemBack)
{
    TempDir dir;
    auto list = romListCreate();
    romListAdd(list.get(), dir.file("Alpha.nes"));
    romListAdd(list.get(), "/roms/ゼルダ.nes");
    romListAdd(list.get(), "D:\\roms\\Beta.nes");
    const std::string lst = dir.file("games.lst");
    ASSERT_EQ(writeListFile(lst, list.get()), 0);
    EXPECT_EQ(readText(lst), "### ROMWELD NES List ###\r\n" + dir.file("Alpha.nes") +
                                 "\r\n/roms/ゼルダ.nes\r\nD:\\roms\\Beta.nes\r\n");

    Paths paths;
    ASSERT_EQ(readListFile(lst, paths), LIST_READ_OK);
    EXPECT_EQ(paths, (Paths{dir.file("Alpha.nes"), "/roms/ゼルダ.nes", "D:\\roms\\Beta.nes"}));

    // An existing file is replaced whole.
    romListRemove(list.get(), "/roms/ゼルダ.nes");
    ASSERT_EQ(writeListFile(lst, list.get()), 0);
    ASSERT_EQ(readListFile(lst, paths), LIST_READ_OK);
    EXPECT_EQ(paths.size(), 2u);
}

TEST(ListFile, ReadsLfEndsMissingLastEndBlankLinesAndCp932Lines)
{
    TempDir dir;
    const std::string lst = dir.file("a.lst");
    Paths paths;

    writeText(lst, "### ROMWELD NES List ###\n/a.nes\n\n/b.nes");
    ASSERT_EQ(readListFile(lst, paths), LIST_READ_OK);
    EXPECT_EQ(paths, (Paths{"/a.nes", "", "/b.nes"}));

    writeText(lst, "### ROMWELD NES List ###");  // header only, no line end
    ASSERT_EQ(readListFile(lst, paths), LIST_READ_OK);
    EXPECT_TRUE(paths.empty());

    // A list saved on a Japanese Windows system holds CP932 paths.
    writeText(lst, "### ROMWELD NES List ###\r\nC:\\roms\\\x83\x5B\x83\x8B\x83\x5F.nes\r\n");
    ASSERT_EQ(readListFile(lst, paths), LIST_READ_OK);
    EXPECT_EQ(paths, (Paths{"C:\\roms\\ゼルダ.nes"}));

    // Paths longer than any fixed line buffer are read whole.
    const std::string longPath = "/" + std::string(600, 'x') + ".nes";
    writeText(lst, "### ROMWELD NES List ###\r\n" + longPath + "\r\n/next.nes\r\n");
    ASSERT_EQ(readListFile(lst, paths), LIST_READ_OK);
    EXPECT_EQ(paths, (Paths{longPath, "/next.nes"}));
}

TEST(ListFile, RefusesMissingEmptyAndForeignFilesWithoutTouchingPaths)
{
    TempDir dir;
    const std::string lst = dir.file("a.lst");
    Paths paths{"kept"};

    EXPECT_EQ(readListFile(dir.file("missing.lst"), paths), LIST_CANT_OPEN);
    const std::pair<const char*, int> cases[] = {{"", LIST_EMPTY},
                                                 {"### romweld NES List ###\r\n/a.nes\r\n", LIST_WRONG_HEADER},
                                                 {"### ROMWELD NES List ### \r\n/a.nes\r\n", LIST_WRONG_HEADER},
                                                 {"\r\n### ROMWELD NES List ###\r\n", LIST_WRONG_HEADER}};
    for (const auto& [text, code] : cases) {
        writeText(lst, text);
        EXPECT_EQ(readListFile(lst, paths), code) << text;
    }
    EXPECT_EQ(paths, (Paths{"kept"}));

    // A folder opens but can't be read.
    EXPECT_NE(readListFile(dir.path(), paths), LIST_READ_OK);
    EXPECT_EQ(paths, (Paths{"kept"}));
}

TEST(ListFile, WriteFailureLeavesTheOldFile)
{
    TempDir dir;
    auto list = romListCreate();
    romListAdd(list.get(), "/a.nes");
    EXPECT_EQ(writeListFile(dir.file("no/such/folder/a.lst"), list.get()), 1);
    EXPECT_EQ(writeListFile(dir.file("a.lst"), nullptr), 1);
    // The target is a folder: nothing can replace it, and it stays.
    ::mkdir(dir.file("sub").c_str(), 0755);
    writeText(dir.file("sub/x"), "x");
    EXPECT_EQ(writeListFile(dir.file("sub"), list.get()), 1);
    EXPECT_EQ(readText(dir.file("sub/x")), "x");

    if (::geteuid() != 0) {  // root writes anywhere
        const std::string ro = dir.file("ro/");
        ::mkdir(ro.c_str(), 0755);
        writeText(ro + "a.lst", "old");
        ::chmod(ro.c_str(), 0555);
        EXPECT_EQ(writeListFile(ro + "a.lst", list.get()), 1);
        EXPECT_EQ(readText(ro + "a.lst"), "old");
    }
}
