// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_padding.h"

#include <gtest/gtest.h>

TEST(PaddedImageSize, TheSmallestPowerOfTwoThatHoldsTheImageUpTo32MiB)
{
    constexpr std::int64_t MiB = 1024 * 1024;
    const struct { std::int64_t size; std::int64_t padded; } cases[] = {
        {1, 1},
        {3, 4},
        {131072, 131072},
        {131073, 262144},
        {345456, 524288},
        {4 * MiB - 1, 4 * MiB},
        {4 * MiB, 4 * MiB},
        {16 * MiB + 1, 32 * MiB},
        {32 * MiB, 32 * MiB},
        // Too large already: padding would only make it worse.
        {32 * MiB + 1, 32 * MiB + 1},
        {100 * MiB, 100 * MiB},
        {0, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(paddedImageSize(c.size), c.padded) << c.size;
}
