// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_writer.h"
#include "ini_profile.h"
#include "report.h"
#include "rom_admission.h"
#include "rom_list.h"

#include "image_records.h"
#include "test_archives.h"

#include <gtest/gtest.h>

namespace {

const Bytes ALPHA = makeInesRom(24593, 0x12, 0x44, 1);  // odd size, damaged byte 7: repaired in the image
const Bytes BETA = makeInesRom(4099, 0x40, 0x00, 2);
const Bytes GAMMA = makeInesRom(16400, 0x10, 0x08, 3);  // NES 2.0: byte 7 stays

std::vector<ArchiveFile> roms()
{
    return {{"Alpha (USA).nes", ALPHA}, {"USA/Beta.nes", BETA}, {"notes.txt", {'h', 'i'}}, {"Gamma.nes", GAMMA}};
}

struct Folder {
    TempDir dir;
    Bytes shell = patternBytes(1001, 9);
    Folder()
    {
        writeText(dir.file("romweld.cfg"), "[list]\r\nnum=2\r\nlist0=kvl-v02\r\nlist1=pn\r\n"
                                           "[kvl-v02]\r\nshell=kvl.gba\r\n[pn]\r\ntype=PNES\r\nshell=kvl.gba\r\n");
        writeBytes(dir.file("kvl.gba"), shell);
    }
};

std::vector<std::string> pathsOf(const RomList& list)
{
    std::vector<std::string> paths;
    for (const RomEntry* e = list.head; e != nullptr; e = e->next) paths.push_back(e->path);
    return paths;
}

}  // namespace

TEST(AdmitRomPath, AnArchiveGivesAnEntryForEachNesRomInIt)
{
    TempDir dir;
    const std::string zip = dir.file("Sets.zip");
    writeArchive(zip, ArchiveKind::Zip, roms());
    writeText(dir.file("romweld.ini"), "[TITLE]\r\nBeta.nes=Remembered\r\n[PocketNES]\r\nGamma.nes=1|2|3|Pocket\r\n");
    const IniSnapshot settings = IniSnapshot::load(dir.file("romweld.ini"));

    auto list = romListCreate();
    CollectedReport report;
    Admission a = admitRomPath(list.get(), zip, settings, false, report);
    EXPECT_EQ(a.code, AdmitCode::Added);
    EXPECT_EQ(a.added, 3);
    EXPECT_EQ(a.skipped, 1);
    EXPECT_TRUE(report.problems.empty()) << report.problemText();
    ASSERT_EQ(pathsOf(*list), (std::vector<std::string>{zip + "::Alpha (USA).nes", zip + "::USA/Beta.nes",
                                                         zip + "::Gamma.nes"}));
    EXPECT_EQ(a.first, list->head);
    const RomEntry& alpha = *list->head;
    const RomEntry& beta = *alpha.next;
    const RomEntry& gamma = *beta.next;
    EXPECT_EQ(alpha.title, "Alpha (USA)");
    EXPECT_EQ(alpha.sourceBytes, 24593);
    EXPECT_EQ(alpha.size, 24596);
    EXPECT_EQ(alpha.mapper, 65);
    EXPECT_EQ(alpha.battery, 1);
    EXPECT_EQ(beta.title, "Remembered");
    EXPECT_EQ(beta.mapper, 4);
    EXPECT_EQ(gamma.nes20, 1);
    EXPECT_EQ(gamma.pocketTitle, "Pocket");
    EXPECT_EQ(gamma.pocketSlot, 3);

    // The same archive again adds nothing; a member on its own is admitted
    // like a file, and titles may be cleaned.
    a = admitRomPath(list.get(), zip, settings, false, report);
    EXPECT_EQ(a.code, AdmitCode::Refused);
    EXPECT_EQ(a.added, 0);
    auto other = romListCreate();
    a = admitRomPath(other.get(), zip + "::Alpha (USA).nes", settings, true, report);
    ASSERT_EQ(a.code, AdmitCode::Added);
    EXPECT_EQ(other->head->title, "Alpha");
    EXPECT_EQ(other->head->sourceBytes, 24593);
    a = admitRomPath(other.get(), zip + "::notes.txt", settings, false, report);
    EXPECT_EQ(a.code, AdmitCode::NotNes);
    EXPECT_EQ(a.openError, 0);
    EXPECT_TRUE(report.problems.empty()) << report.problemText();
}

