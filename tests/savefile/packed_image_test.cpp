// SPDX-License-Identifier: GPL-3.0-or-later
#include "packed_image.h"

#include "packed_test_support.h"
#include "save_image_bytes.h"

#include <gtest/gtest.h>

namespace {

// Writes image to path and reads it back; the image afterwards is checked
// by the caller.
SaveResult writeAndRead(const std::string& path, PackedSaveImage& image)
{
    writeBytes(path, imageBytes(image));
    return readPackedImage(path, image);
}

// D7 31 A7 57 and 65532 zero bytes.
Bytes blankBytes()
{
    Bytes b = {0xD7, 0x31, 0xA7, 0x57};
    b.resize(65536, 0);
    return b;
}

}  // namespace

TEST(PackedImageRead, AcceptsBlankImagesAndWholeChains)
{
    TempDir dir;
    auto image = blankPacked();
    EXPECT_EQ(imageBytes(*image), blankBytes());
    EXPECT_EQ(writeAndRead(dir.file("blank.sav"), *image), SaveCode::Done);
    EXPECT_TRUE(packedRecords(*image).empty());

    std::size_t at = putRecord(*image, 4, 52, RECORD_ST, "State", 4, 0x11111111);
    at = putRecord(*image, at, 48, RECORD_SV, std::string(32, 'T'), 0, 0x22222222);
    putRecord(*image, at, 100, RECORD_PLAIN, "Plain", 52);
    EXPECT_EQ(writeAndRead(dir.file("three.sav"), *image), SaveCode::Done);
    const auto records = packedRecords(*image);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].offset, 4u);
    EXPECT_EQ(records[0].type, RECORD_ST);
    EXPECT_EQ(records[0].size, 52);
    EXPECT_EQ(records[0].lengthField, 4u);
    EXPECT_EQ(records[0].romChecksum, 0x11111111u);
    EXPECT_EQ(records[0].title, "State");
    EXPECT_EQ(records[1].offset, 56u);
    EXPECT_EQ(records[1].title, std::string(32, 'T'));  // a full field has no NUL
    EXPECT_EQ(records[2].type, RECORD_PLAIN);

    // A chain that ends with its zero size in the last two bytes is whole.
    auto full = blankPacked();
    putRecord(*full, 4, 65530, RECORD_SV);
    EXPECT_EQ(writeAndRead(dir.file("full.sav"), *full), SaveCode::Done);
    EXPECT_EQ(packedRecords(*full).size(), 1u);
}

TEST(PackedImageRead, RejectsMissingMissizedAndForeignFiles)
{
    TempDir dir;
    Bytes shortFile = blankBytes();
    shortFile.pop_back();
    auto typed = blankPacked();
    putRecord(*typed, putRecord(*typed, 4, 48, RECORD_SV), 48, 4);
    const struct {
        const char* name;
        Bytes contents;
        SaveCode code;
    } cases[] = {
        {"empty.sav", Bytes(), SaveCode::Missing},
        {"short.sav", shortFile, SaveCode::NotASave},
        {"zeros.sav", Bytes(65536, 0), SaveCode::NotASave},  // an empty chain, but no magic
        {"kvl.sav", SaveImageBytes().bytes(), SaveCode::NotASave},  // the other layout has another magic
        {"type4.sav", imageBytes(*typed), SaveCode::NotASave},
    };
    auto image = blankPacked();
    for (const auto& c : cases) {
        writeBytes(dir.file(c.name), c.contents);
        image->bytes.fill(1);
        EXPECT_EQ(readPackedImage(dir.file(c.name), *image), c.code) << c.name;
        EXPECT_EQ(imageBytes(*image), blankBytes()) << c.name;
    }
    image->bytes.fill(1);
    EXPECT_EQ(readPackedImage(dir.file("missing.sav"), *image), SaveCode::Missing);
    EXPECT_EQ(imageBytes(*image), blankBytes());
}

TEST(PackedImageRead, RejectsDamagedChainsWithoutLeavingTheImage)
{
    TempDir dir;
    struct Case {
        const char* name;
        void (*build)(PackedSaveImage&);
        std::size_t wholeRecords;  // what a walk of the damaged chain lists
    };
    const Case cases[] = {
        {"smaller than its header", [](PackedSaveImage& im) { putRecord(im, 4, 47, RECORD_SV); }, 0},
        {"size of 4", [](PackedSaveImage& im) { putRecord(im, putRecord(im, 4, 48, RECORD_ST), 4, RECORD_SV); }, 1},
        {"runs past the end", [](PackedSaveImage& im) { putRecord(im, 4, 65533, RECORD_SV); }, 0},
        {"largest size", [](PackedSaveImage& im) { putRecord(im, putRecord(im, 4, 100, RECORD_SV), 65535, RECORD_SV); }, 1},
        {"fills the image without an end", [](PackedSaveImage& im) { putRecord(im, 4, 65532, RECORD_SV); }, 1},
        {"one byte left for the end", [](PackedSaveImage& im) { putRecord(im, 4, 65531, RECORD_SV); }, 1},
        {"no end among many records",
         [](PackedSaveImage& im) {
             std::size_t at = 4;
             while (65536 - at >= 120) at = putRecord(im, at, 60, RECORD_PLAIN);
             putRecord(im, at, static_cast<std::uint16_t>(65536 - at), RECORD_PLAIN);
         },
         1092},
    };
    for (const Case& c : cases) {
        auto image = blankPacked();
        c.build(*image);
        EXPECT_EQ(packedRecords(*image).size(), c.wholeRecords) << c.name;
        EXPECT_EQ(writeAndRead(dir.file("damaged.sav"), *image), SaveCode::NotASave) << c.name;
        EXPECT_EQ(imageBytes(*image), blankBytes()) << c.name;
    }
}

