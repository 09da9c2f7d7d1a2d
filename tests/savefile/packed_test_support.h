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

inline std::unique_ptr<PackedSaveImage> blankPacked()
{
    auto image = std::make_unique<PackedSaveImage>();
    blankPackedImage(*image);
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

// A record holding data compressed, as another program would store it.
inline std::size_t putCompressedRecord(PackedSaveImage& image, std::size_t offset, const Bytes& data,
                                       const std::string& title, std::uint16_t type = RECORD_SV,
                                       std::uint32_t checksum = 0)
{
    const Bytes packed = lzoCompress(data);
    // 48 header bytes and the data, rounded up to a multiple of 4.
    const auto size = static_cast<std::uint16_t>((packed.size() + 51) & ~std::size_t{3});
    putRecord(image, offset, size, type, title, static_cast<std::uint32_t>(packed.size()), checksum);
    std::copy(packed.begin(), packed.end(), image.begin() + static_cast<long>(offset + 48));
    return offset + size;
}

inline void putEnd(PackedSaveImage& image, std::size_t offset)
{
    putLe32(image.data() + offset, 0);
    putLe32(image.data() + offset + 4, 0xFFFFFFFF);
}
