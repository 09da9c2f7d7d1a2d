// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli_folder.h"
#include "open_counter.h"
#include "test_archives.h"

#include "archive_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <map>

namespace {

// The folder's two ROMs and its text file, zipped: the zip's members carry
// the names the plain files have.
std::string zipRoms(const CliFolder& f, const std::string& name, ArchiveKind kind = ArchiveKind::Zip)
{
    const std::string path = f.dir.file(name);
    writeArchive(path, kind, {{"alpha.nes", f.alpha}, {"sub/beta.nes", f.beta}, {"readme.txt", readBytes(f.rom("readme.txt"))}});
    return path;
}

}  // namespace

TEST(CliArchives, AnImageFromArchivesEqualsTheImageFromTheSameRomsAsFiles)
{
    CliFolder f;
    writeArchive(f.dir.file("beta.nes.gz"), ArchiveKind::Gzip, {{"", f.beta}});
    for (const char* variant : {"kvl-v02", "pn"}) {
        SCOPED_TRACE(variant);
        const CliRun plain = f.run("build", {"--variant", variant, "-o", f.dir.file("plain.gba"), f.rom("alpha.nes"),
                                             f.rom("beta.nes")});
        ASSERT_EQ(plain.status, 0) << plain.err;
        const Bytes expected = readBytes(f.dir.file("plain.gba"));
        for (const auto& [name, kind] : {std::pair{"sets.zip", ArchiveKind::Zip}, {"sets.7z", ArchiveKind::SevenZip}}) {
            const std::string archive = zipRoms(f, name, kind);
            const CliRun run = f.run("build", {"--variant", variant, "-o", f.out(), archive});
            ASSERT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(readBytes(f.out()), expected) << name;
            // The text file is counted, not named; the record lines name the members.
            EXPECT_EQ(run.err, "romweld-cli: warning: " + archive + ": 1 file in it is not an NES ROM and was skipped\n");
            EXPECT_TRUE(contains(run.out, archive + "::sub/beta.nes beta nes\n")) << run.out;
            EXPECT_TRUE(contains(run.out, "2 ROMs")) << run.out;
        }
        // One member named on its own, and the one file of a .gz.
        const std::string zip = f.dir.file("sets.zip");
        const CliRun run = f.run("build", {"--variant", variant, "-o", f.out(), zip + "::alpha.nes",
                                           f.dir.file("beta.nes.gz")});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(readBytes(f.out()), expected);
    }
}

TEST(CliArchives, ListFilesNameMembersAndTitlesComeFromTheMembersNames)
{
    CliFolder f;
    const std::string zip = zipRoms(f, "sets.zip");
    writeText(f.dir.file("romweld.ini"), "[TITLE]\r\nbeta.nes=Remembered\r\n");
    const std::string lst = f.dir.file("games.lst");
    writeText(lst, "### ROMWELD NES List ###\r\n" + zip + "::sub/beta.nes\r\n" + zip + "::alpha.nes\r\n");
    const CliRun run = f.run("build", {"-o", f.out(), "--list", lst});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(f.out()), join({f.shell, kvlRecord("Font", "bin", f.font),
                                        kvlRecord("Remembered", "nes", f.beta),
                                        kvlRecord("alpha", "nes", repaired(f.alpha)), END_RECORD}));

    const CliRun info = f.run("info", {zip});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_TRUE(contains(info.out, zip + "::alpha.nes: iNES, mapper 65, battery yes, 24593 bytes, title \"alpha\""))
        << info.out;
    EXPECT_TRUE(contains(info.out, zip + "::sub/beta.nes: iNES, mapper 4, battery no, 40 bytes, title \"Remembered\""))
        << info.out;
    // A member that is no ROM is told with its own size, not its archive's.
    const CliRun text = f.run("info", {zip + "::readme.txt"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, zip + "::readme.txt: not an iNES file, " +
                            std::to_string(readBytes(f.rom("readme.txt")).size()) + " bytes\n");
}

