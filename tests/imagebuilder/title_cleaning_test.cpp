// SPDX-License-Identifier: GPL-3.0-or-later
#include "title_cleaning.h"

#include <gtest/gtest.h>

TEST(CleanRomTitle, DropsTheTagsOfTodaysRomSets)
{
    const struct { const char* name; const char* title; } cases[] = {
        // No-Intro names.
        {"Legend of Zelda, The (USA)", "The Legend of Zelda"},
        {"Legend of Zelda, The (USA) (Rev 1)", "The Legend of Zelda"},
        {"Super Mario Bros. (World)", "Super Mario Bros."},
        {"Mega Man 2 (USA)", "Mega Man 2"},
        {"Kirby's Adventure (USA) (Rev A)", "Kirby's Adventure"},
        {"Ms. Pac-Man (USA) (Tengen) (Unl)", "Ms. Pac-Man"},
        {"Addams Family, The - Pugsley's Scavenger Hunt (USA)", "The Addams Family - Pugsley's Scavenger Hunt"},
        {"[BIOS] Famicom Disk System (Japan)", "Famicom Disk System"},
        {"Dragon Quest (Japan)(Rev 1)", "Dragon Quest"},
        {"ゼルダの伝説 (Japan)", "ゼルダの伝説"},
        // GoodNES names.
        {"Contra (U) [!]", "Contra"},
        {"Castlevania (U) (PRG1) [b1]", "Castlevania"},
        {"Final Fantasy III (J) [T+Eng1.02_Neo Demiforce]", "Final Fantasy III"},
        {"Adventures of Lolo, The (U) [!]", "The Adventures of Lolo"},
        // Groups in the middle leave one blank behind; nested groups go whole.
        {"Quest (J) Deluxe", "Quest Deluxe"},
        {"Quest(J)Deluxe", "Quest Deluxe"},
        {"Game (Proto (1990)) [a]", "Game"},
        {"Game ([nested]) End", "Game End"},
        // Blanks tidied.
        {"  Tetris   (USA)  ", "Tetris"},
        {"Zelda (USA) , The", "The Zelda"},
        {"Tab\tSeparated", "Tab Separated"},
        // The article: any case, trailing or before a subtitle only.
        {"Three Stooges, the", "The Three Stooges"},
        {"Legend, The Game", "Legend, The Game"},
        {"Thexder", "Thexder"},
        {", The", ", The"},
        // Nothing to clean.
        {"Tetris", "Tetris"},
        {"", ""},
        // A bracket never closed is text.
        {"Game (USA", "Game (USA"},
        {"Game ]odd[ (USA)", "Game ]odd["},
        // Names that would be left empty stay as they were.
        {"(USA)", "(USA)"},
        {"[!] (U)", "[!] (U)"},
    };
    for (const auto& c : cases) EXPECT_EQ(cleanRomTitle(c.name), c.title) << c.name;
}
