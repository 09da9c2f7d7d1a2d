// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom_file.h"

#include "file_io.h"
#include "image_records.h"
#include "peak_memory.h"
#include "report.h"
#include "rom_source.h"

#include <gtest/gtest.h>


#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

namespace {

struct Probe {
    int result;
    int mapper;
    int battery;
};

Probe probe(const std::string& path)
{
    Probe p{-1, -7, -7};
    // The numbers the codes have always had: 0 an NES ROM, 1 unreadable, 2 no iNES signature.
    p.result = static_cast<int>(probeNesRom(path, p.mapper, p.battery));
    return p;
}

// Appends each file to a new image with its extension text and returns the image.
Bytes appendAll(const TempDir& dir, const std::vector<std::pair<std::string, std::string>>& files,
                std::vector<int>* results = nullptr, std::vector<std::string>* problems = nullptr)
{
    const std::string imagePath = dir.file("image.gba");
    OutFile image;
    EXPECT_TRUE(image.create(imagePath));
    CollectedReport report;
    for (const auto& [path, ext] : files) {
        const int r = static_cast<int>(appendFile(image, path, ext, report));
        if (results != nullptr) results->push_back(r);
    }
    EXPECT_TRUE(image.close());
    if (problems != nullptr) *problems = report.problems;
    return readBytes(imagePath);
}

Bytes appendOne(const TempDir& dir, const Bytes& content, const std::string& ext)
{
    const std::string rom = dir.file("rom.bin");
    writeBytes(rom, content);
    return appendAll(dir, {{rom, ext}});
}

}  // namespace

TEST(ProbeNesRom, ReadsMapperAndBatteryOfNesFilesAndLeavesOthersAlone)
{
    TempDir dir;
    const struct { Bytes bytes; Probe expected; } cases[] = {
        {makeInesRom(64, 0x12, 0x4F), {0, 65, 1}},  // damaged low bits of byte 7 are no mapper bits
        {makeInesRom(64, 0xF0, 0xF0), {0, 255, 0}},
        // Bytes a short file lacks count as 0.
        {{'N', 'E', 'S', 0x1A}, {0, 0, 0}},
        {{'N', 'E', 'S', 0x1A, 1, 1, 0x32}, {0, 3, 1}},
        // Other files leave the numbers alone.
        {{'n', 'e', 's', 0x1A, 0, 0, 0x12, 0x40, 0, 0}, {2, -7, -7}},
        {{}, {2, -7, -7}},
        {{'N', 'E', 'S'}, {2, -7, -7}},
    };
    for (const auto& c : cases) {
        writeBytes(dir.file("game.bin"), c.bytes);
        const Probe p = probe(dir.file("game.bin"));
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        EXPECT_EQ(p.result, c.expected.result);
        EXPECT_EQ(p.mapper, c.expected.mapper);
        EXPECT_EQ(p.battery, c.expected.battery);
    }
    const Probe missing = probe(dir.file("missing.nes"));
    EXPECT_EQ(missing.result, 1);
    EXPECT_EQ(missing.mapper, -7);
    // A folder is no NES ROM either way.
    EXPECT_NE(probe(dir.path()).result, 0);
}

namespace {

// An NES 2.0 header (byte 7 AND 0x0C equal to 0x08) with the mapper's bits
// 8 to 11 in the low half of byte 8.
Bytes nes20Rom(unsigned char byte6, unsigned char byte7, unsigned char byte8)
{
    Bytes rom = makeInesRom(48, byte6, byte7, 9);
    rom[8] = byte8;
    return rom;
}

}  // namespace

TEST(ProbeNesRom, Nes20HeadersGiveTheFullMapper)
{
    TempDir dir;
    const struct { Bytes bytes; int mapper; bool nes20; } cases[] = {
        {nes20Rom(0x12, 0x48, 0x00), 65, true},
        {nes20Rom(0x52, 0xA9, 0xF3), 0x3A5, true},   // the submapper (high half of byte 8) is no mapper bit
        {nes20Rom(0x00, 0x08, 0x0F), 0xF00, true},
        // Only 0x08 in the two format bits marks NES 2.0; byte 8 is then no mapper bit.
        {nes20Rom(0x12, 0x44, 0x0F), 65, false},
        {nes20Rom(0x12, 0x4C, 0x0F), 65, false},
        {nes20Rom(0x12, 0x40, 0x0F), 65, false},
        // A file that ends before byte 8 has no high mapper bits.
        {{'N', 'E', 'S', 0x1A, 1, 1, 0x10, 0x28}, 0x21, true},
    };
    for (const auto& c : cases) {
        writeBytes(dir.file("game.nes"), c.bytes);
        int mapper = -1;
        int battery = -1;
        bool nes20 = !c.nes20;
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        ASSERT_EQ(probeNesRom(dir.file("game.nes"), mapper, battery, &nes20), NesProbe::Nes);
        EXPECT_EQ(mapper, c.mapper);
        EXPECT_EQ(nes20, c.nes20);
    }
}

