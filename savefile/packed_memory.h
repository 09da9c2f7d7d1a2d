// SPDX-License-Identifier: GPL-3.0-or-later
// Telling which save memory a 65536-byte packed file holds when its halves
// differ. mGBA (and some flash carts) give PocketNES 32 KiB and keep the
// size of the file they were given, so such a file may be a 32 KiB memory
// followed by whatever the upper half held before, or a 64 KiB memory.
#pragma once

#include "packed_image.h"

enum class MemoryReading {
    Small,    // a 32 KiB memory; the upper half is stale
    Large,    // a 64 KiB memory
    Either,   // both readings give the same records and no live save
    Unknown,  // the file can't tell: the user must say
};

// whole: the file as a 64 KiB memory whose chain is valid, its live area
// not yet packed.
MemoryReading tellPackedMemory(const PackedSaveImage& whole);

// Makes image the 32 KiB memory in its first half, written back twice.
void keepLowerHalf(PackedSaveImage& image);
