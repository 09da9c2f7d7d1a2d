// PocketNES images with a splash screen after the shell and ROMs trimmed to
// what their headers promise; the exact size counts both.
#include "image_writer.h"

#include "ini_profile.h"
#include "report.h"
#include "rom_admission.h"
#include "rom_list.h"
#include "splash_screen.h"
#include "test_archives.h"

#include <gtest/gtest.h>

namespace {

struct PocketFolder {
    TempDir dir;
    Bytes shell = patternBytes(1001, 3);
    PocketFolder()
    {
        writeText(dir.file("romweld.cfg"), "[list]\nnum=2\nlist0=pocketnes\nlist1=kvl\n"
                                           "[pocketnes]\nshell=pocket.gba\ntype=PNES\n[kvl]\nshell=pocket.gba\n");
        writeBytes(dir.file("pocket.gba"), shell);
    }
    std::string out() const { return dir.file("out.gba"); }
};

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t n)
{
    return Bytes(bytes.begin() + long(from), bytes.begin() + long(from + n));
}

std::uint32_t le32(const Bytes& bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t{bytes[at + 3]} << 24;
}

}  // namespace

TEST(SplashImage, SplashFollowsTheShellAndOverdumpsAreTrimmed)
{
    PocketFolder p;
    const Bytes over = makePromisingRom(1, 0, 300);   // 16400 promised
    const Bytes member = makePromisingRom(1, 1, 40);  // 24592 promised
    writeBytes(p.dir.file("over.nes"), over);
    writeArchive(p.dir.file("sets.zip"), ArchiveKind::Zip, {{"member.nes", member}});
    RomList list;
    CollectedReport report;
    admitRomPath(&list, p.dir.file("over.nes"), IniSnapshot(), false, report);
    admitRomPath(&list, p.dir.file("sets.zip"), IniSnapshot(), false, report);
    ASSERT_EQ(list.count, 2);
    const Bytes splash = patternBytes(SPLASH_BYTES, 9);

    for (const bool trim : {false, true}) {
        SCOPED_TRACE(trim);
        const ImageExtras extras{&splash, trim};
        const std::int64_t exact = exactImageSize(p.dir.path(), IniSnapshot::load(p.dir.file("romweld.cfg")), &list,
                                                  "pocketnes", extras);
        ASSERT_EQ(writeImage(p.dir.path(), IniSnapshot::load(p.dir.file("romweld.cfg")), p.out(), &list, "pocketnes",
                             nullptr, report, false, extras),
                  IMAGE_WRITTEN)
            << report.problemText();
        const Bytes image = readBytes(p.out());
        ASSERT_EQ(std::int64_t(image.size()), exact);
        EXPECT_EQ(slice(image, 0, 1001), p.shell);
        EXPECT_EQ(slice(image, 1001, SPLASH_BYTES), splash);
        std::size_t at = 1001 + SPLASH_BYTES;
        for (const Bytes* rom : {&over, &member}) {
            const std::size_t kept = trim ? rom->size() - (rom == &over ? 300 : 40) : rom->size();
            EXPECT_EQ(le32(image, at + 32), kept);
            EXPECT_EQ(slice(image, at + 48, kept), slice(*rom, 0, kept));
            at += 48 + kept;
        }
        EXPECT_EQ(le32(image, at), 0x41700417u);  // the end record follows at once
    }
}

TEST(SplashImage, AKorvalindeLayoutRefusesASplash)
{
    PocketFolder p;
    RomList list;
    CollectedReport report;
    const Bytes splash(SPLASH_BYTES, 0);
    EXPECT_EQ(writeImage(p.dir.path(), IniSnapshot::load(p.dir.file("romweld.cfg")), p.out(), &list, "kvl", nullptr,
                         report, false, ImageExtras{&splash, false}),
              IMAGE_FAILED);
    EXPECT_EQ(report.problemText(), p.out() + ": " + splashNeedsPocketNesText("kvl"));
    EXPECT_FALSE(fileExists(p.out()));
}
