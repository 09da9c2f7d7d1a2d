// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive_reader.h"

#include "peak_memory.h"
#include "system_limits.h"
#include "test_archives.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const Bytes ROM_A = makeInesRom(24593, 0x00, 0x00, 1);
const Bytes ROM_B = makeInesRom(40976, 0x12, 0x44, 2);  // a damaged header: the reader keeps it as it is
const Bytes README = {'h', 'e', 'l', 'l', 'o', '\n'};

std::vector<ArchiveFile> twoRomsAndAText()
{
    return {{"Zelda (USA).nes", ROM_A}, {"USA/Metroid (USA) [!].nes", ROM_B}, {"readme.txt", README}};
}

Bytes headOf(const Bytes& bytes)
{
    return Bytes(bytes.begin(), bytes.begin() + static_cast<long>(std::min(bytes.size(), ARCHIVE_HEAD_SIZE)));
}

Bytes headOf(const ArchiveMember& member)
{
    return Bytes(member.head.begin(), member.head.begin() + static_cast<long>(member.headSize));
}

// The member's bytes as an ArchiveMemberReader streams them, in pieces of
// the given size.
Bytes streamMember(ArchiveMemberReader& reader, std::size_t piece = 1000)
{
    Bytes out;
    Bytes buffer(piece);
    for (;;) {
        const std::size_t got = reader.read(buffer.data(), buffer.size());
        if (got == 0) break;
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<long>(got));
    }
    return out;
}

}  // namespace

TEST(ListArchive, ListsEveryFileWithItsSizeAndFirstBytesInEachKind)
{
    TempDir dir;
    for (const auto& [name, kind] : {std::pair{"sets.zip", ArchiveKind::Zip}, {"stored.zip", ArchiveKind::StoredZip},
                                     {"sets.7z", ArchiveKind::SevenZip}}) {
        SCOPED_TRACE(name);
        const std::string path = dir.file(name);
        writeArchive(path, kind, twoRomsAndAText());
        const ArchiveListing listing = listArchive(path);
        EXPECT_EQ(listing.problem, ArchiveProblem::None) << listing.reason;
        const std::vector<ArchiveFile> files = twoRomsAndAText();
        ASSERT_EQ(listing.members.size(), files.size());
        for (std::size_t i = 0; i < files.size(); ++i) {
            const ArchiveMember& member = listing.members[i];
            EXPECT_EQ(member.name, files[i].name);
            EXPECT_EQ(member.size, static_cast<std::int64_t>(files[i].bytes.size()));
            EXPECT_EQ(headOf(member), headOf(files[i].bytes));
            EXPECT_EQ(member.problem, ArchiveProblem::None) << member.reason;
        }
    }
}

TEST(ListArchive, AGzipFileHoldsOneFileNamedAfterIt)
{
    TempDir dir;
    const std::string path = dir.file("Metroid (USA).NES.GZ");
    writeArchive(path, ArchiveKind::Gzip, {{"ignored", ROM_B}});
    const ArchiveListing listing = listArchive(path);
    EXPECT_EQ(listing.problem, ArchiveProblem::None) << listing.reason;
    ASSERT_EQ(listing.members.size(), 1u);
    EXPECT_EQ(listing.members[0].name, "Metroid (USA).NES");
    EXPECT_EQ(listing.members[0].size, static_cast<std::int64_t>(ROM_B.size()));
    EXPECT_EQ(headOf(listing.members[0]), headOf(ROM_B));
}

TEST(ListArchive, MemberNamesAreUtf8WhetherMarkedSoOrWrittenOnAJapaneseSystem)
{
    TempDir dir;
    const std::string zelda = "ゼルダの伝説 (Japan).nes";
    writeArchive(dir.file("utf8.zip"), ArchiveKind::Zip, {{zelda, ROM_A}});
    writeArchive(dir.file("utf8.7z"), ArchiveKind::SevenZip, {{zelda, ROM_A}});
    // The same name in CP932, unmarked: "ゼルダ.nes".
    writeArchive(dir.file("cp932.zip"), ArchiveKind::LegacyZip, {{"\x83\x5B\x83\x8B\x83\x5F.nes", ROM_A}});
    for (const char* name : {"utf8.zip", "utf8.7z"}) {
        const ArchiveListing listing = listArchive(dir.file(name));
        ASSERT_EQ(listing.members.size(), 1u) << name << ": " << listing.reason;
        EXPECT_EQ(listing.members[0].name, zelda) << name;
    }
    const ArchiveListing legacy = listArchive(dir.file("cp932.zip"));
    ASSERT_EQ(legacy.members.size(), 1u) << legacy.reason;
    EXPECT_EQ(legacy.members[0].name, "ゼルダ.nes");

    ArchiveMemberReader reader;
    ASSERT_EQ(reader.open(dir.file("cp932.zip"), "ゼルダ.nes"), ArchiveProblem::None) << reader.reason();
    EXPECT_EQ(streamMember(reader), ROM_A);
}

