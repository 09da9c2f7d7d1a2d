// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom_admission.h"

#include "image_messages.h"
#include "ini_profile.h"
#include "report.h"
#include "rom_list.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

// "ゼルダ" in CP932.
const std::string ZELDA_CP932 = "\x83\x5B\x83\x8B\x83\x5F";

}  // namespace

TEST(PocketValue, SplitsFlagsFollowSlotAndTitle)
{
    const struct { const char* value; int flags, follow, slot; std::string title; bool own = true; } cases[] = {
        {"0|0|0", 0, 0, 0, "Entry", false},
        {"5", 0, 0, 0, "Entry", false},  // no bar: nothing is taken
        {"3|7", 3, 7, 0, "Entry", false},
        {"1|2|12", 1, 2, 8, "Entry", false},  // slots above 8 are held at 8
        {"-1|x|+4|", -1, 0, 4, ""},    // a stored empty title is a title
        {"6|1|2|Pocket|Title", 6, 1, 2, "Pocket|Title"},
        {"0|0|9|ゼルダ", 0, 0, 8, ZELDA_CP932},  // the stored title is UTF-8; the entry keeps CP932
    };
    for (const auto& c : cases) {
        const PocketValues v = parsePocketValue(c.value, "Entry");
        EXPECT_EQ(v.flags, c.flags) << c.value;
        EXPECT_EQ(v.follow, c.follow) << c.value;
        EXPECT_EQ(v.slot, c.slot) << c.value;
        EXPECT_EQ(v.title, c.title) << c.value;
        EXPECT_EQ(v.ownTitle, c.own) << c.value;
    }
}

TEST(DefaultRomTitle, FileNameWithoutExtensionFilteredToCp932)
{
    const std::pair<const char*, std::string> cases[] = {
        {"/roms/Game (U) [!].nes", "Game (U) [!]"},
        {"/roms.v2/noext", "noext"},  // a dot in a folder is no extension
        {"C:\\nes\\a.b.nes", "a.b"},
        {"/roms/ゼルダ.nes", ZELDA_CP932},
        // Kanji are not title characters; an emoji has no CP932 form at all.
        {"/roms/ゼ伝ダ.nes", "\x83\x5B\x83\x5F"},
        {"/roms/A\xF0\x9F\x98\x80" "B.nes", "AB"},
        {"/roms/ABCDEFGHIJKLMNOPQRSTUVWXYZ.nes", "ABCDEFGHIJKLMNOPQRSTU"},
    };
    for (const auto& [path, title] : cases) EXPECT_EQ(defaultRomTitle(path), title) << path;
}

TEST(AdmitRomPath, ProbesAddsAndTitlesFromSettings)
{
    TempDir dir;
    writeBytes(dir.file("Alpha.nes"), makeInesRom(40977, 0x12, 0x40));
    writeBytes(dir.file("ゼルダ.nes"), makeInesRom(100, 0x02, 0x00));
    writeBytes(dir.file("Stored.nes"), makeInesRom(64));
    writeText(dir.file("romweld.ini"),
              "[TITLE]\r\nstored.NES=ゼルダの伝説 Stored Title Too Long\r\n"
              "[PocketNES]\r\nStored.nes=3|1|9|Pocket\r\n");
    const IniSnapshot settings = IniSnapshot::load(dir.file("romweld.ini"));

    auto list = romListCreate();
    CollectedReport report;
    const auto admit = [&](const std::string& name) {
        return admitRomPath(list.get(), dir.file(name), settings, false, report);
    };
    Admission admission = admit("Alpha.nes");
    ASSERT_EQ(admission.code, AdmitCode::Added);
    const RomEntry* added = admission.first;
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->size, 40980);
    EXPECT_EQ(added->title, "Alpha");
    EXPECT_EQ(added->mapper, 65);
    EXPECT_EQ(added->battery, 1);
    EXPECT_EQ(added->pocketTitle, "Alpha");
    EXPECT_EQ(added->pocketFlags, 0);

    admission = admit("ゼルダ.nes");
    ASSERT_EQ(admission.code, AdmitCode::Added);
    added = admission.first;
    EXPECT_EQ(added->title, ZELDA_CP932);
    EXPECT_EQ(added->battery, 1);

    // A stored title is not filtered again (the kanji stay), only cut to 21
    // characters; the key is looked up with case ignored.
    admission = admit("Stored.nes");
    ASSERT_EQ(admission.code, AdmitCode::Added);
    added = admission.first;
    EXPECT_EQ(added->title,
              "\x83\x5B\x83\x8B\x83\x5F\x82\xCC\x93\x60\x90\xE0 Stored Title T");
    EXPECT_EQ(added->pocketTitle, "Pocket");
    EXPECT_EQ(added->pocketFlags, 3);
    EXPECT_EQ(added->pocketFollow, 1);
    EXPECT_EQ(added->pocketSlot, 8);
    EXPECT_EQ(list->count, 3);
}

TEST(AdmitRomPath, RefusesNonNesMissingAndDuplicateFiles)
{
    TempDir dir;
    const IniSnapshot settings = IniSnapshot::load(dir.file("missing.ini"));
    writeBytes(dir.file("game.nes"), makeInesRom(32));
    writeBytes(dir.file("GAME.NES"), makeInesRom(48));
    writeBytes(dir.file("plain.nes"), patternBytes(64));
    writeText(dir.file("lower.nes"), std::string("nes\x1A") + std::string(12, '\0'));

    auto list = romListCreate();
    CollectedReport report;
    const auto admit = [&](const std::string& path) {
        return admitRomPath(list.get(), path, settings, false, report);
    };
    Admission admission = admit(dir.file("plain.nes"));
    EXPECT_EQ(admission.code, AdmitCode::NotNes);
    EXPECT_EQ(admission.first, nullptr);
    EXPECT_EQ(admission.openError, 0);  // read, and no iNES file
    EXPECT_EQ(admission.notNesBytes, 64);
    EXPECT_EQ(admit(dir.file("lower.nes")).code, AdmitCode::NotNes);
    // Why a file could not be read goes back to the caller.
    admission = admit(dir.file("gone.nes"));
    EXPECT_EQ(admission.code, AdmitCode::NotNes);
    EXPECT_EQ(admission.openError, ENOENT);
    admission = admit(dir.path());
    EXPECT_EQ(admission.code, AdmitCode::NotNes);
    EXPECT_EQ(admission.openError, EISDIR);
    EXPECT_EQ(admit("").code, AdmitCode::NotNes);
    EXPECT_EQ(list->count, 0);

    ASSERT_EQ(admit(dir.file("game.nes")).code, AdmitCode::Added);
    // The same file again is listed already; a file whose name differs only
    // in letter case is another ROM, told as a twin.
    admission = admit(dir.path() + "./game.nes");
    EXPECT_EQ(admission.code, AdmitCode::Refused);
    EXPECT_EQ(admission.first, nullptr);
    admission = admit(dir.file("GAME.NES"));
    EXPECT_EQ(admission.code, AdmitCode::Added);
    EXPECT_EQ(admission.caseTwins, (std::vector<std::pair<std::string, std::string>>{
                                       {dir.file("GAME.NES"), dir.file("game.nes")}}));
    EXPECT_EQ(list->count, 2);
    EXPECT_TRUE(report.problems.empty());
    // The reasons a refused path is told with.
    EXPECT_EQ(admissionProblemText(admit(dir.file("gone.nes"))), "not found");
    EXPECT_EQ(admissionProblemText(admit(dir.file("plain.nes"))), "not an NES ROM (no iNES header)");
    EXPECT_EQ(admissionProblemText(admit(dir.path())), "Is a directory");
}
