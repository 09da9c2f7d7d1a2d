// SPDX-License-Identifier: GPL-3.0-or-later
#include "packed_image.h"

#include "packed_test_support.h"

#include <gtest/gtest.h>

namespace {

// Save data that compress well: a block of 256 bytes repeated.
Bytes repetitiveSave(std::size_t size, unsigned seed)
{
    const Bytes block = patternBytes(256, seed);
    Bytes data(size);
    for (std::size_t i = 0; i < size; ++i) data[i] = block[i % 256];
    return data;
}

struct SvRecord {
    Bytes data;
    std::string title;
    std::uint32_t romChecksum;
};

// A new image: the configuration record PocketNES keeps first, then the end.
std::unique_ptr<PackedSaveImage> newPacked()
{
    auto image = blankPacked();
    newPackedImage(*image, 65536);
    return image;
}

// A chain of battery saves by hand: the configuration record, the records
// one after another, then the end of the chain, 00 00 00 00 FF FF FF FF.
Bytes chainOf(const std::vector<SvRecord>& records)
{
    auto image = blankPacked();
    std::size_t at = putConfig(*image, 4, 0, 0x03);
    for (const SvRecord& r : records) at = putCompressedRecord(*image, at, r.data, r.title, RECORD_SV, r.romChecksum);
    putEnd(*image, at);
    return imageBytes(*image);
}

// An image whose chain uses exactly `used` bytes: the configuration record
// and records of type ST.
std::unique_ptr<PackedSaveImage> imageUsing(std::size_t used)
{
    auto image = blankPacked();
    std::size_t at = putConfig(*image, 4, 0);
    used -= 48;
    while (used >= 2 * 6000) {
        at = putRecord(*image, at, 6000, RECORD_ST, "filler");
        used -= 6000;
    }
    at = putRecord(*image, at, static_cast<std::uint16_t>(used), RECORD_ST, "last");
    putEnd(*image, at);
    return image;
}

}  // namespace

TEST(StorePackedSave, AppendsACompressedBatterySave)
{
    TempDir dir;
    const Bytes save = saveData(2000, 4);
    writeBytes(dir.file("Metroid.sav"), save);
    auto image = newPacked();
    ASSERT_EQ(storePackedSave(dir.file("Metroid.sav"), *image, PACKED_APPEND, 0xCAFEF00D), SaveCode::Done);

    // One RECORD_SV after the configuration record: LZO1X-1 data behind its
    // header (the save's size at offset 4, word 8 zero, the ROM checksum, the
    // title NUL-padded), then the end of the chain, 00 00 00 00 FF FF FF FF.
    EXPECT_EQ(imageBytes(*image), chainOf({{save, "Metroid", 0xCAFEF00D}}));
    EXPECT_EQ(unpackRecord(*image, packedRecords(*image).at(1).offset), save);

    // What it wrote reads back as a valid image.
    ASSERT_EQ(writePackedImage(dir.file("image.sav"), *image), SaveCode::Done);
    EXPECT_EQ(readPackedImage(dir.file("image.sav"), *blankPacked()), SaveCode::Done);

    // An index just past the records appends as well; so does a negative one.
    auto other = newPacked();
    ASSERT_EQ(storePackedSave(dir.file("Metroid.sav"), *other, 1, 0xCAFEF00D), SaveCode::Done);
    EXPECT_EQ(imageBytes(*other), imageBytes(*image));
    ASSERT_EQ(storePackedSave(dir.file("Metroid.sav"), *other, -1, 1), SaveCode::Done);
    EXPECT_EQ(packedRecords(*other).size(), 3u);
}

TEST(StorePackedSave, SavesRoundTripThroughExtract)
{
    TempDir dir;
    // Full size, full size that does not compress at all, and 2000 bytes
    // that come back as exactly 2000.
    for (const Bytes& save : {saveData(8192, 1), patternBytes(8192, 2), saveData(2000, 9)}) {
        writeBytes(dir.file("game.sav"), save);
        auto image = newPacked();
        ASSERT_EQ(storePackedSave(dir.file("game.sav"), *image, PACKED_APPEND, 0), SaveCode::Done);
        ASSERT_EQ(extractPackedSave(dir.file("back.sav"), *image, 1), SaveCode::Done);
        EXPECT_EQ(readBytes(dir.file("back.sav")), save) << save.size();
    }
}