TEST(ArchiveMemberReader, StreamsEachMemberAsItWasInEachKind)
{
    TempDir dir;
    writeArchive(dir.file("sets.zip"), ArchiveKind::Zip, twoRomsAndAText());
    writeArchive(dir.file("sets.7z"), ArchiveKind::SevenZip, twoRomsAndAText());
    writeArchive(dir.file("Metroid.nes.gz"), ArchiveKind::Gzip, {{"", ROM_B}});
    const struct { const char* archive; const char* member; const Bytes& bytes; } cases[] = {
        {"sets.zip", "Zelda (USA).nes", ROM_A},
        {"sets.zip", "USA/Metroid (USA) [!].nes", ROM_B},
        {"sets.zip", "readme.txt", README},
        {"sets.7z", "USA/Metroid (USA) [!].nes", ROM_B},
        {"sets.7z", "Zelda (USA).nes", ROM_A},
        // No size ahead of the data: counted first.
        {"Metroid.nes.gz", "Metroid.nes", ROM_B},
    };
    // One reader for everything: it moves on within an archive, goes back
    // when asked for an earlier member and changes archives.
    ArchiveMemberReader reader;
    for (const auto& c : cases) {
        ASSERT_EQ(reader.open(dir.file(c.archive), c.member), ArchiveProblem::None) << c.member << ": " << reader.reason();
        EXPECT_EQ(reader.size(), static_cast<std::int64_t>(c.bytes.size())) << c.member;
        EXPECT_EQ(streamMember(reader, 999), c.bytes) << c.archive << "::" << c.member;
        EXPECT_EQ(reader.problem(), ArchiveProblem::None) << reader.reason();
    }
    // The same member twice in a row, the second time after half of it was read.
    ASSERT_EQ(reader.open(dir.file("sets.zip"), "readme.txt"), ArchiveProblem::None);
    Bytes half(3);
    EXPECT_EQ(reader.read(half.data(), half.size()), 3u);
    ASSERT_EQ(reader.open(dir.file("sets.zip"), "readme.txt"), ArchiveProblem::None);
    EXPECT_EQ(streamMember(reader), README);
}

TEST(ArchiveMemberReader, ATwiceListedNameIsTheFirstMemberOfThatName)
{
    TempDir dir;
    const std::string path = dir.file("twice.zip");
    writeArchive(path, ArchiveKind::Zip, {{"Game.nes", ROM_A}, {"Other.nes", README}, {"Game.nes", ROM_B}});
    const ArchiveListing listing = listArchive(path);
    ASSERT_EQ(listing.members.size(), 2u);
    EXPECT_EQ(listing.members[0].size, static_cast<std::int64_t>(ROM_A.size()));

    ArchiveMemberReader reader;
    ASSERT_EQ(reader.open(path, "Other.nes"), ArchiveProblem::None);
    EXPECT_EQ(streamMember(reader), README);
    // Walking on from "Other.nes" would meet the second "Game.nes" first.
    ASSERT_EQ(reader.open(path, "Game.nes"), ArchiveProblem::None);
    EXPECT_EQ(streamMember(reader), ROM_A);
}

