// SPDX-License-Identifier: GPL-3.0-or-later
// Moving records between packed save images, and laying an image out for
// the other memory size.
#pragma once

#include "packed_image.h"

#include <cstddef>

// Copies the line at index of from (a battery save, save state or cheat list,
// byte for byte with its title and checksum) into to, where it replaces that
// game's record of the same type that PocketNES uses (packedLiveRecord), or
// goes after the last record. A line whose newest save waits in the live
// area is copied as the record PocketNES will make of it.
// Done (*at, when given, is the record's index in to; *replaced, when given,
// whether it took the place of that game's record there); NoSuchLine or
// ConfigRecordStays when there is nothing to copy at index;
// CompressionFailed; NoRoom in to, with the bytes. A failure leaves to
// unchanged.
SaveResult copyPackedRecord(const PackedSaveImage& from, int index, PackedSaveImage& to, std::size_t* at = nullptr,
                            bool* replaced = nullptr);

// Lays the image out for a memory of memorySize (65536 or 32768): the records
// keep their bytes and places, the configuration record is kept, and the
// owner's live data move to the new live area (packed at once when there is
// room). The file keeps its size: a 32 KiB memory from a 65536-byte file is
// written twice, a 64 KiB memory always takes 65536 bytes.
// Done; OtherSize for another size, or a damaged chain; DoesNotFit when the
// records don't fit below the new live area (bytes: how many too many). A
// failure leaves the image unchanged.
SaveResult convertPackedImage(PackedSaveImage& image, std::size_t memorySize);