TEST(StorePackedSave, ReplacesTheRecordAtTheIndexAndMovesTheRest)
{
    TempDir dir;
    const Bytes a = saveData(3000, 1), b = saveData(500, 2), c = saveData(1200, 3), d = saveData(6000, 4);
    auto image = newPacked();
    std::uint32_t game = 7;
    for (const auto& [name, data] : {std::pair{"A.sav", a}, {"B.sav", b}, {"C.sav", c}}) {
        writeBytes(dir.file(name), data);
        ASSERT_EQ(storePackedSave(dir.file(name), *image, PACKED_APPEND, game++), SaveCode::Done);
    }
    EXPECT_EQ(imageBytes(*image), chainOf({{a, "A", 7}, {b, "B", 8}, {c, "C", 9}}));

    // The first stays where it was, the new record follows it, and the old
    // third follows the new one.
    writeBytes(dir.file("D.sav"), d);
    ASSERT_EQ(storePackedSave(dir.file("D.sav"), *image, 2, 10), SaveCode::Done);
    EXPECT_EQ(imageBytes(*image), chainOf({{a, "A", 7}, {d, "D", 10}, {c, "C", 9}}));

    // Any record type is replaced; an index past the end appends.
    auto typed = newPacked();
    putEnd(*typed, putRecord(*typed, 52, 64, RECORD_ST, "state"));
    ASSERT_EQ(storePackedSave(dir.file("B.sav"), *typed, 1, 0), SaveCode::Done);
    ASSERT_EQ(packedRecords(*typed).size(), 2u);
    EXPECT_EQ(packedRecords(*typed)[1].type, RECORD_SV);
    ASSERT_EQ(storePackedSave(dir.file("B.sav"), *typed, 2, 1), SaveCode::Done);
    EXPECT_EQ(packedRecords(*typed).size(), 3u);
}

TEST(StorePackedSave, RefusesWhatWouldNotFitAndLeavesTheImageAlone)
{
    TempDir dir;
    writeBytes(dir.file("six.sav"), Bytes(6000, 0));
    // The room is what the record really takes, compressed: here 6000 bytes
    // that do not compress. The chain's 8 end bytes stay below the live area
    // at 57344.
    const Bytes noise = patternBytes(6000, 3);
    writeBytes(dir.file("noise.sav"), noise);
    const std::size_t record = recordSizeFor(noise);
    for (std::size_t tooMany : {0u, 4u}) {
        auto full = imageUsing(57344 - 4 - 8 - record + tooMany);
        const Bytes before = imageBytes(*full);
        const SaveResult room = storePackedSave(dir.file("noise.sav"), *full, PACKED_APPEND, 0);
        EXPECT_EQ(room, tooMany ? SaveCode::NoRoom : SaveCode::Done);
        if (tooMany != 0) {
            EXPECT_EQ(imageBytes(*full), before);
            EXPECT_EQ(room.bytes, static_cast<std::int64_t>(record));
            EXPECT_EQ(room.available, static_cast<std::int64_t>(record - tooMany));
            // Replacing a record frees its size for the check.
            EXPECT_EQ(storePackedSave(dir.file("noise.sav"), *full, 1, 0), SaveCode::Done);
        }
    }

    // Bad ".sav" files and damaged chains change nothing either.
    auto image = blankPacked();
    writeBytes(dir.file("empty.sav"), Bytes());
    writeBytes(dir.file("big.sav"), Bytes(8193, 1));
    for (const auto& [name, code] : {std::pair{"missing.sav", SaveCode::Missing}, {"empty.sav", SaveCode::Missing},
                                     {"big.sav", SaveCode::SavTooLarge}}) {
        EXPECT_EQ(storePackedSave(dir.file(name), *image, PACKED_APPEND, 0), code) << name;
    }
    EXPECT_EQ(imageBytes(*image), imageBytes(*blankPacked()));
    putRecord(*image, 4, 65531, RECORD_SV);  // no room left for the end
    const Bytes damaged = imageBytes(*image);
    EXPECT_EQ(storePackedSave(dir.file("six.sav"), *image, PACKED_APPEND, 0), SaveCode::NoRoom);
    EXPECT_EQ(storePackedSave(dir.file("six.sav"), *image, 0, 0), SaveCode::NoRoom);
    EXPECT_EQ(imageBytes(*image), damaged);
}

TEST(ExtractPackedSave, ReportsMissingAndDamagedRecordsWithoutAFile)
{
    TempDir dir;
    const Bytes save = saveData(4000, 5);
    auto image = blankPacked();
    std::size_t at = putCompressedRecord(*image, 4, save, "good");
    const std::size_t damagedAt = at;
    at = putCompressedRecord(*image, at, save, "damaged");
    at = putCompressedRecord(*image, at, saveData(9000, 6), "too big");
    putEnd(*image, at);
    // Overwrite the middle of the second record's data with garbage.
    for (std::size_t i = damagedAt + 60; i < damagedAt + 200; ++i) (*image)[i] = 0xFF;

    const std::string out = dir.file("out.sav");
    EXPECT_EQ(extractPackedSave(out, *image, 3), SaveCode::NoSuchLine);
    EXPECT_EQ(extractPackedSave(out, *image, -1), SaveCode::NoSuchLine);
    EXPECT_EQ(extractPackedSave(out, *image, 1), SaveCode::Damaged);
    EXPECT_EQ(extractPackedSave(out, *image, 2), SaveCode::Damaged);
    EXPECT_FALSE(fileExists(out));

    // A record size that stops short of the data is damage too; the length
    // at offset 4 is not looked at, as PocketNES reads the data's length
    // from the record size.
    for (const auto& [field, code] : {std::pair{4u, SaveCode::Damaged}, {4u + 4u, SaveCode::Done}}) {
        auto cut = blankPacked();
        putEnd(*cut, putCompressedRecord(*cut, 4, save, "cut"));
        putLe32(cut->data() + 4 + 4, static_cast<std::uint32_t>(lzoCompress(save).size()));
        putLe16(cut->data() + field, static_cast<std::uint16_t>(getLe16(cut->data() + field) - 12));
        EXPECT_EQ(extractPackedSave(out, *cut, 0), code) << "field at " << field;
    }

    // An existing file survives a failed extraction untouched.
    writeBytes(out, Bytes{1, 2, 3});
    EXPECT_EQ(extractPackedSave(out, *image, 1), SaveCode::Damaged);
    EXPECT_EQ(readBytes(out), (Bytes{1, 2, 3}));
    ASSERT_EQ(extractPackedSave(out, *image, 0), SaveCode::Done);
    EXPECT_EQ(readBytes(out), save);
    EXPECT_EQ(extractPackedSave(dir.file("no/folder.sav"), *image, 0), SaveCode::WriteFailed);
}

