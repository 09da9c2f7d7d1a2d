// SPDX-License-Identifier: GPL-3.0-or-later
// A 64 KiB save image built byte by byte in the test: the magic, seven slot
// headers, the slot data and the XOR checksum. Tests state the file they
// expect with it, without going through the save file library.
#pragma once

#include "test_files.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

// Stores the low width bytes of value at offset, least significant first.
inline void putLeBytes(Bytes& bytes, std::size_t offset, std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i) {
        bytes.at(offset + static_cast<std::size_t>(i)) = static_cast<unsigned char>(value >> (8 * i));
    }
}

// The little-endian 32-bit word at offset.
inline std::uint32_t le32At(const Bytes& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | bytes.at(offset + static_cast<std::size_t>(i));
    return value;
}

class SaveImageBytes {
public:
    // Magic 0xA838861A, every slot 0x41700417 (empty), everything else zero.
    SaveImageBytes() : image_(65536, 0)
    {
        putLeBytes(image_, 0, 0xA838861A, 4);
        for (std::size_t s = 0; s < 7; ++s) putLeBytes(image_, 4 + 40 * s, 0x41700417, 4);
    }

    // Slot s used (0x04174170) with an EUC-JP title, the extension "sav" and data.
    SaveImageBytes& useSlot(int s, const std::string& eucTitle, const Bytes& data)
    {
        const std::size_t header = 4 + 40 * static_cast<std::size_t>(s);
        putLeBytes(image_, header, 0x04174170, 4);
        std::copy(eucTitle.begin(), eucTitle.end(), image_.begin() + static_cast<long>(header + 4));
        const std::string ext = "sav";
        std::copy(ext.begin(), ext.end(), image_.begin() + static_cast<long>(header + 36));
        std::copy(data.begin(), data.end(), image_.begin() + 8192 * static_cast<long>(s + 1));
        return *this;
    }

    // The image with its checksum at 284: the XOR of the words at 0 to 280.
    Bytes bytes() const
    {
        Bytes out = image_;
        std::uint32_t sum = 0;
        for (std::size_t offset = 0; offset <= 280; offset += 4) sum ^= le32At(out, offset);
        putLeBytes(out, 284, sum, 4);
        return out;
    }

private:
    Bytes image_;
};