TEST(AppendFile, Nes20HeadersKeepTheirMapperBits)
{
    TempDir dir;
    const struct { unsigned char byte7; unsigned char written; } cases[] = {
        {0x48, 0x40},  // mapper 65 stays mapper 65
        {0x49, 0x40},
        {0xFA, 0xF0},
        {0x08, 0x00},  // the classic example: no mapper bits to keep
        {0x44, 0x00},  // not NES 2.0: the whole byte goes, as before
        {0x4C, 0x00},
    };
    for (const auto& c : cases) {
        Bytes rom = nes20Rom(0x12, c.byte7, 0x01);
        Bytes expected = rom;
        expected[7] = c.written;
        EXPECT_EQ(appendOne(dir, rom, "nes"), expected) << int{c.byte7};
        EXPECT_EQ(appendOne(dir, rom, "bin"), rom) << int{c.byte7};
    }
}

TEST(AppendFile, RepairsByteSevenOfNesFilesOnly)
{
    TempDir dir;
    const Bytes damaged = makeInesRom(40, 0x12, 0x44);
    for (const char* ext : {"nes", "NES", "Nes"}) EXPECT_EQ(appendOne(dir, damaged, ext), repaired(damaged)) << ext;
    for (const char* ext : {"nesx", "nes ", "ne", "bin", "???", ""}) {
        EXPECT_EQ(appendOne(dir, damaged, ext), damaged) << ext;
    }

    for (unsigned char byte7 : {0x01, 0x02, 0x04, 0x08, 0xF1}) {
        EXPECT_EQ(appendOne(dir, makeInesRom(40, 0, byte7), "nes")[7], 0x00) << int{byte7};
    }
    // Only the low four bits are a sign of damage.
    EXPECT_EQ(appendOne(dir, makeInesRom(40, 0x12, 0x40), "nes"), makeInesRom(40, 0x12, 0x40));
    EXPECT_EQ(appendOne(dir, makeInesRom(40, 0, 0x80), "nes"), makeInesRom(40, 0, 0x80));

    // A file without the magic is copied unchanged whatever its extension.
    Bytes notRom = patternBytes(40, 3);
    notRom[7] = 0x0F;
    EXPECT_EQ(appendOne(dir, notRom, "nes"), notRom);
}

TEST(AppendFile, ShortEmptyAndMissingFiles)
{
    TempDir dir;
    for (const Bytes& shortRom : {Bytes{'N', 'E', 'S', 0x1A, 0x0F}, Bytes{'N', 'E', 'S', 0x1A, 1, 1, 0x0F}}) {
        EXPECT_EQ(appendOne(dir, shortRom, "nes"), shortRom);
    }
    // Eight bytes are a whole repairable header.
    EXPECT_EQ(appendOne(dir, Bytes{'N', 'E', 'S', 0x1A, 1, 1, 0, 0x0F}, "nes"),
              (Bytes{'N', 'E', 'S', 0x1A, 1, 1, 0, 0}));

    writeBytes(dir.file("empty.nes"), Bytes{});
    writeBytes(dir.file("a.bin"), Bytes{1, 2, 3});
    writeBytes(dir.file("b.bin"), Bytes{4, 5});
    std::vector<int> results;
    std::vector<std::string> problems;
    const Bytes image = appendAll(dir,
                                  {{dir.file("a.bin"), "bin"},
                                   {dir.file("missing.nes"), "nes"},
                                   {dir.file("empty.nes"), "nes"},
                                   {dir.file("b.bin"), "bin"}},
                                  &results, &problems);
    EXPECT_EQ(problems, std::vector<std::string>{dir.file("missing.nes") + ": No such file or directory"});
    EXPECT_EQ(results, (std::vector<int>{1, 0, 1, 1}));
    EXPECT_EQ(image, (Bytes{1, 2, 3, 4, 5}));
}

TEST(AppendFile, FoldersAreNotOpenedAndTheReasonIsGiven)
{
    TempDir dir;
    OutFile image;
    ASSERT_TRUE(image.create(dir.file("image.gba")));
    CollectedReport report;
    EXPECT_EQ(appendFile(image, dir.path() + ".", "bin", report), FileAppend::NotOpened);
    EXPECT_EQ(appendFile(image, dir.file("missing"), "bin", report), FileAppend::NotOpened);
    EXPECT_EQ(report.problems, (std::vector<std::string>{dir.path() + ".: Is a directory",
                                                         dir.file("missing") + ": No such file or directory"}));
    EXPECT_TRUE(image.close());
    EXPECT_EQ(sizeOf(dir.file("image.gba")), 0);
}

