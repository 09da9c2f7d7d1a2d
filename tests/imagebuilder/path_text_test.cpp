#include "path_text.h"

#include <gtest/gtest.h>

#include <string>

TEST(FileNamePart, BeginsAfterTheLastSeparatorOfAUtf8Path)
{
    EXPECT_EQ(fileNamePart("C:\\nes\\game.nes"), 7u);
    EXPECT_EQ(fileNamePart("/home/u/roms/game.nes"), 13u);
    EXPECT_EQ(fileNamePart("game.nes"), 0u);
    EXPECT_EQ(fileNamePart(""), 0u);
    EXPECT_EQ(fileNamePart("roms/"), 5u);
    EXPECT_EQ(fileNamePart("a/b\\c.nes"), 4u);
    EXPECT_EQ(fileNamePart("a\\b/c.nes"), 4u);
    // "あ/" is E3 81 82 2F: the slash is a real separator in UTF-8.
    EXPECT_EQ(fileNamePart("\xE3\x81\x82/x.nes"), 4u);
    EXPECT_EQ(fileNamePart("\xE3\x81\x82/"), 4u);

    EXPECT_EQ(fileNameOf("/roms/\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0.nes"), "\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0.nes");
    EXPECT_EQ(fileNameOf("roms/"), "");
    EXPECT_EQ(folderOf("/roms/game.nes"), "/roms/");
    EXPECT_EQ(folderOf("game.nes"), "");
}

TEST(CompareNoCase, FoldsAsciiLettersOnly)
{
    EXPECT_EQ(compareNoCase("Game.NES", "game.nes"), 0);
    EXPECT_EQ(compareNoCase("AZ", "az"), 0);
    EXPECT_EQ(compareNoCase("", ""), 0);
    EXPECT_NE(compareNoCase("game.nes", "game.nesx"), 0);
    EXPECT_NE(compareNoCase("game.nesx", "game.nes"), 0);
    EXPECT_NE(compareNoCase("", "a"), 0);
    EXPECT_NE(compareNoCase("a", ""), 0);
    EXPECT_NE(compareNoCase("a.nes", "b.nes"), 0);
    // Neighbours of the letter ranges are no letters.
    EXPECT_NE(compareNoCase("@", "`"), 0);
    EXPECT_NE(compareNoCase("[", "{"), 0);
    EXPECT_NE(compareNoCase("\xC3\x89", "\xC3\xA9"), 0);  // É and é
    // The fold is byte by byte, even for the second byte of a Shift-JIS pair.
    EXPECT_EQ(compareNoCase("\x83\x41", "\x83\x61"), 0);
    // The whole text counts, not just up to a terminator-like byte.
    EXPECT_NE(compareNoCase(std::string("a\0b", 3), std::string("a\0c", 3)), 0);
}
