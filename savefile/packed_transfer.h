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
// 0 done (*at, when given, is the record's index in to); 1 nothing to copy at
// index (no line, or the configuration record); 4 the compression library
// can't start; 5 no room in to, with the bytes in *room when given. Codes
// 1-5 leave to unchanged.
int copyPackedRecord(const PackedSaveImage& from, int index, PackedSaveImage& to, PackedRoom* room = nullptr,
                     std::size_t* at = nullptr);

// Lays the image out for a memory of memorySize (65536 or 32768): the records
// keep their bytes and places, the configuration record is kept, and the
// owner's live data move to the new live area (packed at once when there is
// room). The file keeps its size: a 32 KiB memory from a 65536-byte file is
// written twice, a 64 KiB memory always takes 65536 bytes.
// 0 done; 1 another size, or a damaged chain; 5 the records don't fit below
// the new live area, *missing (when given) the bytes too many. Codes 1 and 5
// leave the image unchanged.
int convertPackedImage(PackedSaveImage& image, std::size_t memorySize, std::size_t* missing = nullptr);