TEST(PackedImageWrite, WritesAllBytesWithTheMagic)
{
    TempDir dir;
    auto image = blankPacked();
    putRecord(*image, 4, 48, RECORD_SV, "Game");
    (*image)[40000] = 0x77;  // after the chain: kept as it is
    putLe32(image->data(), 0);
    const std::string path = dir.file("out.sav");
    ASSERT_EQ(writePackedImage(path, *image), SaveCode::Done);
    const Bytes written = readBytes(path);
    EXPECT_EQ(written, imageBytes(*image));
    EXPECT_EQ(getLe32(written.data()), PACKED_IMAGE_MAGIC);
    auto again = blankPacked();
    ASSERT_EQ(readPackedImage(path, *again), SaveCode::Done);
    ASSERT_EQ(writePackedImage(dir.file("copy.sav"), *again), SaveCode::Done);
    EXPECT_EQ(readBytes(dir.file("copy.sav")), written);
    EXPECT_EQ(writePackedImage(dir.file("none/out.sav"), *image), SaveCode::WriteFailed);
}

TEST(RomChecksum, SumsOneWordInEvery128Bytes)
{
    Bytes rom(16400, 0);
    EXPECT_EQ(romChecksum(rom.data(), rom.size()), 0u);
    rom[16 + 128 * 5] = 1;
    EXPECT_EQ(romChecksum(rom.data(), rom.size()), 1u);
    rom[17 + 128 * 5] = 1;  // little-endian: the second byte weighs 256
    EXPECT_EQ(romChecksum(rom.data(), rom.size()), 257u);
    rom[15] = 0xFF;          // the iNES header is not sampled
    rom[16 + 128 * 5 + 4] = 0xFF;  // nor the bytes between the words
    EXPECT_EQ(romChecksum(rom.data(), rom.size()), 257u);
    putLe32(rom.data() + 16, 0xFFFFFFFF);  // the sum wraps at 2^32
    EXPECT_EQ(romChecksum(rom.data(), rom.size()), 256u);
    putLe32(rom.data() + 16272, 2);  // the last word read
    EXPECT_EQ(romChecksum(rom.data(), rom.size()), 258u);
    // A buffer shorter than the sampled words is read only as far as it goes.
    EXPECT_EQ(romChecksum(rom.data(), 20), 0xFFFFFFFFu);

    // With a trainer (byte 6 bit 2) the words lie behind its 512 bytes.
    Bytes trained(16 + 512 + 16384, 0);
    trained[6] = 0x04;
    trained[16] = 0xFF;  // the trainer is not sampled
    trained[16 + 512] = 3;
    trained[16 + 512 + 128 * 127] = 4;
    EXPECT_EQ(romChecksum(trained.data(), trained.size()), 7u);

    TempDir dir;
    std::uint32_t sum = 99;
    writeBytes(dir.file("small.nes"), makeInesRom(16383));
    EXPECT_EQ(romFileChecksum(dir.file("small.nes"), sum), SaveCode::RomTooSmall);
    EXPECT_EQ(romFileChecksum(dir.file("missing.nes"), sum), SaveCode::RomTooSmall);
    EXPECT_EQ(sum, 99u);
    for (std::size_t size : {16384u, 16400u, 262160u}) {
        const Bytes whole = makeInesRom(size, 0, 0, static_cast<unsigned>(size));
        writeBytes(dir.file("game.nes"), whole);
        ASSERT_EQ(romFileChecksum(dir.file("game.nes"), sum), SaveCode::Done) << size;
        EXPECT_EQ(sum, romChecksum(whole.data(), whole.size())) << size;
    }
    // Such a ROM must hold its 16384 bytes after the trainer.
    for (std::size_t size : {16911u, 16912u, 40976u}) {
        const Bytes rom = makeInesRom(size, 0x06, 0, static_cast<unsigned>(size));
        writeBytes(dir.file("trainer.nes"), rom);
        sum = 99;
        ASSERT_EQ(romFileChecksum(dir.file("trainer.nes"), sum), size < 16912 ? SaveCode::RomTooSmall : SaveCode::Done) << size;
        std::uint32_t expected = 0;
        for (std::size_t k = 0; k < 128; ++k) expected += getLe32(rom.data() + 16 + 512 + 128 * k);
        EXPECT_EQ(sum, size < 16912 ? 99u : expected) << size;
    }
}

TEST(PackedTitle, StoresWholeCharactersPaddedWithNuls)
{
    auto image = blankPacked();
    std::size_t at = putRecord(*image, 4, 48, RECORD_ST, "First");
    putRecord(*image, at, 48, RECORD_SV, std::string(32, 'X'));
    EXPECT_EQ(setPackedTitle(*image, 2, "None"), SaveCode::NoSuchLine);
    EXPECT_EQ(setPackedTitle(*image, -1, "None"), SaveCode::NoSuchLine);

    ASSERT_EQ(setPackedTitle(*image, 1, "Zelda"), SaveCode::Done);
    const unsigned char* field = image->data() + at + 16;
    Bytes expected(32, 0);
    std::copy_n("Zelda", 5, expected.begin());
    EXPECT_EQ(Bytes(field, field + 32), expected);

    // 'A' and fifteen あ take 31 bytes; a sixteenth would split at byte 31.
    std::string title = "A";
    for (int i = 0; i < 16; ++i) title += "\x82\xA0";
    ASSERT_EQ(setPackedTitle(*image, 1, title), SaveCode::Done);
    EXPECT_EQ(packedRecords(*image)[1].title, title.substr(0, 31));
    EXPECT_EQ(field[31], 0);
    EXPECT_EQ(packedRecords(*image)[0].title, "First");
}
