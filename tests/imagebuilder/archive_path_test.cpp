// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive_path.h"

#include <gtest/gtest.h>

#include <string>

TEST(ArchivePath, KnowsArchivesByTheirFileNamesExtension)
{
    const struct { const char* path; bool archive; bool gzip; } cases[] = {
        {"roms/Sets.zip", true, false},
        {"roms/Sets.ZIP", true, false},
        {"Sets.7z", true, false},
        {"Zelda.nes.gz", true, true},
        {"Zelda.nes.Gz", true, true},
        {"Zelda.nes", false, false},
        {"Sets.zipx", false, false},
        {"Sets.tgz", false, false},
        // A hidden file called ".zip" is no archive with an empty name; a
        // folder's extension is not the file's.
        {"roms/.zip", false, false},
        {"roms.zip/Zelda.nes", false, false},
        {"roms.zip\\Zelda.nes", false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isArchivePath(c.path), c.archive) << c.path;
        EXPECT_EQ(isGzipPath(c.path), c.gzip) << c.path;
    }
}

TEST(ArchivePath, SplitsAtTheFirstMarkThatFollowsAnArchive)
{
    const struct { const char* name; bool member; const char* archive; const char* inside; } cases[] = {
        {"roms/Sets.zip::Zelda.nes", true, "roms/Sets.zip", "Zelda.nes"},
        {"Sets.7z::USA/Zelda (USA).nes", true, "Sets.7z", "USA/Zelda (USA).nes"},
        {"Zelda.nes.gz::Zelda.nes", true, "Zelda.nes.gz", "Zelda.nes"},
        // "::" inside folder names and member names.
        {"a::b/Sets.zip::Zelda.nes", true, "a::b/Sets.zip", "Zelda.nes"},
        {"Sets.zip::Zelda::DX.nes", true, "Sets.zip", "Zelda::DX.nes"},
        {"Sets.zip:::x.nes", true, "Sets.zip", ":x.nes"},
        // A member inside an archive inside an archive is not read: the first archive wins.
        {"Outer.zip::Inner.zip::x.nes", true, "Outer.zip", "Inner.zip::x.nes"},
        // Plain files.
        {"roms/Zelda.nes", false, "", ""},
        {"roms/a::b.nes", false, "", ""},
        {"Sets.zip", false, "", ""},
        {"Sets.zip::", false, "", ""},
        {"::Zelda.nes", false, "", ""},
        {".zip::Zelda.nes", false, "", ""},
    };
    for (const auto& c : cases) {
        std::string archive;
        std::string member;
        ASSERT_EQ(splitArchiveEntry(c.name, archive, member), c.member) << c.name;
        EXPECT_EQ(isArchiveEntry(c.name), c.member) << c.name;
        if (!c.member) continue;
        EXPECT_EQ(archive, c.archive) << c.name;
        EXPECT_EQ(member, c.inside) << c.name;
        EXPECT_EQ(joinArchiveEntry(archive, member), c.name);
    }
}

TEST(ArchivePath, NamesARomByItsOwnFileName)
{
    const struct { const char* name; const char* fileName; } cases[] = {
        {"roms/Sets.zip::Zelda (USA).nes", "Zelda (USA).nes"},
        {"roms/Sets.zip::USA/Zelda (USA).nes", "Zelda (USA).nes"},
        {"roms/Sets.zip::USA\\Zelda.nes", "Zelda.nes"},
        {"roms/Zelda.nes.gz::Zelda.nes", "Zelda.nes"},
        {"roms/Zelda.nes", "Zelda.nes"},
        {"Zelda.nes", "Zelda.nes"},
    };
    for (const auto& c : cases) EXPECT_EQ(romFileNameOf(c.name), c.fileName) << c.name;

    EXPECT_EQ(gzipMemberName("roms/Zelda (USA).nes.gz"), "Zelda (USA).nes");
    EXPECT_EQ(gzipMemberName("roms/ZELDA.NES.GZ"), "ZELDA.NES");
    EXPECT_EQ(gzipMemberName("roms/.gz"), "data");
}