TEST(CliArchives, EachArchiveProblemIsOneLineAndNoImageIsWritten)
{
    CliFolder f;
    const std::string zip = zipRoms(f, "sets.zip");
    writeArchive(f.dir.file("locked.zip"), ArchiveKind::EncryptedZip, {{"alpha.nes", f.alpha}});
    writeArchive(f.dir.file("text.zip"), ArchiveKind::Zip, {{"readme.txt", readBytes(f.rom("readme.txt"))}});
    writeText(f.dir.file("fake.7z"), "not an archive\n");
    writeArchive(f.dir.file("huge.zip"), ArchiveKind::StoredZip, {{"huge.nes", f.beta}});
    claimZipMemberSize(f.dir.file("huge.zip"), 0x7FFFFFF0u);
    const struct { std::string arg; std::string line; } cases[] = {
        {f.dir.file("gone.zip"), f.dir.file("gone.zip") + ": No such file or directory"},
        {zip + "::gone.nes", zip + "::gone.nes: no such member in the archive"},
        {zip + "::readme.txt", zip + "::readme.txt: not an NES ROM (no iNES header)"},
        {f.dir.file("locked.zip"),
         f.dir.file("locked.zip") + "::alpha.nes: encrypted, and romweld reads no encrypted archives"},
        {f.dir.file("locked.zip") + "::alpha.nes",
         f.dir.file("locked.zip") + "::alpha.nes: encrypted, and romweld reads no encrypted archives"},
        {f.dir.file("text.zip"), f.dir.file("text.zip") + ": holds no NES ROM"},
        {f.dir.file("fake.7z"), f.dir.file("fake.7z") + ": Unrecognized archive format"},
        {f.dir.file("huge.zip"),
         f.dir.file("huge.zip") + "::huge.nes: larger than 32 MiB, more than any GBA cartridge holds"},
    };
    for (const auto& c : cases) {
        const CliRun run = f.run("build", {"-o", f.out(), f.rom("alpha.nes"), c.arg});
        EXPECT_EQ(run.status, 1) << c.arg;
        EXPECT_EQ(run.err, "romweld-cli: " + c.line + "\n") << c.arg;
        EXPECT_FALSE(fileExists(f.out())) << c.arg;
    }
}

