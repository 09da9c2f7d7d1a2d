// SPDX-License-Identifier: GPL-3.0-or-later
// Padding a cartridge image to a power of two, which some flash carts and
// their programs want. The padding is 0xFF, the value of erased flash.
#pragma once

#include <cstdint>

constexpr unsigned char IMAGE_PAD_BYTE = 0xFF;

// The size an image of size bytes is padded to: the smallest power of two
// that holds it. An image above 32 MiB (the most a GBA cartridge holds) is
// too large already, and padding would only make it larger: it keeps its
// size. No image up to 32 MiB is padded beyond 32 MiB, a power of two itself.
std::int64_t paddedImageSize(std::int64_t size);
