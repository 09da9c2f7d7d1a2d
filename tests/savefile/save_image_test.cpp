// SPDX-License-Identifier: GPL-3.0-or-later
#include "save_image.h"

#include "byte_order.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

// A blank image, by hand: 1A 86 38 A8, then 17 04 70 41 at 4, 44, ... 244,
// and the checksum 0xE948820D as 0D 82 48 E9 at 284; all else zero.
Bytes blankBytes()
{
    Bytes b(65536, 0);
    const auto put = [&](std::size_t at, const Bytes& v) {
        std::copy(v.begin(), v.end(), b.begin() + static_cast<long>(at));
    };
    put(0, {0x1A, 0x86, 0x38, 0xA8});
    for (std::size_t s = 0; s < 7; ++s) put(4 + 40 * s, {0x17, 0x04, 0x70, 0x41});
    put(284, {0x0D, 0x82, 0x48, 0xE9});
    return b;
}

// Every read starts from an image full of junk, so that a failed read must
// blank it.
class SaveImageTest : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<SaveImage> image = std::make_unique<SaveImage>();
    const Bytes blank = blankBytes();

    Bytes bytes() const { return Bytes(image->begin(), image->end()); }
    SaveResult read(const std::string& path)
    {
        image->fill(0x5A);
        return readSaveImage(path, *image);
    }
    SaveResult read(const std::string& name, const Bytes& contents)
    {
        writeBytes(dir.file(name), contents);
        return read(dir.file(name));
    }
};

}  // namespace

TEST_F(SaveImageTest, BlankHoldsMagicEmptyStatesAndChecksum)
{
    image->fill(0x5A);
    EXPECT_EQ(blankSaveImage(*image), 0);
    EXPECT_EQ(bytes(), blank);
    EXPECT_EQ(read("blank.sav", blank), SaveCode::Done);
    EXPECT_EQ(bytes(), blank);
}

TEST_F(SaveImageTest, ReadSortsOutMissingAndMissizedFiles)
{
    Bytes longer = blank;
    longer.push_back(0);
    const struct {
        const char* name;
        Bytes contents;
        SaveCode code;
    } cases[] = {
        {"short.sav", Bytes(blank.begin(), blank.end() - 1), SaveCode::NotASave},
        {"long.sav", longer, SaveCode::NotASave},
        {"empty.sav", Bytes(), SaveCode::Missing},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(read(c.name, c.contents), c.code) << c.name;
        EXPECT_EQ(bytes(), blank) << c.name;
    }
    EXPECT_EQ(read(dir.file("missing.sav")), SaveCode::Missing);
    EXPECT_EQ(bytes(), blank);
    // A folder is there but is no file to read (nor to create in its place).
    std::filesystem::create_directory(dir.file("folder.sav"));
    EXPECT_EQ(read(dir.file("folder.sav")), SaveCode::Unreadable);
}

TEST_F(SaveImageTest, ReadValidatesMagicStatesAndChecksum)
{
    // A state of 0 is invalid even with a checksum that matches it.
    Bytes zeroState = blank;
    putLe32(&zeroState[slotHeaderOffset(5)], 0);
    putLe32(&zeroState[CHECKSUM_OFFSET], 0xE948820D ^ SLOT_EMPTY);
    EXPECT_EQ(read("zero.sav", zeroState), SaveCode::NotASave);
    EXPECT_EQ(bytes(), blank);

    // The magic and the slot headers are covered by the checksum...
    for (std::size_t at : {0u, 3u, 10u, 200u, 283u}) {
        Bytes changed = blank;
        changed[at] ^= 0x01;
        EXPECT_EQ(read("changed.sav", changed), SaveCode::NotASave) << "offset " << at;
    }
    Bytes wrongMagic = blank;
    putLe32(wrongMagic.data(), 0x12345678);
    putLe32(&wrongMagic[CHECKSUM_OFFSET], 0xE948820D ^ 0x12345678 ^ SAVE_IMAGE_MAGIC);
    EXPECT_EQ(read("magic.sav", wrongMagic), SaveCode::NotASave);

    // ...the rest is not: it is kept exactly as read.
    Bytes data = blank;
    for (std::size_t at : {288u, 4000u, 8192u, 30000u, 65535u}) data[at] = 0xC3;
    EXPECT_EQ(read("data.sav", data), SaveCode::Done);
    EXPECT_EQ(bytes(), data);
}

TEST_F(SaveImageTest, WriteNormalisesStatesAndRoundTrips)
{
    blankSaveImage(*image);
    const Bytes pattern = patternBytes(65536 - 288, 7);
    std::copy(pattern.begin(), pattern.end(), image->begin() + 288);
    putLe32(image->data() + slotHeaderOffset(1), SLOT_USED);
    image->at(slotTitleOffset(3)) = 'Z';
    putLe32(image->data() + slotHeaderOffset(3), 0);
    putLe32(image->data(), 0);

    const std::string path = dir.file("out.sav");
    ASSERT_EQ(writeSaveImage(path, *image), SaveCode::Done);
    const Bytes written = readBytes(path);
    EXPECT_EQ(written, bytes());  // normalised in place as well
    EXPECT_EQ(getLe32(written.data()), SAVE_IMAGE_MAGIC);
    EXPECT_EQ(getLe32(&written[slotHeaderOffset(1)]), SLOT_USED);
    EXPECT_EQ(getLe32(&written[slotHeaderOffset(3)]), SLOT_EMPTY);
    EXPECT_EQ(written[slotTitleOffset(3)], 'Z');
    EXPECT_EQ(Bytes(written.begin() + 288, written.end()), pattern);

    // Read, then write without changes: byte for byte the same file, also
    // when it replaces an existing one.
    ASSERT_EQ(read(path), SaveCode::Done);
    ASSERT_EQ(writeSaveImage(dir.file("copy.sav"), *image), SaveCode::Done);
    EXPECT_EQ(readBytes(dir.file("copy.sav")), written);
    ASSERT_EQ(writeSaveImage(path, *image), SaveCode::Done);
    EXPECT_EQ(readBytes(path), written);
}

TEST_F(SaveImageTest, WriteReportsFailuresAndLeavesNoPartialFile)
{
    blankSaveImage(*image);
    EXPECT_EQ(writeSaveImage(dir.file("no/such/folder/x.sav"), *image), SaveCode::WriteFailed);

    // A folder in the way: the write fails and the folder stays as it was.
    std::filesystem::create_directory(dir.file("taken.sav"));
    writeBytes(dir.file("taken.sav/inside"), Bytes{1, 2, 3});
    EXPECT_EQ(writeSaveImage(dir.file("taken.sav"), *image), SaveCode::WriteFailed);
    EXPECT_EQ(readBytes(dir.file("taken.sav/inside")), (Bytes{1, 2, 3}));
    const auto entries = std::distance(std::filesystem::directory_iterator(dir.path()), {});
    EXPECT_EQ(entries, 1);  // no temporary file left behind
}