TEST(CliEach, OneImagePerRomNamedAfterIt)
{
    CliFolder f;
    const std::string zip = zipRoms(f, "sets.zip");
    const std::string out = f.dir.file("each");
    ::mkdir(out.c_str(), 0755);
    CliRun run = f.run("build", {"--each", "-o", out, "--fix-header", "--pad", f.rom("alpha.nes"), zip + "::sub/beta.nes"});
    ASSERT_EQ(run.status, 0) << run.err;
    // One line per image, and nothing else.
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 2) << run.out;
    EXPECT_TRUE(contains(run.out, out + "/alpha.gba: 32768 bytes, " + f.rom("alpha.nes") + ", variant kvl-v02"))
        << run.out;
    EXPECT_TRUE(contains(run.out, out + "/beta.gba: 2048 bytes, " + zip + "::sub/beta.nes, variant kvl-v02"))
        << run.out;

    // Each image is the one a build of that ROM alone makes.
    for (const auto& [rom, image] : {std::pair{f.rom("alpha.nes"), "alpha.gba"}, {zip + "::sub/beta.nes", "beta.gba"}}) {
        const CliRun single = f.run("build", {"-o", f.dir.file("single.gba"), "--fix-header", "--pad", rom});
        ASSERT_EQ(single.status, 0) << single.err;
        EXPECT_EQ(readBytes(out + "/" + image), readBytes(f.dir.file("single.gba"))) << image;
    }

    // Images already there are refused, all of them before any is written;
    // --force replaces them.
    writeText(out + "/beta.gba", "keep");
    const std::string alphaBefore = readText(out + "/alpha.gba");
    ::unlink((out + "/alpha.gba").c_str());
    run = f.run("build", {"--each", "-o", out, f.rom("alpha.nes"), zip + "::sub/beta.nes"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + out + "/beta.gba: is there already (--force replaces it)\n");
    EXPECT_FALSE(fileExists(out + "/alpha.gba"));
    EXPECT_EQ(readText(out + "/beta.gba"), "keep");
    run = f.run("build", {"--each", "--force", "-o", out + "/", f.rom("alpha.nes"), zip + "::sub/beta.nes"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(sizeOf(out + "/beta.gba"), 1001 + 44 + 8 + 44 + 40 + 44);
    EXPECT_TRUE(fileExists(out + "/alpha.gba"));
}

TEST(CliEach, RefusesWhatWouldLoseAnImage)
{
    CliFolder f;
    const std::string zip = zipRoms(f, "sets.zip");
    const std::string out = f.dir.file("each");
    ::mkdir(out.c_str(), 0755);
    // Two ROMs of one file name would make one image, the second over the
    // first; on a memory card, letter case makes no other name.
    const std::string more = f.dir.file("more.zip");
    writeArchive(more, ArchiveKind::Zip, {{"USA/ALPHA.nes", f.beta}});
    CliRun run = f.run("build", {"--each", "-o", out, f.rom("alpha.nes"), more, zip});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "romweld-cli: " + out + "/ALPHA.gba: both " + f.rom("alpha.nes") + " and " + more +
                                      "::USA/ALPHA.nes would make this image\n"))
        << run.err;
    EXPECT_FALSE(fileExists(out + "/alpha.gba"));

    // Nor does --force let one ROM's image replace another ROM of the build,
    // here through a link in the folder that bears the image's name.
    ASSERT_EQ(::symlink(f.rom("beta.nes").c_str(), (out + "/alpha.gba").c_str()), 0);
    run = f.run("build", {"--each", "--force", "-o", out, f.rom("alpha.nes"), f.rom("beta.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + out + "/alpha.gba: is one of the image's own input files\n");
    EXPECT_EQ(readBytes(f.rom("beta.nes")), f.beta);
    EXPECT_FALSE(fileExists(out + "/beta.gba"));
    ::unlink((out + "/alpha.gba").c_str());

    // Nor does an image replace a file of any variant: here a ROM named
    // after the PocketNES shell, built with the Korvalinde variant.
    writeBytes(f.rom("pn.nes"), f.beta);
    run = f.run("build", {"--each", "--force", "-o", f.path(), f.rom("pn.nes"), f.rom("beta.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + f.dir.file("pn.gba") +
                           ": is the shell of variant \"pn\", which no image may replace\n");
    EXPECT_EQ(readBytes(f.dir.file("pn.gba")), f.pocketShell);
    EXPECT_FALSE(fileExists(f.dir.file("beta.gba")));

    run = f.run("build", {"--each", "-o", f.dir.file("nowhere"), f.rom("alpha.nes")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + f.dir.file("nowhere") +
                           ": not a folder; --each writes its images into an existing folder\n");
    run = f.run("build", {"-o", f.out(), "--force", f.rom("alpha.nes")});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(contains(run.err, "--force only goes with --each")) << run.err;
}

TEST(CliPad, FillsWith0xFFUpToAPowerOfTwoBeforeTheHeaderFix)
{
    CliFolder f;
    const struct { std::vector<std::string> roms; std::int64_t padded; } cases[] = {
        {{"beta.nes"}, 2048},                // 1001 + 44 + 8 + 44 + 40 + 44 = 1181
        {{"alpha.nes", "beta.nes"}, 32768},  // 25821
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"-o", f.dir.file("plain.gba"), "--fix-header"};
        for (const std::string& rom : c.roms) args.push_back(f.rom(rom));
        ASSERT_EQ(f.run("build", args).status, 0);
        args[1] = f.out();
        args.push_back("--pad");
        const CliRun run = f.run("build", args);
        ASSERT_EQ(run.status, 0) << run.err;
        Bytes expected = readBytes(f.dir.file("plain.gba"));
        expected.resize(static_cast<std::size_t>(c.padded), 0xFF);
        EXPECT_EQ(readBytes(f.out()), expected);
        EXPECT_TRUE(contains(run.out, f.out() + ": " + std::to_string(c.padded) + " bytes")) << run.out;
    }
}

TEST(CliCleanTitles, DropsTheTagsOfDerivedTitlesButNeverOfStoredOnes)
{
    CliFolder f;
    writeBytes(f.rom("Legend of Zelda, The (USA) (Rev 1).nes"), f.beta);
    writeBytes(f.rom("Contra (U) [!].nes"), f.beta);
    writeText(f.dir.file("romweld.ini"), "[TITLE]\r\nContra (U) [!].nes=Contra (J) [b]\r\n");
    const std::vector<std::string> roms = {f.rom("Legend of Zelda, The (USA) (Rev 1).nes"), f.rom("Contra (U) [!].nes")};

    CliRun run = f.run("info", roms);
    EXPECT_TRUE(contains(run.out, "title \"Legend of Zelda, The \"")) << run.out;  // cut to 21 characters
    run = f.run("info", {"--clean-titles", roms[0], roms[1]});
    EXPECT_TRUE(contains(run.out, "title \"The Legend of Zelda\"")) << run.out;
    EXPECT_TRUE(contains(run.out, "title \"Contra (J) [b]\"")) << run.out;

    run = f.run("build", {"--variant", "pn", "--clean-titles", "-o", f.out(), roms[0]});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(f.out()), join({f.pocketShell, pocketRecord("The Legend of Zelda", f.beta), END_RECORD}));
}

// Members named in any order, two archives in turn: each archive is opened
// once to probe its members and once to build, and the image is the one
// the same ROMs as files give.
TEST(CliArchives, EachArchiveIsReadOnceWhateverTheOrderOfTheList)
{
    CliFolder f;
    std::vector<ArchiveFile> members;
    std::vector<std::string> plain;
    for (int i = 0; i < 12; ++i) {
        const std::string name = "game" + std::to_string(i) + ".nes";
        members.push_back({name, makeInesRom(300 + static_cast<std::size_t>(i), 0, 0, static_cast<unsigned>(i))});
        writeBytes(f.rom(name), members.back().bytes);
    }
    const std::string sevenZip = f.dir.file("sets.7z");
    const std::string zip = f.dir.file("sets.zip");
    writeArchive(sevenZip, ArchiveKind::SevenZip, members);
    writeArchive(zip, ArchiveKind::Zip, members);
    std::string list = "### ROMWELD NES List ###\r\n";
    for (int i = 11; i >= 0; --i) {
        const std::string name = "game" + std::to_string(i) + ".nes";
        list += (i % 2 == 0 ? sevenZip : zip) + "::" + name + "\r\n";
        plain.push_back(f.rom(name));
    }
    writeText(f.dir.file("games.lst"), list);
    OpenCounter counter({f.path()});
    ASSERT_TRUE(counter.watching());
    const CliRun run = f.run("build", {"-o", f.out(), "--list", f.dir.file("games.lst")});
    ASSERT_EQ(run.status, 0) << run.err;
    std::map<std::string, int> opened = counter.take();
    EXPECT_EQ(opened[sevenZip], 2);
    EXPECT_EQ(opened[zip], 2);

    std::vector<std::string> args = {"-o", f.dir.file("plain.gba")};
    args.insert(args.end(), plain.begin(), plain.end());
    ASSERT_EQ(f.run("build", args).status, 0);
    EXPECT_EQ(readBytes(f.out()), readBytes(f.dir.file("plain.gba")));
}

// A member over 32 MiB in a solid 7z is read through, so the ROM after it
// is read; a member whose archive says it is over 32 MiB is refused, header
// or not; names with control characters are shown escaped, and neither
// they nor ".nes" make an image name; a real folder whose name holds
// "x.zip::" holds plain files.
TEST(CliArchives, LargeMembersOddNamesAndFoldersNamedLikeMembers)
{
    CliFolder f;
    const std::string big = f.dir.file("big.7z");
    writeArchive(big, ArchiveKind::SevenZip, {{"huge.bin", {}, ARCHIVE_MEMBER_MAX + 1}, {"alpha.nes", f.alpha}});
    CliRun run = f.run("build", {"-o", f.out(), big + "::alpha.nes"});
    ASSERT_EQ(run.status, 0) << run.err;

    const std::string claims = f.dir.file("claims.zip");
    writeArchive(claims, ArchiveKind::StoredZip, {{"alpha.nes", f.alpha}});
    claimZipMemberSize(claims, 40 * 1024 * 1024);
    run = f.run("info", {claims + "::alpha.nes"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + claims + "::alpha.nes: larger than 32 MiB, more than any GBA cartridge holds\n");

    const std::string odd = f.dir.file("odd.zip");
    writeArchive(odd, ArchiveKind::Zip, {{"\x1B[2Jred\tgame.nes", f.beta}, {".nes", f.beta}});
    run = f.run("info", {odd});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, odd + "::\\x1B[2Jred\\x09game.nes: iNES")) << run.out;
    const std::string out = f.dir.file("each");
    ::mkdir(out.c_str(), 0755);
    run = f.run("build", {"--each", "-o", out, odd});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "romweld-cli: " + odd + "::\\x1B[2Jred\\x09game.nes: its name holds control characters, which "
                       "no image name may hold\nromweld-cli: " + odd + "::.nes: its name would make the hidden image "
                       "name \".gba\"\n");

    const std::string folder = f.dir.file("old.zip::keep");
    ::mkdir(folder.c_str(), 0755);
    writeBytes(folder + "/beta.nes", f.beta);
    run = f.run("info", {folder + "/beta.nes"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, folder + "/beta.nes: iNES, mapper 4")) << run.out;
}
