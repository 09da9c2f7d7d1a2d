// SPDX-License-Identifier: GPL-3.0-or-later
// Packed images with random chains and random record data: every operation
// must answer with a result code and stay inside the image (the sanitizer
// build turns any stray access into a failure).
#include "packed_image.h"

#include "packed_test_support.h"

#include <gtest/gtest.h>

namespace {

class Random {
public:
    explicit Random(unsigned seed) : state_(seed * 2654435761u + 1u) {}
    unsigned next(unsigned bound)
    {
        state_ = state_ * 1103515245u + 12345u;
        return (state_ >> 8) % bound;
    }

private:
    unsigned state_;
};

std::unique_ptr<PackedSaveImage> randomImage(unsigned seed)
{
    Random rnd(seed);
    auto image = blankPacked();
    const Bytes noise = patternBytes(65536, seed);
    std::size_t at = 4;
    const unsigned records = rnd.next(8);
    for (unsigned k = 0; k < records && at + 48 <= 65536; ++k) {
        std::size_t size = 0;
        switch (rnd.next(4)) {
        case 0: size = rnd.next(65536); break;
        case 1: size = rnd.next(48); break;
        default: size = 48 + rnd.next(400); break;
        }
        const auto type = static_cast<std::uint16_t>(rnd.next(10) == 0 ? 3 + rnd.next(100) : rnd.next(3));
        putRecord(*image, at, static_cast<std::uint16_t>(size), type, "r", rnd.next(2) ? rnd.next(70000) : 0xFFFFFFFFu);
        const std::size_t dataEnd = std::min<std::size_t>(at + std::max<std::size_t>(size, 48), 65536);
        for (std::size_t i = at + 48; i < dataEnd; ++i) (*image)[i] = noise[i];
        at += size;
        if (size == 0) break;
    }
    if (rnd.next(2) && at + 8 <= 65536) putEnd(*image, at);
    return image;
}

}  // namespace

TEST(DamagedChains, EveryOperationAnswersWithACode)
{
    TempDir dir;
    writeBytes(dir.file("save.sav"), patternBytes(700, 3));
    const std::string file = dir.file("image.bin");
    int valid = 0;
    for (unsigned seed = 1; seed <= 150; ++seed) {
        const auto original = randomImage(seed);
        const auto records = packedRecords(*original);
        const std::size_t listed = records.size();
        writeBytes(file, imageBytes(*original));
        auto read = blankPacked();
        const SaveResult readCode = readPackedImage(file, *read);
        ASSERT_TRUE(readCode.ok() || readCode == SaveCode::NotASave) << seed;
        valid += readCode.ok() ? 1 : 0;

        for (int index = -1; index <= static_cast<int>(listed) + 1; ++index) {
            const SaveResult code = extractPackedSave(dir.file("out.sav"), *original, index);
            const bool noSave = code == SaveCode::NoSuchLine || code == SaveCode::NotBatterySave;
            ASSERT_TRUE(code.ok() || noSave || code == SaveCode::Damaged) << seed << " " << index;
            const bool battery = index >= 0 && index < static_cast<int>(listed) &&
                                 records[static_cast<std::size_t>(index)].type == RECORD_SV;
            EXPECT_EQ(noSave, !battery) << seed;

            auto stored = packedFrom(*original);
            const SaveResult storeCode = storePackedSave(dir.file("save.sav"), *stored, index, 1);
            ASSERT_TRUE(storeCode.ok() || storeCode == SaveCode::NoRoom) << seed << " " << index;
            if (!storeCode.ok()) {
                EXPECT_EQ(imageBytes(*stored), imageBytes(*original));
            }

            auto deleted = packedFrom(*original);
            const SaveResult deleteCode = deletePackedRecord(*deleted, index);
            ASSERT_TRUE(deleteCode.ok() || deleteCode == SaveCode::ReachesLiveArea ||
                        deleteCode == SaveCode::ConfigRecordNeeded)
                << seed << " " << index;
            if (!deleteCode.ok()) {
                EXPECT_EQ(imageBytes(*deleted), imageBytes(*original));
            }
            // A damaged chain is left alone; what was a whole chain stays one
            // after a change.
            if (!readCode.ok()) {
                EXPECT_EQ(storeCode, SaveCode::NoRoom) << seed << " store " << index;
                EXPECT_EQ(imageBytes(*deleted), imageBytes(*original)) << seed << " delete " << index;
            } else {
                writeBytes(file, imageBytes(*stored));
                EXPECT_EQ(readPackedImage(file, *read), SaveCode::Done) << seed << " store " << index;
                writeBytes(file, imageBytes(*deleted));
                EXPECT_EQ(readPackedImage(file, *read), SaveCode::Done) << seed << " delete " << index;
            }
        }
    }
    EXPECT_GT(valid, 10);  // the mix holds whole chains as well as damaged ones
}
