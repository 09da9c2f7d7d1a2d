// SPDX-License-Identifier: GPL-3.0-or-later
// Building packed save images by hand, and LZO used directly, so the tests
// check the stored bytes without going through the code under test.
#pragma once

#include "byte_order.h"
#include "packed_image.h"
#include "test_files.h"

#include <lzo/lzo1x.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

// A blank image (magic, zeros) of the given memory size.
inline std::unique_ptr<PackedSaveImage> blankPacked(std::size_t memorySize = 65536)
{
    auto image = std::make_unique<PackedSaveImage>();
    blankPackedImage(*image);
    image->memorySize = memorySize;
    return image;
}

// Writes a record header at offset and returns where the next record goes.
inline std::size_t putRecord(PackedSaveImage& image, std::size_t offset, std::uint16_t size,
                             std::uint16_t type, const std::string& title = "", std::uint32_t length = 0,
                             std::uint32_t checksum = 0)
{
    unsigned char* r = image.data() + offset;
    putLe16(r, size);
    putLe16(r + 2, type);
    putLe32(r + 4, length);
    putLe32(r + 8, 0);
    putLe32(r + 12, checksum);
    std::memset(r + 16, 0, 32);
    std::memcpy(r + 16, title.data(), std::min<std::size_t>(title.size(), 32));
    return offset + size;
}

// Save data that compresses somewhat, like real battery memory.
inline Bytes saveData(std::size_t size, unsigned seed)
{
    Bytes data = patternBytes(size, seed);
    for (std::size_t i = 0; i < size; i += 3) data[i] = 0;
    return data;
}

inline std::unique_ptr<PackedSaveImage> packedFrom(const PackedSaveImage& image)
{
    return std::make_unique<PackedSaveImage>(image);
}

inline Bytes imageBytes(const PackedSaveImage& image)
{
    return Bytes(image.begin(), image.end());
}

inline Bytes lzoCompress(const Bytes& data)
{
    if (lzo_init() != LZO_E_OK) return Bytes();
    Bytes out(data.size() + data.size() / 16 + 64 + 3);
    Bytes work(LZO1X_1_MEM_COMPRESS);
    lzo_uint n = out.size();
    lzo1x_1_compress(data.data(), data.size(), out.data(), &n, work.data());
    out.resize(n);
    return out;
}

// Decompresses at most limit bytes; rc receives LZO's result.
inline Bytes lzoDecompress(const unsigned char* data, std::size_t length, std::size_t limit, int& rc)
{
    Bytes out(limit);
    lzo_uint n = out.size();
    rc = lzo1x_decompress_safe(data, length, out.data(), &n, nullptr);
    out.resize(n);
    return out;
}

// The size of the record that holds data compressed: 48 header bytes and
// the compressed data, rounded up to a multiple of 4.
inline std::size_t recordSizeFor(const Bytes& data)
{
    return (lzoCompress(data).size() + 51) & ~std::size_t{3};
}

// A record holding data compressed, as PocketNES stores it: the uncompressed
// size at offset 4.
inline std::size_t putCompressedRecord(PackedSaveImage& image, std::size_t offset, const Bytes& data,
                                       const std::string& title, std::uint16_t type = RECORD_SV,
                                       std::uint32_t checksum = 0)
{
    const Bytes packed = lzoCompress(data);
    const auto size = static_cast<std::uint16_t>(recordSizeFor(data));
    putRecord(image, offset, size, type, title, static_cast<std::uint32_t>(data.size()), checksum);
    std::copy(packed.begin(), packed.end(), image.begin() + static_cast<long>(offset + 48));
    return offset + size;
}

inline void putEnd(PackedSaveImage& image, std::size_t offset)
{
    putLe32(image.data() + offset, 0);
    putLe32(image.data() + offset + 4, 0xFFFFFFFF);
}

// PocketNES's configuration record: 48 bytes, display settings, the owner of
// the live area, title "CFG".
inline std::size_t putConfig(PackedSaveImage& image, std::size_t offset, std::uint32_t owner,
                             std::uint32_t display = 0)
{
    putRecord(image, offset, 48, RECORD_PLAIN, "CFG", display);
    putLe32(image.data() + offset + 8, owner);
    return offset + 48;
}

inline std::uint32_t ownerOf(const PackedSaveImage& image, std::size_t configOffset = 4)
{
    return getLe32(image.data() + configOffset + 8);
}

inline Bytes liveArea(const PackedSaveImage& image)
{
    return Bytes(image.end() - 8192, image.end());
}

inline void setLiveArea(PackedSaveImage& image, const Bytes& data)
{
    std::copy(data.begin(), data.end(), image.end() - 8192);
}

// The save a record holds, unpacked by the test itself from the record's
// data (as long as the record size allows, as PocketNES reads it); empty
// when it does not unpack. The padding after the stream is no error.
inline Bytes unpackRecord(const PackedSaveImage& image, std::size_t offset)
{
    const std::size_t size = getLe16(image.data() + offset);
    int rc = 0;
    Bytes save = lzoDecompress(image.data() + offset + 48, size - 48, 8192, rc);
    return rc == LZO_E_OK || rc == LZO_E_INPUT_NOT_CONSUMED ? save : Bytes();
}

// What PocketNES gives game at its next start, worked out by hand from the
// bytes: the live area when the configuration record names game as its
// owner (PocketNES packs it first), else the last battery save of game in
// the chain, unpacked; empty when there is none.
inline Bytes pocketNesRestores(const PackedSaveImage& image, std::uint32_t game)
{
    std::size_t offset = 4;
    std::size_t last = 0;
    bool ownerSeen = false;
    while (offset + 48 <= image.size() && getLe16(image.data() + offset) != 0) {
        const std::uint16_t type = getLe16(image.data() + offset + 2);
        const std::uint32_t checksum = getLe32(image.data() + offset + 12);
        if (type == RECORD_PLAIN && !ownerSeen) {
            ownerSeen = true;
            if (getLe32(image.data() + offset + 8) == game) return liveArea(image);
        }
        if (type == RECORD_SV && checksum == game) last = offset;
        offset += getLe16(image.data() + offset);
    }
    return last != 0 ? unpackRecord(image, last) : Bytes();
}