TEST(ExtractPackedSave, ReadsRecordsThatStoreTheUncompressedSize)
{
    // PocketNES puts the save's own size at offset 4; the data still end
    // where the compressed stream ends, inside the record. This save packs
    // to 315 bytes, so the record holds a byte after the stream.
    TempDir dir;
    const Bytes save = repetitiveSave(8191, 8);
    ASSERT_EQ(lzoCompress(save).size() % 4, 3u);
    auto image = blankPacked();
    std::size_t at = putCompressedRecord(*image, 4, save, "other");
    putLe32(image->data() + 4 + 4, 8191);
    at = putCompressedRecord(*image, at, save, "huge length");
    putEnd(*image, at);
    const std::size_t second = packedRecords(*image)[1].offset;
    putLe32(image->data() + second + 4, 0xFFFFFFFF);

    ASSERT_EQ(extractPackedSave(dir.file("a.sav"), *image, 0), SaveCode::Done);
    EXPECT_EQ(readBytes(dir.file("a.sav")), save);
    ASSERT_EQ(extractPackedSave(dir.file("b.sav"), *image, 1), SaveCode::Done);
    EXPECT_EQ(readBytes(dir.file("b.sav")), save);

    // The last record of a full image: its data may not be read past 65536.
    auto full = blankPacked();
    const Bytes packed = lzoCompress(save);
    const std::size_t lastAt = 65536 - 2 - ((packed.size() + 51) & ~std::size_t{3});
    putRecord(*full, 4, static_cast<std::uint16_t>(lastAt - 4), RECORD_PLAIN);
    putCompressedRecord(*full, lastAt, save, "last");
    putLe32(full->data() + lastAt + 4, 0xFFFFFFFF);
    ASSERT_EQ(extractPackedSave(dir.file("c.sav"), *full, 1), SaveCode::Done);
    EXPECT_EQ(readBytes(dir.file("c.sav")), save);
}

TEST(DeletePackedRecord, ClosesTheGapAndEndsTheChain)
{
    TempDir dir;
    writeBytes(dir.file("only.sav"), saveData(1000, 1));
    auto image = newPacked();
    ASSERT_EQ(storePackedSave(dir.file("only.sav"), *image, PACKED_APPEND, 0), SaveCode::Done);
    EXPECT_EQ(deletePackedRecord(*image, 1), SaveCode::Done);
    const Bytes fresh = imageBytes(*newPacked());
    EXPECT_EQ(Bytes(image->begin(), image->begin() + 60), Bytes(fresh.begin(), fresh.begin() + 60));
    auto only = blankPacked();
    putEnd(*only, putCompressedRecord(*only, 4, saveData(1000, 1), "only"));
    EXPECT_EQ(deletePackedRecord(*only, 0), SaveCode::Done);
    EXPECT_EQ(Bytes(only->begin() + 4, only->begin() + 12), (Bytes{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));

    auto three = blankPacked();
    std::size_t at = putRecord(*three, 4, 48, RECORD_ST, "one");
    at = putRecord(*three, at, 96, RECORD_SV, "two");
    putEnd(*three, putRecord(*three, at, 52, RECORD_PLAIN, "three"));
    // The third record moves from 148 to 52 and the end follows it at 104;
    // what lies behind the new end stays.
    auto expected = packedFrom(*three);
    std::copy(three->begin() + 148, three->begin() + 200, expected->begin() + 52);
    putEnd(*expected, 104);
    EXPECT_EQ(deletePackedRecord(*three, 1), SaveCode::Done);
    EXPECT_EQ(imageBytes(*three), imageBytes(*expected));

    // No record at the index: nothing changes.
    EXPECT_EQ(deletePackedRecord(*three, 2), SaveCode::Done);
    EXPECT_EQ(deletePackedRecord(*three, PACKED_APPEND), SaveCode::Done);
    EXPECT_EQ(deletePackedRecord(*three, -3), SaveCode::Done);
    EXPECT_EQ(imageBytes(*three), imageBytes(*expected));
}