TEST(ArchiveProblems, EachGivesItsCodeAndAClearReason)
{
    TempDir dir;
    writeText(dir.file("text.zip"), "not an archive at all\n");
    writeText(dir.file("text.nes.gz"), "NES\x1a plain bytes, not compressed\n");
    ASSERT_EQ(::mkdir(dir.file("folder.zip").c_str(), 0755), 0);
    writeArchive(dir.file("sets.7z"), ArchiveKind::SevenZip, twoRomsAndAText());
    Bytes cut = readBytes(dir.file("sets.7z"));
    cut.resize(cut.size() - 40);
    writeBytes(dir.file("cut.7z"), cut);

    const struct { const char* archive; ArchiveProblem problem; const char* reason; } cases[] = {
        {"missing.zip", ArchiveProblem::CantOpen, "No such file or directory"},
        {"folder.zip", ArchiveProblem::CantOpen, "Is a directory"},
        {"text.zip", ArchiveProblem::Damaged, "Unrecognized archive format"},
        {"text.nes.gz", ArchiveProblem::Damaged, "not a gzip file"},
        // libarchive says nothing for some damage; the reason is then ours.
        {"cut.7z", ArchiveProblem::Damaged, nullptr},
    };
    for (const auto& c : cases) {
        const ArchiveListing listing = listArchive(dir.file(c.archive));
        EXPECT_EQ(listing.problem, c.problem) << c.archive;
        EXPECT_EQ(listing.reason, c.reason != nullptr ? c.reason : listing.reason) << c.archive;
        EXPECT_FALSE(listing.reason.empty()) << c.archive;
        EXPECT_TRUE(listing.members.empty()) << c.archive;
        ArchiveMemberReader reader;
        EXPECT_EQ(reader.open(dir.file(c.archive), "x.nes"), c.problem) << c.archive;
        EXPECT_EQ(reader.reason(), listing.reason) << c.archive;
        Bytes buffer(16);
        EXPECT_EQ(reader.read(buffer.data(), buffer.size()), 0u);
    }

    ArchiveMemberReader reader;
    EXPECT_EQ(reader.open(dir.file("sets.7z"), "Missing.nes"), ArchiveProblem::NoMember);
    EXPECT_EQ(reader.reason(), "no such member in the archive");
    // Folders are no members.
    writeArchive(dir.file("sets.zip"), ArchiveKind::Zip, twoRomsAndAText());
    EXPECT_EQ(reader.open(dir.file("sets.zip"), "USA"), ArchiveProblem::NoMember);
}

TEST(ArchiveProblems, AFifoNamedLikeAnArchiveIsRefusedWithoutWaiting)
{
    TempDir dir;
    const std::string path = dir.file("pipe.zip");
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    HangGuard guard(20);
    EXPECT_EQ(listArchive(path).problem, ArchiveProblem::CantOpen);
    ArchiveMemberReader reader;
    EXPECT_EQ(reader.open(path, "x.nes"), ArchiveProblem::CantOpen);
    EXPECT_EQ(reader.reason(), "not a regular file");
}

TEST(ArchiveProblems, ADamagedMemberIsNamedAndTheOthersStillRead)
{
    TempDir dir;
    const std::string path = dir.file("damaged.zip");
    writeArchive(path, ArchiveKind::StoredZip, twoRomsAndAText());
    damageStoredMember(path, ROM_B);

    const ArchiveListing listing = listArchive(path);
    EXPECT_EQ(listing.problem, ArchiveProblem::None) << listing.reason;
    ASSERT_EQ(listing.members.size(), 3u);
    EXPECT_EQ(listing.members[0].problem, ArchiveProblem::None);
    EXPECT_EQ(listing.members[1].problem, ArchiveProblem::Damaged);
    EXPECT_NE(listing.members[1].reason.find("CRC"), std::string::npos) << listing.members[1].reason;
    EXPECT_EQ(listing.members[2].problem, ArchiveProblem::None);

    ArchiveMemberReader reader;
    ASSERT_EQ(reader.open(path, "USA/Metroid (USA) [!].nes"), ArchiveProblem::None);
    const Bytes got = streamMember(reader, 4096);
    EXPECT_EQ(reader.problem(), ArchiveProblem::Damaged);
    EXPECT_LT(got.size(), ROM_B.size());
    ASSERT_EQ(reader.open(path, "readme.txt"), ArchiveProblem::None) << reader.reason();
    EXPECT_EQ(streamMember(reader), README);
}

TEST(ArchiveProblems, AnEncryptedMemberIsRefusedAsSuch)
{
    TempDir dir;
    const std::string path = dir.file("locked.zip");
    writeArchive(path, ArchiveKind::EncryptedZip, {{"Zelda.nes", ROM_A}});
    const ArchiveListing listing = listArchive(path);
    ASSERT_EQ(listing.members.size(), 1u);
    EXPECT_EQ(listing.members[0].problem, ArchiveProblem::Encrypted);
    EXPECT_EQ(listing.members[0].reason, "encrypted, and romweld reads no encrypted archives");
    ArchiveMemberReader reader;
    EXPECT_EQ(reader.open(path, "Zelda.nes"), ArchiveProblem::Encrypted);
}

