// SPDX-License-Identifier: GPL-3.0-or-later
#include "path_text.h"

#include <gtest/gtest.h>

#include <string>

TEST(FileNamePart, BeginsAfterTheLastSeparatorOfAUtf8Path)
{
    const std::pair<const char*, std::size_t> cases[] = {
        {"C:\\nes\\game.nes", 7}, {"/home/u/roms/game.nes", 13}, {"game.nes", 0}, {"", 0}, {"roms/", 5},
        {"a/b\\c.nes", 4},        {"a\\b/c.nes", 4},
        // "あ/" is E3 81 82 2F: the slash is a real separator in UTF-8.
        {"\xE3\x81\x82/x.nes", 4}, {"\xE3\x81\x82/", 4},
    };
    for (const auto& [path, at] : cases) EXPECT_EQ(fileNamePart(path), at) << path;

    EXPECT_EQ(fileNameOf("/roms/\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0.nes"), "\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0.nes");
    EXPECT_EQ(fileNameOf("roms/"), "");
    EXPECT_EQ(folderOf("/roms/game.nes"), "/roms/");
    EXPECT_EQ(folderOf("game.nes"), "");
}

TEST(CompareNoCase, FoldsAsciiLettersOnly)
{
    const struct { std::string a, b; bool equal; } cases[] = {
        {"Game.NES", "game.nes", true}, {"AZ", "az", true}, {"", "", true},
        {"game.nes", "game.nesx", false}, {"game.nesx", "game.nes", false},
        {"", "a", false}, {"a", "", false}, {"a.nes", "b.nes", false},
        // Neighbours of the letter ranges are no letters.
        {"@", "`", false}, {"[", "{", false}, {"\xC3\x89", "\xC3\xA9", false},  // É and é
        // The fold is byte by byte, even for the second byte of a Shift-JIS pair.
        {"\x83\x41", "\x83\x61", true},
        // The whole text counts, not just up to a terminator-like byte.
        {std::string("a\0b", 3), std::string("a\0c", 3), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(compareNoCase(c.a, c.b) == 0, c.equal) << testing::PrintToString(c.a) << " " << testing::PrintToString(c.b);
    }
}
