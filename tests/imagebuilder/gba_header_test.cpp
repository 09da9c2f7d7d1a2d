// SPDX-License-Identifier: GPL-3.0-or-later
#include "gba_header.h"

#include "image_records.h"
#include "report.h"
#include "system_limits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace {

// CRC-16 with the reflected polynomial 0xA001, starting from 0xFFFF.
std::uint16_t crc16(const unsigned char* data, std::size_t n)
{
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                                 : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

// The header fix with the reasons it gives kept aside.
int fix(const std::string& image, std::string_view title, std::string_view code, std::string_view maker,
        std::string* reasons = nullptr)
{
    CollectedReport report;
    // 0 rewritten, 1 failed, the numbers the header fix has always given.
    const int result = static_cast<int>(fixGbaHeader(image, title, code, maker, report));
    if (reasons != nullptr) *reasons = report.problemText();
    return result;
}

unsigned sumOf(const Bytes& b, std::size_t from, std::size_t to)
{
    unsigned sum = 0;
    for (std::size_t i = from; i <= to; ++i) sum += b[i];
    return sum;
}

}  // namespace

TEST(GbaHeader, BootLogoIsTheStandardBitmap)
{
    ASSERT_EQ(GBA_BOOT_LOGO.size(), 156u);
    EXPECT_EQ(crc16(GBA_BOOT_LOGO.data(), GBA_BOOT_LOGO.size()), 0xCF56);
}

TEST(GbaHeader, RewritesTheFirst192BytesAndKeepsTheRest)
{
    TempDir dir;
    const std::string image = dir.file("a.gba");
    const Bytes before = patternBytes(1000, 7);
    writeBytes(image, before);

    ASSERT_EQ(fix(image, "Korvalinde", "KVL", "ZQ"), 0);
    const Bytes after = readBytes(image);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(Bytes(after.begin(), after.begin() + 4), (Bytes{0x2E, 0x00, 0x00, 0xEA}));
    EXPECT_TRUE(std::equal(GBA_BOOT_LOGO.begin(), GBA_BOOT_LOGO.end(), after.begin() + 4));
    // Title, game code, maker code, the fixed 0x96, zeros to 0xBC, then the
    // complement: 0x19 + 0x63D (the sum of 0xA0 to 0xBC) + 0xAA ends in 0x00.
    EXPECT_EQ(Bytes(after.begin() + 0xA0, after.begin() + 0xC0),
              join({field("Korvalinde", 12), field("KVL", 4), field("ZQ", 2), {0x96}, zeros(10), {0xAA, 0, 0}}));
    EXPECT_TRUE(std::equal(before.begin() + 0xC0, before.end(), after.begin() + 0xC0));
}

TEST(GbaHeader, CutsFieldsAndComputesTheComplement)
{
    TempDir dir;
    const std::string image = dir.file("a.gba");
    writeBytes(image, patternBytes(192));

    ASSERT_EQ(fix(image, "", "", ""), 0);
    Bytes b = readBytes(image);
    EXPECT_EQ(b[0xBD], 0x51);
    EXPECT_EQ(sumOf(b, 0xA0, 0xAF), 0u);

    // Fields keep their first bytes, with no room left for a terminator.
    ASSERT_EQ(fix(image, "ABCDEFGHIJKLMNO", "ABCDE", "XYZ"), 0);
    b = readBytes(image);
    EXPECT_EQ(std::string(b.begin() + 0xA0, b.begin() + 0xB2), "ABCDEFGHIJKLABCDXY");
    EXPECT_EQ(b[0xB2], 0x96);
    // Every byte from 0xA0 to 0xBD adds up to 0 with 0x19 (the console's check).
    EXPECT_EQ((sumOf(b, 0xA0, 0xBD) + 0x19) & 0xFF, 0u);
}

TEST(GbaHeader, ShortFilesGrowMissingFilesAndFailedWritesGiveOne)
{
    TempDir dir;
    const std::string shortImage = dir.file("short.gba");
    writeBytes(shortImage, Bytes{1, 2, 3});
    ASSERT_EQ(fix(shortImage, "T", "KVL", "ZQ"), 0);
    EXPECT_EQ(sizeOf(shortImage), 192);
    writeBytes(shortImage, Bytes{});
    ASSERT_EQ(fix(shortImage, "T", "KVL", "ZQ"), 0);
    EXPECT_EQ(sizeOf(shortImage), 192);

    // Each failure hands its reason to the caller.
    std::string reasons;
    EXPECT_EQ(fix(dir.file("missing.gba"), "T", "KVL", "ZQ", &reasons), 1);
    EXPECT_EQ(reasons, dir.file("missing.gba") + ": No such file or directory");
    EXPECT_FALSE(fileExists(dir.file("missing.gba")));
    EXPECT_EQ(fix(dir.path(), "T", "KVL", "ZQ", &reasons), 1);
    EXPECT_EQ(reasons, dir.path() + ": Is a directory");
    if (fileExists("/dev/full")) {
        EXPECT_EQ(fix("/dev/full", "T", "KVL", "ZQ", &reasons), 1);
        EXPECT_EQ(reasons, "/dev/full: not a regular file");
    }

    // A write that fails: the 192 header bytes don't fit under the limit.
    writeBytes(shortImage, Bytes{1, 2, 3});
    {
        const FileSizeLimit limit(100);
        EXPECT_EQ(fix(shortImage, "T", "KVL", "ZQ", &reasons), 1);
    }
    EXPECT_EQ(reasons, shortImage + ": File too large");
}