TEST(ArchiveProblems, AMemberThatClaimsMoreThan32MiBIsRefusedUnread)
{
    TempDir dir;
    const std::string path = dir.file("claims.zip");
    writeArchive(path, ArchiveKind::StoredZip, {{"Huge.nes", ROM_A}, {"Small.nes", README}});
    claimZipMemberSize(path, 0xFFFFFF00u);
    const ArchiveListing listing = listArchive(path);
    ASSERT_EQ(listing.members.size(), 2u) << listing.reason;
    EXPECT_EQ(listing.members[0].problem, ArchiveProblem::TooLarge);
    EXPECT_EQ(listing.members[0].reason, "larger than 32 MiB, more than any GBA cartridge holds");
    EXPECT_EQ(listing.members[0].headSize, 0u);
    EXPECT_EQ(listing.members[1].problem, ArchiveProblem::None);
    ArchiveMemberReader reader;
    EXPECT_EQ(reader.open(path, "Huge.nes"), ArchiveProblem::TooLarge);
    ASSERT_EQ(reader.open(path, "Small.nes"), ArchiveProblem::None) << reader.reason();
    EXPECT_EQ(streamMember(reader), README);
}

TEST(ArchiveProblems, AMemberThatTurnsOutLargerThan32MiBIsRefusedInBoundedMemory)
{
    TempDir dir;
    // A .gz tells no size ahead: 32 MiB of zeros pass, one byte more does not.
    const std::string fits = dir.file("fits.nes.gz");
    const std::string bomb = dir.file("bomb.nes.gz");
    writeArchive(fits, ArchiveKind::Gzip, {{"", ROM_A, ARCHIVE_MEMBER_MAX - static_cast<std::int64_t>(ROM_A.size())}});
    writeArchive(bomb, ArchiveKind::Gzip, {{"", ROM_A, ARCHIVE_MEMBER_MAX + 1 - static_cast<std::int64_t>(ROM_A.size())}});

    resetPeakMemory();
    const long before = maxRssKiB();
    const ArchiveListing fitting = listArchive(fits);
    const ArchiveListing refused = listArchive(bomb);
    ArchiveMemberReader reader;
    const ArchiveProblem bombOpen = reader.open(bomb, "bomb.nes");
    ArchiveMemberReader fitReader;
    ASSERT_EQ(fitReader.open(fits, "fits.nes"), ArchiveProblem::None) << fitReader.reason();
    Bytes buffer(256 * 1024);
    std::int64_t streamed = 0;
    for (std::size_t got = 0; (got = fitReader.read(buffer.data(), buffer.size())) > 0;) streamed += got;
    const long grown = maxRssKiB() - before;

    ASSERT_EQ(fitting.members.size(), 1u);
    EXPECT_EQ(fitting.members[0].problem, ArchiveProblem::None) << fitting.members[0].reason;
    EXPECT_EQ(fitting.members[0].size, ARCHIVE_MEMBER_MAX);
    EXPECT_EQ(fitReader.size(), ARCHIVE_MEMBER_MAX);
    EXPECT_EQ(streamed, ARCHIVE_MEMBER_MAX);
    EXPECT_EQ(fitReader.problem(), ArchiveProblem::None);
    ASSERT_EQ(refused.members.size(), 1u);
    EXPECT_EQ(refused.members[0].problem, ArchiveProblem::TooLarge);
    EXPECT_EQ(bombOpen, ArchiveProblem::TooLarge);
#ifdef ROMWELD_TEST_SANITIZED
    (void)grown;
    GTEST_SKIP() << "memory is not measured under the sanitizers";
#else
    EXPECT_LT(grown, 4 * 1024) << "peak memory grew by " << grown << " KiB while reading 64 MiB of members";
#endif
}

