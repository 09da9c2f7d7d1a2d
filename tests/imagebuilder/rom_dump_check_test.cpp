#include "rom_dump_check.h"

#include "rom_admission.h"
#include "rom_file.h"
#include "ini_profile.h"
#include "report.h"
#include "rom_list.h"
#include "test_archives.h"

#include <gtest/gtest.h>

TEST(RomDumpCheck, WhatTheHeaderPromises)
{
    struct Case {
        unsigned char prg, chr, byte6, byte7, byte9, byte14;
        std::int64_t promised;
    };
    for (const Case& c : {Case{2, 1, 0, 0, 0, 0, 40976}, Case{1, 0, 0x04, 0, 0, 0, 16912},
                          Case{0, 1, 0, 0, 0, 0, 0},             // no PRG banks: nothing checked
                          Case{1, 1, 0, 0x08, 0, 0, 24592},      // NES 2.0 within bytes 4 and 5
                          Case{1, 1, 0, 0x08, 0x01, 0, 0},       // NES 2.0 with larger sizes
                          Case{1, 1, 0, 0x08, 0, 0x01, 0},       // NES 2.0 with further ROM
                          Case{1, 1, 0, 0x44, 0x73, 0x65, 24592}}) {  // "DiskDude!" junk is no NES 2.0
        const unsigned char header[16] = {'N', 'E', 'S', 0x1A, c.prg, c.chr, c.byte6, c.byte7, 0, c.byte9,
                                          0,   0,   0,   0,    c.byte14, 0};
        EXPECT_EQ(inesPromisedBytes(header, sizeof header), c.promised) << int(c.prg) << "/" << int(c.byte7);
    }
    const unsigned char noMagic[16] = {'N', 'E', 'S', 0x1B, 1, 1};
    EXPECT_EQ(inesPromisedBytes(noMagic, sizeof noMagic), 0);
}

TEST(RomDumpCheck, VerdictsTextsAndTrimmedSizes)
{
    EXPECT_EQ(dumpCheckText(checkDump(40976, 40976)), "");
    EXPECT_EQ(dumpCheckText(checkDump(40960, 40976)), "bad dump: 16 bytes shorter than its header says");
    EXPECT_EQ(dumpCheckText(checkDump(49168, 40976)), "overdump: 8192 bytes beyond what its header says");
    EXPECT_EQ(checkDump(100, 0).verdict, DUMP_AS_PROMISED);
    EXPECT_EQ(romBytesInImage(49168, 40976, true), 40976);
    EXPECT_EQ(romBytesInImage(49168, 40976, false), 49168);
    EXPECT_EQ(romBytesInImage(40960, 40976, true), 40960);  // a bad dump can't grow
    EXPECT_EQ(romBytesInImage(100, 0, true), 100);
}

TEST(RomDumpCheck, FilesAndArchiveMembersAreCheckedAlike)
{
    TempDir dir;
    writeBytes(dir.file("over.nes"), makePromisingRom(1, 1, 300));
    writeArchive(dir.file("sets.zip"), ArchiveKind::Zip,
                 {{"short.nes", makePromisingRom(2, 0, -16)}, {"fine.nes", makePromisingRom(1, 0)}});
    RomList list;
    CollectedReport report;
    const IniSnapshot settings;
    admitRomPath(&list, dir.file("over.nes"), settings, false, report);
    admitRomPath(&list, dir.file("sets.zip"), settings, false, report);
    ASSERT_EQ(list.count, 3);
    const RomEntry* e = list.head;
    EXPECT_EQ(dumpCheckText(checkRomDump(*e)), "overdump: 300 bytes beyond what its header says");
    EXPECT_EQ(dumpCheckText(checkRomDump(*e->next)), "bad dump: 16 bytes shorter than its header says");
    EXPECT_EQ(checkRomDump(*e->next->next).verdict, DUMP_AS_PROMISED);
}
