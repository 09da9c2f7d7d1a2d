// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom_dump_check.h"

#include "image_messages.h"
#include "ini_profile.h"
#include "report.h"
#include "rom_admission.h"
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
                          Case{0, 1, 0, 0, 0, 0, 0},                  // no PRG banks: nothing checked
                          Case{1, 1, 0, 0x08, 0, 0, 24592},           // NES 2.0 within bytes 4 and 5
                          Case{1, 1, 0, 0x08, 0x01, 0, 0},            // NES 2.0 with larger sizes
                          Case{1, 1, 0, 0x08, 0, 0x01, 0},            // NES 2.0 with further ROM
                          Case{1, 1, 0, 0x44, 0x73, 0x65, 24592}}) {  // "DiskDude!" junk is no NES 2.0
        const unsigned char header[16] = {'N', 'E', 'S', 0x1A, c.prg, c.chr, c.byte6, c.byte7, 0, c.byte9,
                                          0,   0,   0,   0,    c.byte14, 0};
        EXPECT_EQ(inesPromisedBytes(header, sizeof header), c.promised) << int(c.prg) << "/" << int(c.byte7);
    }
    EXPECT_EQ(romBytesInImage(40960, 40976, true), 40960);  // a bad dump can't grow
}

TEST(RomDumpCheck, FilesAndArchiveMembersAreCheckedAlike)
{
    TempDir dir;
    writeBytes(dir.file("over.nes"), makePromisingRom(1, 1, 300));
    writeArchive(dir.file("sets.zip"), ArchiveKind::Zip,
                 {{"short.nes", makePromisingRom(2, 0, -16)}, {"fine.nes", makePromisingRom(1, 0)}});
    RomList list;
    CollectedReport report;
    admitRomPath(&list, dir.file("over.nes"), IniSnapshot(), false, report);
    admitRomPath(&list, dir.file("sets.zip"), IniSnapshot(), false, report);
    ASSERT_EQ(list.count, 3);
    EXPECT_EQ(dumpCheckText(checkRomDump(*list.head)), "overdump: 300 bytes beyond what its header says");
    EXPECT_EQ(dumpCheckText(checkRomDump(*list.head->next)), "bad dump: 16 bytes shorter than its header says");
    EXPECT_EQ(dumpCheckText(checkRomDump(*list.tail)), "");

    // A ROM kept while it could not be read is checked once it can be.
    RomEntry* later = admitUnreadable(&list, dir.file("later.nes"), IniSnapshot(), false, "");
    writeBytes(dir.file("later.nes"), makePromisingRom(1, 0, -8));
    ASSERT_TRUE(readmitRomEntry(&list, later));
    EXPECT_EQ(dumpCheckText(checkRomDump(*later)), "bad dump: 8 bytes shorter than its header says");
}
