#include "packed_image.h"

#include "packed_test_support.h"

#include <gtest/gtest.h>

namespace {

// Save data that compresses somewhat, like real battery memory.
Bytes saveData(std::size_t size, unsigned seed)
{
    Bytes data = patternBytes(size, seed);
    for (std::size_t i = 0; i < size; i += 3) data[i] = 0;
    return data;
}

// Save data that compress well: a block of 256 bytes repeated.
Bytes repetitiveSave(std::size_t size, unsigned seed)
{
    const Bytes block = patternBytes(256, seed);
    Bytes data(size);
    for (std::size_t i = 0; i < size; ++i) data[i] = block[i % 256];
    return data;
}

Bytes recordBytes(const PackedSaveImage& image, const PackedRecordInfo& r)
{
    return Bytes(image.begin() + static_cast<long>(r.offset),
                 image.begin() + static_cast<long>(r.offset + r.size));
}

Bytes decompressRecord(const PackedSaveImage& image, const PackedRecordInfo& r, int& rc)
{
    return lzoDecompress(image.data() + r.offset + 48, r.compressedLength, 65536, rc);
}

// An image whose chain uses exactly `used` bytes in records of type ST.
std::unique_ptr<PackedSaveImage> imageUsing(std::size_t used)
{
    auto image = blankPacked();
    std::size_t at = 4;
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
    auto image = blankPacked();
    ASSERT_EQ(storePackedSave(dir.file("Metroid.sav"), *image, PACKED_APPEND, 0xCAFEF00D), 0);

    const auto records = packedRecords(*image);
    ASSERT_EQ(records.size(), 1u);
    const PackedRecordInfo& r = records[0];
    EXPECT_EQ(r.offset, 4u);
    EXPECT_EQ(r.type, RECORD_SV);
    EXPECT_EQ(r.size, (48 + r.compressedLength + 3) / 4 * 4);
    EXPECT_EQ(getLe32(image->data() + 4 + 8), 0u);
    EXPECT_EQ(r.romChecksum, 0xCAFEF00Du);
    EXPECT_EQ(r.title, "Metroid");
    const unsigned char* field = image->data() + 4 + 16;
    EXPECT_TRUE(std::all_of(field + 7, field + 32, [](unsigned char c) { return c == 0; }));
    const unsigned char* end = image->data() + 4 + r.size;
    EXPECT_EQ(Bytes(end, end + 8), (Bytes{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    int rc = 0;
    EXPECT_EQ(decompressRecord(*image, r, rc), save);
    EXPECT_EQ(rc, LZO_E_OK);

    // What it wrote reads back as a valid image.
    ASSERT_EQ(writePackedImage(dir.file("image.sav"), *image), 0);
    auto again = blankPacked();
    EXPECT_EQ(readPackedImage(dir.file("image.sav"), *again), 0);

    // Index 0 of an empty chain appends as well; so does a negative one.
    auto other = blankPacked();
    ASSERT_EQ(storePackedSave(dir.file("Metroid.sav"), *other, 0, 0xCAFEF00D), 0);
    EXPECT_EQ(imageBytes(*other), imageBytes(*image));
    ASSERT_EQ(storePackedSave(dir.file("Metroid.sav"), *other, -1, 1), 0);
    EXPECT_EQ(packedRecords(*other).size(), 2u);
}

TEST(StorePackedSave, FullSizeSavesRoundTripThroughExtract)
{
    TempDir dir;
    for (unsigned seed : {1u, 2u}) {
        // Seed 2 keeps the raw pattern: data that does not compress at all.
        const Bytes save = seed == 1 ? saveData(8192, seed) : patternBytes(8192, seed);
        writeBytes(dir.file("full.sav"), save);
        auto image = blankPacked();
        ASSERT_EQ(storePackedSave(dir.file("full.sav"), *image, PACKED_APPEND, seed), 0);
        ASSERT_EQ(extractPackedSave(dir.file("back.sav"), *image, 0), 0);
        EXPECT_EQ(readBytes(dir.file("back.sav")), save) << seed;
    }
    const Bytes small = saveData(2000, 9);
    writeBytes(dir.file("small.sav"), small);
    auto image = blankPacked();
    ASSERT_EQ(storePackedSave(dir.file("small.sav"), *image, PACKED_APPEND, 0), 0);
    ASSERT_EQ(extractPackedSave(dir.file("back.sav"), *image, 0), 0);
    EXPECT_EQ(readBytes(dir.file("back.sav")), small);  // exactly 2000 bytes
}

TEST(StorePackedSave, ReplacesTheRecordAtTheIndexAndMovesTheRest)
{
    TempDir dir;
    writeBytes(dir.file("A.sav"), saveData(3000, 1));
    writeBytes(dir.file("B.sav"), saveData(500, 2));
    writeBytes(dir.file("C.sav"), saveData(1200, 3));
    const Bytes d = saveData(6000, 4);
    writeBytes(dir.file("D.sav"), d);
    auto image = blankPacked();
    for (const char* name : {"A.sav", "B.sav", "C.sav"}) {
        ASSERT_EQ(storePackedSave(dir.file(name), *image, PACKED_APPEND, 7), 0);
    }
    const auto before = packedRecords(*image);
    ASSERT_EQ(before.size(), 3u);
    const Bytes first = recordBytes(*image, before[0]);
    const Bytes third = recordBytes(*image, before[2]);

    ASSERT_EQ(storePackedSave(dir.file("D.sav"), *image, 1, 8), 0);
    const auto after = packedRecords(*image);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0].offset, 4u);
    EXPECT_EQ(recordBytes(*image, after[0]), first);
    EXPECT_EQ(after[1].offset, 4u + after[0].size);
    EXPECT_EQ(after[1].title, "D");
    EXPECT_EQ(after[1].romChecksum, 8u);
    EXPECT_EQ(after[2].offset, after[1].offset + after[1].size);
    EXPECT_EQ(recordBytes(*image, after[2]), third);
    int rc = 0;
    EXPECT_EQ(decompressRecord(*image, after[1], rc), d);
    const unsigned char* end = image->data() + after[2].offset + after[2].size;
    EXPECT_EQ(getLe32(end), 0u);
    EXPECT_EQ(getLe32(end + 4), 0xFFFFFFFFu);

    // Any record type is replaced; an index past the end appends.
    auto typed = blankPacked();
    putEnd(*typed, putRecord(*typed, 4, 64, RECORD_ST, "state"));
    ASSERT_EQ(storePackedSave(dir.file("B.sav"), *typed, 0, 0), 0);
    ASSERT_EQ(packedRecords(*typed).size(), 1u);
    EXPECT_EQ(packedRecords(*typed)[0].type, RECORD_SV);
    ASSERT_EQ(storePackedSave(dir.file("B.sav"), *typed, 1, 0), 0);
    EXPECT_EQ(packedRecords(*typed).size(), 2u);
}

TEST(StorePackedSave, RefusesWhatWouldNotFitAndLeavesTheImageAlone)
{
    TempDir dir;
    writeBytes(dir.file("six.sav"), Bytes(6000, 0));
    // 6000 + 93 + 60000 + 115 = 66208: more than the image holds.
    auto full = imageUsing(60000);
    const Bytes before = imageBytes(*full);
    EXPECT_EQ(storePackedSave(dir.file("six.sav"), *full, PACKED_APPEND, 0), 5);
    EXPECT_EQ(imageBytes(*full), before);
    // Replacing a record frees its size for the check.
    EXPECT_EQ(storePackedSave(dir.file("six.sav"), *full, 0, 0), 0);

    // Exactly 65536 by the estimate still fits.
    auto edge = imageUsing(65536 - 6000 - 93 - 115);
    const std::size_t edgeRecords = packedRecords(*edge).size();
    EXPECT_EQ(storePackedSave(dir.file("six.sav"), *edge, PACKED_APPEND, 0), 0);
    EXPECT_EQ(packedRecords(*edge).size(), edgeRecords + 1);
    auto over = imageUsing(65536 - 6000 - 93 - 115 + 1);
    EXPECT_EQ(storePackedSave(dir.file("six.sav"), *over, PACKED_APPEND, 0), 5);

    // Bad ".sav" files and damaged chains change nothing either.
    auto image = blankPacked();
    writeBytes(dir.file("empty.sav"), Bytes());
    writeBytes(dir.file("big.sav"), Bytes(8193, 1));
    EXPECT_EQ(storePackedSave(dir.file("missing.sav"), *image, PACKED_APPEND, 0), 1);
    EXPECT_EQ(storePackedSave(dir.file("empty.sav"), *image, PACKED_APPEND, 0), 1);
    EXPECT_EQ(storePackedSave(dir.file("big.sav"), *image, PACKED_APPEND, 0), 2);
    EXPECT_EQ(imageBytes(*image), imageBytes(*blankPacked()));
    putRecord(*image, 4, 65531, RECORD_SV);  // no room left for the end
    const Bytes damaged = imageBytes(*image);
    EXPECT_EQ(storePackedSave(dir.file("six.sav"), *image, PACKED_APPEND, 0), 5);
    EXPECT_EQ(storePackedSave(dir.file("six.sav"), *image, 0, 0), 5);
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
    at = putCompressedRecord(*image, at, saveData(9000, 6), "too big", RECORD_ST);
    putEnd(*image, at);
    // Overwrite the middle of the second record's data with garbage.
    for (std::size_t i = damagedAt + 60; i < damagedAt + 200; ++i) (*image)[i] = 0xFF;

    const std::string out = dir.file("out.sav");
    EXPECT_EQ(extractPackedSave(out, *image, 3), 1);
    EXPECT_EQ(extractPackedSave(out, *image, -1), 1);
    EXPECT_EQ(extractPackedSave(out, *image, 1), 4);
    EXPECT_EQ(extractPackedSave(out, *image, 2), 4);
    EXPECT_FALSE(fileExists(out));

    // A length at offset 4 that stops short of the data is damage too.
    auto cut = blankPacked();
    putEnd(*cut, putCompressedRecord(*cut, 4, save, "cut"));
    putLe32(cut->data() + 4, getLe32(cut->data() + 4) - 10);
    EXPECT_EQ(extractPackedSave(out, *cut, 0), 4);

    // An existing file survives a failed extraction untouched.
    writeBytes(out, Bytes{1, 2, 3});
    EXPECT_EQ(extractPackedSave(out, *image, 1), 4);
    EXPECT_EQ(readBytes(out), (Bytes{1, 2, 3}));
    ASSERT_EQ(extractPackedSave(out, *image, 0), 0);
    EXPECT_EQ(readBytes(out), save);
    EXPECT_EQ(extractPackedSave(dir.file("no/folder.sav"), *image, 0), 3);
}

TEST(ExtractPackedSave, ReadsRecordsThatStoreTheUncompressedSize)
{
    // Other programs put the save's own size at offset 4; the data still end
    // where the compressed stream ends, inside the record.
    TempDir dir;
    const Bytes save = repetitiveSave(8192, 8);
    auto image = blankPacked();
    std::size_t at = putCompressedRecord(*image, 4, save, "other");
    putLe32(image->data() + 4 + 4, 8192);
    at = putCompressedRecord(*image, at, save, "huge length");
    putEnd(*image, at);
    const std::size_t second = packedRecords(*image)[1].offset;
    putLe32(image->data() + second + 4, 0xFFFFFFFF);

    ASSERT_EQ(extractPackedSave(dir.file("a.sav"), *image, 0), 0);
    EXPECT_EQ(readBytes(dir.file("a.sav")), save);
    ASSERT_EQ(extractPackedSave(dir.file("b.sav"), *image, 1), 0);
    EXPECT_EQ(readBytes(dir.file("b.sav")), save);

    // The last record of a full image: its data may not be read past 65536.
    auto full = blankPacked();
    const Bytes packed = lzoCompress(save);
    const std::size_t lastAt = 65536 - 2 - ((packed.size() + 51) & ~std::size_t{3});
    putRecord(*full, 4, static_cast<std::uint16_t>(lastAt - 4), RECORD_PLAIN);
    putCompressedRecord(*full, lastAt, save, "last");
    putLe32(full->data() + lastAt + 4, 0xFFFFFFFF);
    ASSERT_EQ(extractPackedSave(dir.file("c.sav"), *full, 1), 0);
    EXPECT_EQ(readBytes(dir.file("c.sav")), save);
}

TEST(DeletePackedRecord, ClosesTheGapAndEndsTheChain)
{
    TempDir dir;
    writeBytes(dir.file("only.sav"), saveData(1000, 1));
    auto image = blankPacked();
    ASSERT_EQ(storePackedSave(dir.file("only.sav"), *image, PACKED_APPEND, 0), 0);
    EXPECT_EQ(deletePackedRecord(*image, 0), 0);
    EXPECT_EQ(Bytes(image->begin() + 4, image->begin() + 12), (Bytes{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_TRUE(packedRecords(*image).empty());

    auto three = blankPacked();
    std::size_t at = putRecord(*three, 4, 48, RECORD_ST, "one");
    at = putRecord(*three, at, 96, RECORD_SV, "two");
    at = putRecord(*three, at, 52, RECORD_PLAIN, "three");
    putEnd(*three, at);
    const Bytes last(three->begin() + 148, three->begin() + 200);
    EXPECT_EQ(deletePackedRecord(*three, 1), 0);
    const auto records = packedRecords(*three);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].title, "one");
    EXPECT_EQ(records[1].offset, 52u);
    EXPECT_EQ(Bytes(three->begin() + 52, three->begin() + 104), last);
    EXPECT_EQ(getLe32(three->data() + 108), 0xFFFFFFFFu);

    // No record at the index: nothing changes.
    const Bytes before = imageBytes(*three);
    EXPECT_EQ(deletePackedRecord(*three, 2), 0);
    EXPECT_EQ(deletePackedRecord(*three, PACKED_APPEND), 0);
    EXPECT_EQ(deletePackedRecord(*three, -3), 0);
    EXPECT_EQ(imageBytes(*three), before);
}
