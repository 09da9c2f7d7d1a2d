// SPDX-License-Identifier: GPL-3.0-or-later
// Saves on disk: written through links to the file they name, and read only
// from regular files, so a FIFO in place of a save never makes a reader wait.
#include "file_io.h"
#include "packed_image.h"
#include "save_image.h"
#include "save_slots.h"
#include "system_limits.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace {

}  // namespace

TEST(SaveFileSafety, SavesAndExtractedSavesAreWrittenThroughLinks)
{
    TempDir dir;
    ::mkdir(dir.file("cart").c_str(), 0755);
    auto slots = std::make_unique<SaveImage>();
    blankSaveImage(*slots);
    auto packed = std::make_unique<PackedSaveImage>();
    blankPackedImage(*packed);
    writeText(dir.file("cart/kvl.sav"), "old");
    writeText(dir.file("cart/packed.sav"), "old");
    ASSERT_EQ(::symlink("cart/kvl.sav", dir.file("kvl.sav").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("cart/packed.sav").c_str(), dir.file("packed.sav").c_str()), 0);
    ASSERT_EQ(::symlink("cart/out.sav", dir.file("out.sav").c_str()), 0);  // names a file still to come

    ASSERT_EQ(writeSaveImage(dir.file("kvl.sav"), *slots), SaveCode::Done);
    ASSERT_EQ(writePackedImage(dir.file("packed.sav"), *packed), SaveCode::Done);
    ASSERT_EQ(extractSlot(dir.file("out.sav"), *slots, 0), SaveCode::Done);
    EXPECT_EQ(readBytes(dir.file("cart/kvl.sav")), Bytes(slots->begin(), slots->end()));
    EXPECT_EQ(readBytes(dir.file("cart/packed.sav")), Bytes(packed->begin(), packed->end()));
    EXPECT_EQ(sizeOf(dir.file("cart/out.sav")), 8192);
    for (const char* link : {"kvl.sav", "packed.sav", "out.sav"}) EXPECT_TRUE(isLink(dir.file(link))) << link;

    // A failed write gives its reason and leaves the file as it was.
    const Bytes before = readBytes(dir.file("cart/kvl.sav"));
    {
        const FileSizeLimit limit(1000);
        const SaveResult written = writeSaveImage(dir.file("kvl.sav"), *slots);
        EXPECT_EQ(written, SaveCode::WriteFailed);
        EXPECT_EQ(written.errorNumber, EFBIG);
        EXPECT_EQ(written.file, dir.file("kvl.sav"));
        EXPECT_EQ(extractSlot(dir.file("out.sav"), *slots, 0), SaveCode::WriteFailed);
    }
    EXPECT_EQ(readBytes(dir.file("cart/kvl.sav")), before);
}

TEST(SaveFileSafety, EverySaveReaderRefusesAFifoAtOnce)
{
    TempDir dir;
    const std::string fifo = dir.file("fifo.sav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const HangGuard guard(30);
    auto slots = std::make_unique<SaveImage>();
    blankSaveImage(*slots);
    auto packed = std::make_unique<PackedSaveImage>();
    blankPackedImage(*packed);
    const auto blankSlots = *slots;
    const auto blankPacked = *packed;

    // Each reader gives "can't be read" with the reason, never "not found"
    // (the editor then offers to try another file rather than to create
    // one); nothing is read and nothing is printed.
    testing::internal::CaptureStderr();
    std::uint32_t checksum = 0;
    for (const SaveResult& read : {readSaveImage(fifo, *slots), readPackedImage(fifo, *packed),
                                   loadSlotFromFile(fifo, *slots, 0), storePackedSave(fifo, *packed, PACKED_APPEND, 0),
                                   romFileChecksum(fifo, checksum)}) {
        EXPECT_TRUE(read == SaveCode::Unreadable || read == SaveCode::RomUnreadable);
        EXPECT_EQ(read.errorNumber, NOT_REGULAR_FILE);
        EXPECT_EQ(read.file, fifo);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(*slots, blankSlots);
    EXPECT_EQ(packed->bytes, blankPacked.bytes);

    // Nor is one written to.
    EXPECT_EQ(writeSaveImage(fifo, *slots).errorNumber, NOT_REGULAR_FILE);
}

TEST(SaveFileSafety, MissingAndUnreadableFilesGiveTheirReasonToTheCaller)
{
    TempDir dir;
    const std::string missing = dir.file("new.sav");
    auto slots = std::make_unique<SaveImage>();
    auto packed = std::make_unique<PackedSaveImage>();
    std::uint32_t checksum = 0;

    // A save that does not exist yet is "not found" for both readers, as the
    // editor asks before it creates one, and nothing reaches the terminal:
    // the editor used to print "No such file or directory" once per reader.
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    for (const SaveResult& read : {readPackedImage(missing, *packed), readSaveImage(missing, *slots),
                                   loadSlotFromFile(missing, *slots, 0),
                                   storePackedSave(missing, *packed, PACKED_APPEND, 0)}) {
        EXPECT_EQ(read, SaveCode::Missing);
        EXPECT_EQ(read.errorNumber, ENOENT);
    }
    EXPECT_EQ(romFileChecksum(missing, checksum), SaveCode::RomTooSmall);
    EXPECT_EQ(romFileChecksum(missing, checksum).errorNumber, ENOENT);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    // An empty file is "not found" too, without a reason.
    writeBytes(missing, Bytes{});
    EXPECT_EQ(loadSlotFromFile(missing, *slots, 0), SaveCode::Missing);
    EXPECT_EQ(loadSlotFromFile(missing, *slots, 0).errorNumber, 0);

    // A file the user may not read is "can't be read", with the reason.
    writeBytes(dir.file("locked.sav"), patternBytes(100));
    ASSERT_EQ(::chmod(dir.file("locked.sav").c_str(), 0), 0);
    const int code = runUnprivileged([&] {
        auto image = std::make_unique<SaveImage>();
        const SaveResult loaded = loadSlotFromFile(dir.file("locked.sav"), *image, 0);
        return loaded == SaveCode::Unreadable && loaded.errorNumber == EACCES ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
}