TEST(ArchiveMemberReader, FindsEveryMemberOfASolid7zWithAFreshReader)
{
    // Reaching a member means passing the ones before it in the block; a
    // fresh reader does that from the start for each.
    TempDir dir;
    const std::string path = dir.file("solid.7z");
    std::vector<ArchiveFile> files;
    for (unsigned i = 0; i < 12; ++i) files.push_back({"rom" + std::to_string(i) + ".nes", makeInesRom(40960, 0, 0, i)});
    writeArchive(path, ArchiveKind::SevenZip, files);
    for (const ArchiveFile& file : files) {
        ArchiveMemberReader reader;
        ASSERT_EQ(reader.open(path, file.name), ArchiveProblem::None) << file.name << ": " << reader.reason();
        EXPECT_EQ(streamMember(reader, 4096), file.bytes) << file.name << ": " << reader.reason();
    }
}

// Members announced ahead and read in any order, from two archives in turn,
// each read whole at once: those passed on the way are kept, and those of
// an archive left for another are read before it is left. Past what may be
// kept, the reader still gives every member, reading its archive again.
TEST(ArchiveMemberReader, AnnouncedMembersComeInAnyOrderFromOnePass)
{
    TempDir dir;
    std::vector<ArchiveFile> files;
    for (unsigned i = 0; i < 6; ++i) files.push_back({"rom" + std::to_string(i) + ".nes", makeInesRom(40960, 0, 0, i)});
    const std::string solid = dir.file("solid.7z");
    const std::string zip = dir.file("sets.zip");
    writeArchive(solid, ArchiveKind::SevenZip, files);
    writeArchive(zip, ArchiveKind::Zip, files);
    ArchiveMemberReader reader;
    const std::vector<std::pair<std::string, unsigned>> order = {{solid, 5}, {zip, 3}, {solid, 1}, {zip, 0},
                                                                 {solid, 4}, {zip, 5}, {solid, 0}, {zip, 2}};
    for (const auto& [archive, i] : order) reader.expect(archive, files[i].name);
    for (const auto& [archive, i] : order) {
        ASSERT_EQ(reader.open(archive, files[i].name), ArchiveProblem::None) << files[i].name << ": " << reader.reason();
        EXPECT_EQ(reader.size(), static_cast<std::int64_t>(files[i].bytes.size()));
        EXPECT_EQ(streamMember(reader, 4096), files[i].bytes) << archive << " " << files[i].name;
    }

    // Members larger than what may be kept: read again, and still right.
    const std::string large = dir.file("large.7z");
    writeArchive(large, ArchiveKind::SevenZip,
                 {{"a.bin", makeInesRom(64, 0, 0, 1), ARCHIVE_KEEP_MAX / 2}, {"b.bin", makeInesRom(64, 0, 0, 2), ARCHIVE_KEEP_MAX / 2},
                  {"c.nes", files[0].bytes}});
    ArchiveMemberReader bounded;
    for (const char* name : {"c.nes", "b.bin", "a.bin"}) bounded.expect(large, name);
    for (const char* name : {"c.nes", "b.bin", "a.bin"}) {
        ASSERT_EQ(bounded.open(large, name), ArchiveProblem::None) << name << ": " << bounded.reason();
        EXPECT_EQ(streamMember(bounded, 1 << 16).size(), std::string(name) == "c.nes" ? files[0].bytes.size()
                                                                                       : 64 + ARCHIVE_KEEP_MAX / 2)
            << name;
    }
}

// A member over 32 MiB in a solid 7z is read through, without being kept,
// and the member after it reads, listed and streamed.
TEST(ArchiveMemberReader, AMemberOver32MiBInASolid7zIsPassedAndTheNextOneReads)
{
    TempDir dir;
    const std::string path = dir.file("big.7z");
    writeArchive(path, ArchiveKind::SevenZip, {{"huge.bin", {}, ARCHIVE_MEMBER_MAX + 1}, {"after.nes", ROM_A}});
    const ArchiveListing listing = listArchive(path);
    ASSERT_EQ(listing.problem, ArchiveProblem::None) << listing.reason;
    ASSERT_EQ(listing.members.size(), 2u);
    EXPECT_EQ(listing.members[0].problem, ArchiveProblem::TooLarge);
    EXPECT_EQ(listing.members[1].problem, ArchiveProblem::None) << listing.members[1].reason;
    ArchiveMemberReader reader;
    ASSERT_EQ(reader.open(path, "after.nes"), ArchiveProblem::None) << reader.reason();
    EXPECT_EQ(streamMember(reader, 1 << 16), ROM_A);
}
