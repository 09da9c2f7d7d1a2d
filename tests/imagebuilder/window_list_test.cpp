// SPDX-License-Identifier: GPL-3.0-or-later
#include "list_file.h"

#include "rom_list.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cerrno>

using Paths = std::vector<std::string>;

namespace {

// Archive members and paths with "::" of their own, blanks and non-ASCII
// names: everything a list file must give back as it was.
const Paths PATHS = {
    "/roms/Sets.zip::USA/Legend of Zelda, The (USA).nes",
    "/roms/Sets.7z::ゼルダの伝説 (Japan).nes",
    "/roms/Metroid (USA).nes.gz::Metroid (USA).nes",
    "/roms/odd::folder/Plain [!].nes",
    "/roms/Sets.zip::Inner::Name.nes",
};

std::unique_ptr<RomList> listOf(const Paths& paths)
{
    auto list = romListCreate();
    for (const std::string& path : paths) romListAddSized(list.get(), path, 40976);
    return list;
}

}  // namespace

TEST(ListFile, KeepsArchiveMembersAndOddNamesAsTheyWere)
{
    TempDir dir;
    const auto list = listOf(PATHS);
    const std::string lst = dir.file("sets.lst");
    ASSERT_EQ(writeListFile(lst, list.get()), ListCode::Ok);
    Paths read;
    ASSERT_EQ(readListFile(lst, read), ListCode::Ok);
    EXPECT_EQ(read, PATHS);
}

TEST(WindowList, IsKeptBesideTheSettingsFileOrNowhere)
{
    const std::pair<std::string, std::string> cases[] = {
        {"/home/u/.config/romweld/romweld.ini", "/home/u/.config/romweld/romweld-window.lst"},
        {"/opt/romweld/ROMWELD.INI", "/opt/romweld/ROMWELD-window.lst"},
        {"/opt/romweld.ini/romweld", "/opt/romweld.ini/romweld-window.lst"},
        {"", ""},  // no settings file: no place for the list either
    };
    for (const auto& [settings, list] : cases) EXPECT_EQ(windowListPathFor(settings), list) << settings;
}

TEST(WindowList, GivesBackPathsInOrderDisplayModeAndImageName)
{
    TempDir dir;
    const auto list = listOf(PATHS);
    const std::string file = dir.file("romweld-window.lst");
    for (const auto& [mode, image] : {std::pair{0, std::string("/out/All (USA).gba")}, {2, std::string()},
                                      {1, std::string("relative.gba")}}) {
        ASSERT_EQ(writeWindowList(file, list.get(), {mode, image, {}}), ListCode::Ok);
        WindowListState state;
        ASSERT_EQ(readWindowList(file, state), ListCode::Ok);
        EXPECT_EQ(state.displayMode, mode);
        EXPECT_EQ(state.imageName, image);
        EXPECT_EQ(state.paths, PATHS);
    }
    EXPECT_EQ(readText(file).substr(0, 52), "### ROMWELD Window List ###\r\nshows=1\r\nimage=relative");

    // An empty list, and an image name that would break its line.
    const auto empty = romListCreate();
    ASSERT_EQ(writeWindowList(file, empty.get(), {1, "two\nlines.gba", {}}), ListCode::Ok);
    WindowListState state;
    ASSERT_EQ(readWindowList(file, state), ListCode::Ok);
    EXPECT_EQ(state.imageName, "");
    EXPECT_TRUE(state.paths.empty());

    // The longest name the reader takes is kept; one byte more is refused
    // and the kept file stays as it was.
    const std::string longest(WINDOW_LIST_IMAGE_MAX, 'n');
    ASSERT_EQ(writeWindowList(file, empty.get(), {1, longest, {}}), ListCode::Ok);
    ASSERT_EQ(readWindowList(file, state), ListCode::Ok);
    EXPECT_EQ(state.imageName, longest);
    EXPECT_EQ(writeWindowList(file, list.get(), {1, longest + "n", {}}).errorNumber, ENAMETOOLONG);
    ASSERT_EQ(readWindowList(file, state), ListCode::Ok);
    EXPECT_TRUE(state.paths.empty());
}

TEST(WindowList, IsNoListFileAndRefusesWhatItDidNotWrite)
{
    TempDir dir;
    const auto list = listOf(PATHS);
    const std::string file = dir.file("romweld-window.lst");
    ASSERT_EQ(writeWindowList(file, list.get(), {1, "a.gba", {}}), ListCode::Ok);
    Paths paths;
    EXPECT_EQ(readListFile(file, paths), ListCode::WrongHeader);

    const std::pair<std::string, ListCode> cases[] = {
        {"", ListCode::Empty},
        {"### ROMWELD NES List ###\r\n/a.nes\r\n", ListCode::WrongHeader},
        {"### ROMWELD Window List ###\r\n", ListCode::WrongHeader},
        {"### ROMWELD Window List ###\r\nshows=1\r\n", ListCode::WrongHeader},
        {"### ROMWELD Window List ###\r\nimage=\r\nshows=1\r\n", ListCode::WrongHeader},
        {"### ROMWELD Window List ###\r\nshows=1\r\nimage=\r\n/" + std::string(LIST_LINE_MAX, 'x') + "\r\n",
         ListCode::LineTooLong},
    };
    for (const auto& [text, code] : cases) {
        writeText(file, text);
        WindowListState state{2, "kept", {"kept"}};
        EXPECT_EQ(readWindowList(file, state), code) << text;
        EXPECT_EQ(state.displayMode, 2);
        EXPECT_EQ(state.paths, Paths{"kept"});
    }
    WindowListState state;
    EXPECT_EQ(readWindowList(dir.file("missing.lst"), state), ListCode::CantOpen);
}
