// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_padding.h"

#include "image_writer.h"

std::int64_t paddedImageSize(std::int64_t size)
{
    if (size <= 0 || size > GBA_CARTRIDGE_MAX) return size;
    std::int64_t padded = 1;
    while (padded < size) padded *= 2;
    return padded;
}
