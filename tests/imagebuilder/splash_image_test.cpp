// SPDX-License-Identifier: GPL-3.0-or-later
// A PocketNES image with a splash screen after the shell and ROMs trimmed to
// what their headers promise; the exact size counts both.
#include "image_writer.h"

#include "ini_profile.h"
#include "report.h"
#include "rom_admission.h"
#include "rom_list.h"
#include "splash_screen.h"
#include "test_archives.h"

#include <gtest/gtest.h>

TEST(SplashImage, SplashFollowsTheShellAndOverdumpsAreTrimmed)
{
    TempDir dir;
    const Bytes shell = patternBytes(1001, 3);
    writeText(dir.file("romweld.cfg"), "[list]\nnum=1\nlist0=pn\n[pn]\nshell=pn.gba\ntype=PNES\n");
    writeBytes(dir.file("pn.gba"), shell);
    const Bytes over = makePromisingRom(1, 0, 300);   // 16400 promised
    const Bytes member = makePromisingRom(1, 1, 40);  // 24592 promised, in an archive
    writeBytes(dir.file("over.nes"), over);
    writeArchive(dir.file("sets.zip"), ArchiveKind::Zip, {{"member.nes", member}});
    RomList list;
    CollectedReport report;
    admitRomPath(&list, dir.file("over.nes"), IniSnapshot(), false, report);
    admitRomPath(&list, dir.file("sets.zip"), IniSnapshot(), false, report);
    const Bytes splash = patternBytes(SPLASH_BYTES, 9);
    const IniSnapshot config = IniSnapshot::load(dir.file("romweld.cfg"));

    for (const bool trim : {false, true}) {
        const ImageExtras extras{&splash, trim};
        ASSERT_EQ(writeImage(dir.path(), config, dir.file("out.gba"), &list, "pn", nullptr, report, false, extras),
                  ImageWrite::Written)
            << report.problemText();
        const Bytes image = readBytes(dir.file("out.gba"));
        ASSERT_EQ(std::int64_t(image.size()), exactImageSize(dir.path(), config, &list, "pn", extras));
        Bytes expected = shell;
        expected.insert(expected.end(), splash.begin(), splash.end());
        for (const Bytes* rom : {&over, &member}) {
            const std::size_t kept = trim ? rom->size() - (rom == &over ? 300 : 40) : rom->size();
            Bytes header(48, 0);
            for (int i = 0; i < 4; ++i) header[32 + i] = static_cast<unsigned char>(kept >> (8 * i));
            const std::string title = rom == &over ? "over" : "member";
            std::copy(title.begin(), title.end(), header.begin());
            expected.insert(expected.end(), header.begin(), header.end());
            expected.insert(expected.end(), rom->begin(), rom->begin() + long(kept));
        }
        expected.insert(expected.end(), {0x17, 0x04, 0x70, 0x41});
        expected.resize(expected.size() + 40, 0);
        EXPECT_TRUE(image == expected) << "trim " << trim;
    }
}
