#include "save_image.h"

#include "byte_order.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

std::unique_ptr<SaveImage> newImage()
{
    return std::make_unique<SaveImage>();
}

Bytes bytesOf(const SaveImage& image)
{
    return Bytes(image.begin(), image.end());
}

Bytes blankBytes()
{
    auto image = newImage();
    blankSaveImage(*image);
    return bytesOf(*image);
}

void fillWithJunk(SaveImage& image)
{
    image.fill(0x5A);
}

}  // namespace

TEST(SaveImageBlank, HoldsMagicEmptyStatesAndChecksum)
{
    const Bytes b = blankBytes();
    ASSERT_EQ(b.size(), 65536u);
    const Bytes magic = {0x1A, 0x86, 0x38, 0xA8};
    const Bytes empty = {0x17, 0x04, 0x70, 0x41};
    const Bytes checksum = {0x0D, 0x82, 0x48, 0xE9};
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 4), magic);
    Bytes expected(65536, 0);
    std::copy(magic.begin(), magic.end(), expected.begin());
    for (std::size_t at : {4, 44, 84, 124, 164, 204, 244}) {
        std::copy(empty.begin(), empty.end(), expected.begin() + static_cast<long>(at));
    }
    std::copy(checksum.begin(), checksum.end(), expected.begin() + 284);
    EXPECT_EQ(b, expected);

    auto image = newImage();
    blankSaveImage(*image);
    EXPECT_EQ(saveImageChecksum(*image), 0xE948820Du);

    TempDir dir;
    writeBytes(dir.file("blank.sav"), expected);
    fillWithJunk(*image);
    EXPECT_EQ(readSaveImage(dir.file("blank.sav"), *image), 0);
    EXPECT_EQ(bytesOf(*image), expected);
}

TEST(SaveImageRead, SortsOutMissingAndMissizedFiles)
{
    TempDir dir;
    auto image = newImage();
    const Bytes blank = blankBytes();
    Bytes good = blank;

    writeBytes(dir.file("short.sav"), Bytes(good.begin(), good.end() - 1));
    fillWithJunk(*image);
    EXPECT_EQ(readSaveImage(dir.file("short.sav"), *image), 2);
    EXPECT_EQ(bytesOf(*image), blank);

    good.push_back(0);
    writeBytes(dir.file("long.sav"), good);
    fillWithJunk(*image);
    EXPECT_EQ(readSaveImage(dir.file("long.sav"), *image), 2);
    EXPECT_EQ(bytesOf(*image), blank);

    writeBytes(dir.file("empty.sav"), Bytes());
    fillWithJunk(*image);
    EXPECT_EQ(readSaveImage(dir.file("empty.sav"), *image), 1);
    EXPECT_EQ(bytesOf(*image), blank);

    fillWithJunk(*image);
    EXPECT_EQ(readSaveImage(dir.file("missing.sav"), *image), 1);
    EXPECT_EQ(bytesOf(*image), blank);

    // A folder has no size of its own to offer.
    std::filesystem::create_directory(dir.file("folder.sav"));
    EXPECT_EQ(readSaveImage(dir.file("folder.sav"), *image), 1);
}

TEST(SaveImageRead, ValidatesMagicStatesAndChecksum)
{
    TempDir dir;
    const std::string path = dir.file("game.sav");
    auto image = newImage();
    const Bytes blank = blankBytes();

    // A state of 0 is invalid even with a checksum that matches it.
    blankSaveImage(*image);
    putLe32(image->data() + slotHeaderOffset(5), 0);
    putLe32(image->data() + CHECKSUM_OFFSET, saveImageChecksum(*image));
    writeBytes(path, bytesOf(*image));
    EXPECT_EQ(readSaveImage(path, *image), 2);
    EXPECT_EQ(bytesOf(*image), blank);

    // The magic and the slot headers are covered by the checksum...
    for (std::size_t at : {0u, 3u, 10u, 200u, 283u}) {
        Bytes changed = blank;
        changed[at] ^= 0x01;
        writeBytes(path, changed);
        EXPECT_EQ(readSaveImage(path, *image), 2) << "offset " << at;
    }
    Bytes wrongMagic = blank;
    putLe32(wrongMagic.data(), 0x12345678);
    putLe32(wrongMagic.data() + CHECKSUM_OFFSET, getLe32(wrongMagic.data() + CHECKSUM_OFFSET) ^ 0x12345678 ^ SAVE_IMAGE_MAGIC);
    writeBytes(path, wrongMagic);
    EXPECT_EQ(readSaveImage(path, *image), 2);

    // ...the rest is not: it is kept exactly as read.
    Bytes data = blank;
    for (std::size_t at : {288u, 4000u, 8192u, 30000u, 65535u}) data[at] = 0xC3;
    writeBytes(path, data);
    EXPECT_EQ(readSaveImage(path, *image), 0);
    EXPECT_EQ(bytesOf(*image), data);
}

TEST(SaveImageWrite, NormalisesStatesAndRoundTrips)
{
    TempDir dir;
    auto image = newImage();
    blankSaveImage(*image);
    const Bytes pattern = patternBytes(65536 - 288, 7);
    std::copy(pattern.begin(), pattern.end(), image->begin() + 288);
    putLe32(image->data() + slotHeaderOffset(1), SLOT_USED);
    image->at(slotTitleOffset(3)) = 'Z';
    putLe32(image->data() + slotHeaderOffset(3), 0);
    putLe32(image->data(), 0);

    const std::string path = dir.file("out.sav");
    ASSERT_EQ(writeSaveImage(path, *image), 0);
    const Bytes written = readBytes(path);
    ASSERT_EQ(written.size(), 65536u);
    EXPECT_EQ(getLe32(written.data()), SAVE_IMAGE_MAGIC);
    EXPECT_EQ(getLe32(written.data() + slotHeaderOffset(1)), SLOT_USED);
    EXPECT_EQ(getLe32(written.data() + slotHeaderOffset(3)), SLOT_EMPTY);
    EXPECT_EQ(written[slotTitleOffset(3)], 'Z');
    EXPECT_EQ(Bytes(written.begin() + 288, written.end()), pattern);
    EXPECT_EQ(written, bytesOf(*image));  // normalised in place as well

    // Read, then write without changes: byte for byte the same file.
    auto again = newImage();
    ASSERT_EQ(readSaveImage(path, *again), 0);
    const std::string copy = dir.file("copy.sav");
    ASSERT_EQ(writeSaveImage(copy, *again), 0);
    EXPECT_EQ(readBytes(copy), written);
    // Writing over an existing file replaces it.
    ASSERT_EQ(writeSaveImage(path, *again), 0);
    EXPECT_EQ(readBytes(path), written);
}

TEST(SaveImageWrite, ReportsFailuresAndLeavesNoPartialFile)
{
    TempDir dir;
    auto image = newImage();
    blankSaveImage(*image);
    EXPECT_EQ(writeSaveImage(dir.file("no/such/folder/x.sav"), *image), 1);

    // A folder in the way: the write fails and the folder stays as it was.
    std::filesystem::create_directory(dir.file("taken.sav"));
    writeBytes(dir.file("taken.sav/inside"), Bytes{1, 2, 3});
    EXPECT_EQ(writeSaveImage(dir.file("taken.sav"), *image), 1);
    EXPECT_EQ(readBytes(dir.file("taken.sav/inside")), (Bytes{1, 2, 3}));
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1);  // no temporary file left behind
}