TEST(AdmitRomPath, ADamagedMemberIsReportedAndTheOthersAreAdded)
{
    TempDir dir;
    const std::string zip = dir.file("Damaged.zip");
    writeArchive(zip, ArchiveKind::StoredZip, roms());
    damageStoredMember(zip, BETA);

    auto list = romListCreate();
    CollectedReport report;
    const Admission a = admitRomPath(list.get(), zip, IniSnapshot(), false, report);
    EXPECT_EQ(a.added, 2);
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_EQ(report.problems[0].rfind(zip + "::USA/Beta.nes: ZIP bad CRC", 0), 0u) << report.problems[0];
    EXPECT_EQ(pathsOf(*list), (std::vector<std::string>{zip + "::Alpha (USA).nes", zip + "::Gamma.nes"}));
}

TEST(ArchiveImage, MembersGiveTheBytesAndTheExactSizeThePlainFilesGive)
{
    Folder f;
    writeBytes(f.dir.file("Alpha (USA).nes"), ALPHA);
    writeBytes(f.dir.file("Beta.nes"), BETA);
    writeBytes(f.dir.file("Gamma.nes"), GAMMA);
    const std::string zip = f.dir.file("sets.zip");
    const std::string sevenZip = f.dir.file("sets.7z");
    writeArchive(zip, ArchiveKind::Zip, roms());
    writeArchive(sevenZip, ArchiveKind::SevenZip, roms());
    writeArchive(f.dir.file("Beta.nes.gz"), ArchiveKind::Gzip, {{"", BETA}});

    const auto listOf = [&](const std::vector<std::string>& paths) {
        auto list = romListCreate();
        CollectedReport report;
        for (const std::string& path : paths) admitRomPath(list.get(), path, IniSnapshot(), false, report);
        EXPECT_TRUE(report.problems.empty()) << report.problemText();
        return list;
    };
    const std::vector<std::vector<std::string>> orders = {
        {f.dir.file("Gamma.nes"), f.dir.file("Beta.nes"), f.dir.file("Alpha (USA).nes")},
        {sevenZip + "::Gamma.nes", sevenZip + "::USA/Beta.nes", sevenZip + "::Alpha (USA).nes"},
        {zip + "::Gamma.nes", f.dir.file("Beta.nes.gz"), zip + "::Alpha (USA).nes"},
    };
    for (const char* variant : {"kvl-v02", "pn"}) {
        Bytes plain;
        for (const auto& order : orders) {
            SCOPED_TRACE(std::string(variant) + " " + order[0]);
            const auto list = listOf(order);
            ASSERT_EQ(list->count, 3);
            CollectedReport report;
            const std::string out = f.dir.file("out.gba");
            ASSERT_EQ(writeImage(f.dir.path(), out, list.get(), variant, nullptr, report), ImageWrite::Written)
                << report.problemText();
            const Bytes image = readBytes(out);
            EXPECT_EQ(static_cast<std::int64_t>(image.size()), exactImageSize(f.dir.path(), list.get(), variant));
            if (plain.empty()) plain = image;
            EXPECT_EQ(image, plain);
        }
    }
}

TEST(ArchiveImage, NeverReplacesTheArchiveItReadsAndNamesAMemberThatWentBad)
{
    Folder f;
    const std::string zip = f.dir.file("sets.zip");
    writeArchive(zip, ArchiveKind::Zip, roms());
    auto list = romListCreate();
    CollectedReport report;
    admitRomPath(list.get(), zip, IniSnapshot(), false, report);
    const Bytes before = readBytes(zip);
    EXPECT_EQ(writeImage(f.dir.path(), zip, list.get(), DEFAULT_VARIANT, nullptr, report), ImageWrite::Failed);
    EXPECT_EQ(report.problemText(), zip + ": is one of the image's own input files");
    EXPECT_EQ(readBytes(zip), before);

    // The archive replaced by one whose member is encrypted.
    writeArchive(zip, ArchiveKind::EncryptedZip, roms());
    CollectedReport failed;
    EXPECT_EQ(writeImage(f.dir.path(), f.dir.file("out.gba"), list.get(), DEFAULT_VARIANT, nullptr, failed),
              ImageWrite::Failed);
    EXPECT_EQ(failed.problemText(), zip + "::Alpha (USA).nes: encrypted, and romweld reads no encrypted archives");
    EXPECT_FALSE(fileExists(f.dir.file("out.gba")));
}