TEST(FileSize, SizesAndTheReasonForTheCaller)
{
    TempDir dir;
    writeBytes(dir.file("rom.nes"), patternBytes(40977));
    writeBytes(dir.file("empty.nes"), Bytes{});

    CollectedReport report;
    EXPECT_EQ(fileSize(dir.file("rom.nes"), report), 40977);
    EXPECT_EQ(fileSize(dir.file("empty.nes"), report), 0);
    EXPECT_TRUE(report.problems.empty());

    EXPECT_EQ(fileSize(dir.file("missing.nes"), report), 0);
    EXPECT_EQ(fileSize(dir.path() + "sub/x.nes", report), 0);
    EXPECT_EQ(fileSize(dir.path(), report), 0);
    EXPECT_EQ(report.problems, (std::vector<std::string>{dir.file("missing.nes") + ": No such file or directory",
                                                         dir.path() + "sub/x.nes: No such file or directory",
                                                         dir.path() + ": Is a directory"}));

    // What the programs print: the same line on the error output.
    testing::internal::CaptureStderr();
    PrintedReport printed("romweld-cli");
    EXPECT_EQ(fileSize(dir.file("missing.nes"), printed), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "romweld-cli: " + dir.file("missing.nes") + ": No such file or directory\n");
}

namespace {

// The byte at offset i of the large test ROM (its header aside).
unsigned char largeRomByte(std::size_t i)
{
    return static_cast<unsigned char>((i * 7 + (i >> 12)) & 0xFF);
}

}  // namespace

// Past its first part the kernel copies a file (copy_file_range): what the
// stream writes next lands after it, and a file that is not the size it was
// promised to be is still caught.
TEST(CopyRomSource, KernelCopiesEndWhereTheFileEndsAndSizeChangesAreCaught)
{
    TempDir dir;
    const Bytes rom = makeInesRom(1u << 20, 0x12, 0x44);
    const std::string romPath = dir.file("big.nes");
    writeBytes(romPath, rom);
    const auto size = static_cast<std::int64_t>(rom.size());
    for (const std::int64_t promised : {size - 1, size, size + 1}) {
        const std::string imagePath = dir.file("image.gba");
        OutFile image;
        ASSERT_TRUE(image.create(imagePath));
        RomSource source(romPath);
        std::vector<char> buffer;
        const int err = copyRomSource(image, source, promised, "nes", buffer);
        image.write("END", 3);
        ASSERT_TRUE(image.close());
        if (promised != size) {
            EXPECT_EQ(err, FILE_CHANGED) << promised;
            continue;
        }
        EXPECT_EQ(err, 0);
        Bytes expected = repaired(rom);
        expected.insert(expected.end(), {'E', 'N', 'D'});
        EXPECT_TRUE(readBytes(imagePath) == expected);
    }
}

TEST(AppendFile, CopiesA32MiBFileWithMemoryThatDoesNotGrowWithIt)
{
    constexpr std::size_t size = 32u << 20;
    constexpr std::size_t chunk = 1u << 16;
    TempDir dir;
    const std::string romPath = dir.file("large.nes");
    {
        // Written in small pieces, so that making the file costs no memory.
        std::FILE* f = std::fopen(romPath.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        Bytes piece(chunk);
        for (std::size_t at = 0; at < size; at += chunk) {
            for (std::size_t k = 0; k < chunk; ++k) piece[k] = largeRomByte(at + k);
            if (at == 0) {
                const Bytes header = makeInesRom(16, 0x12, 0x4F);
                std::copy(header.begin(), header.end(), piece.begin());
            }
            ASSERT_EQ(std::fwrite(piece.data(), 1, piece.size(), f), piece.size());
        }
        ASSERT_EQ(std::fclose(f), 0);
    }

    const std::string imagePath = dir.file("image.gba");
    resetPeakMemory();
    const long before = maxRssKiB();
    {
        OutFile image;
        ASSERT_TRUE(image.create(imagePath));
        CollectedReport report;
        ASSERT_EQ(appendFile(image, romPath, "nes", report), FileAppend::Copied);
        ASSERT_TRUE(image.close());
    }
    const long grown = maxRssKiB() - before;

    ASSERT_EQ(sizeOf(imagePath), static_cast<std::int64_t>(size));
    std::FILE* f = std::fopen(imagePath.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    Bytes piece(chunk);
    std::size_t mismatches = 0;
    for (std::size_t at = 0; at < size; at += chunk) {
        ASSERT_EQ(std::fread(piece.data(), 1, chunk, f), chunk);
        for (std::size_t k = at == 0 ? 16 : 0; k < chunk; ++k) mismatches += piece[k] != largeRomByte(at + k);
        if (at == 0) {
            EXPECT_EQ(piece[6], 0x12);
            EXPECT_EQ(piece[7], 0x00);
        }
    }
    std::fclose(f);
    EXPECT_EQ(mismatches, 0u);

#ifdef ROMWELD_TEST_SANITIZED
    (void)grown;
    GTEST_SKIP() << "memory is not measured under the sanitizers";
#else
    EXPECT_LT(grown, 4 * 1024) << "peak memory grew by " << grown << " KiB while copying 32 MiB";
#endif
}
