// SPDX-License-Identifier: GPL-3.0-or-later
// Packing and unpacking one battery save: LZO1X-1 compression into a new
// record, and bounded decompression of a record's data.
#pragma once

#include "packed_image.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

using TitleField = std::array<unsigned char, PACKED_TITLE_SIZE>;

// The CP932 text NUL-padded to a title field (cut to 31 bytes by the caller).
TitleField titleField(std::string_view text);

// The header fields of a record the editor makes.
struct RecordHeader {
    std::uint16_t type = RECORD_SV;
    std::uint32_t lengthField = 0;
    std::uint32_t word8 = 0;
    std::uint32_t checksum = 0;
    TitleField title{};
};

// Header, data and zero padding up to a multiple of 4 bytes.
std::vector<unsigned char> makeRecord(const RecordHeader& header, const std::vector<unsigned char>& data);

// Compresses size bytes with LZO1X-1. False when the library can't start.
bool compressSave(const unsigned char* data, std::size_t size, std::vector<unsigned char>& out);

// Decompresses the data of the record at offset, read only up to the record
// size as PocketNES reads it, into at most 8192 bytes. False when the data
// are damaged or longer.
bool decompressRecord(const PackedSaveImage& image, std::size_t offset, std::size_t recordSize,
                      std::vector<unsigned char>& out);

// The configuration record PocketNES makes: 48 bytes, display byte 0x03
// ("Scaled BG and OBJ", gamma 0), misc byte 0, owner 0, title "CFG".
std::vector<unsigned char> newConfigRecord();
