// SPDX-License-Identifier: GPL-3.0-or-later
// Cartridge image bytes written out by hand, so that tests can state what an
// image must hold without asking the image writer.
#pragma once

#include "test_files.h"

#include <cstdint>
#include <initializer_list>
#include <string>

inline Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes le32(std::uint32_t v)
{
    return Bytes{static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                 static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
}

inline Bytes zeros(std::size_t n)
{
    return Bytes(n, 0);
}

// A field of width bytes holding s, zero-filled.
inline Bytes field(const std::string& s, std::size_t width)
{
    Bytes b(s.begin(), s.end());
    b.resize(width, 0);
    return b;
}

const Bytes FILE_MAGIC = {0x70, 0x41, 0x17, 0x04};
const Bytes END_RECORD = join({{0x17, 0x04, 0x70, 0x41}, zeros(40)});

// A Korvalinde file record: magic, 32-byte name, 4-byte extension, the size
// of data, then data with zeros up to the next multiple of 4.
inline Bytes kvlRecord(const std::string& name, const std::string& ext, const Bytes& data)
{
    return join({FILE_MAGIC, field(name, 32), field(ext, 4), le32(static_cast<std::uint32_t>(data.size())),
                 data, zeros((4 - data.size() % 4) % 4)});
}

// A PocketNES record: 32-byte title, the size of data, flags, follow and
// slot, then data with no padding.
inline Bytes pocketRecord(const std::string& title, const Bytes& data, std::uint32_t flags = 0,
                          std::uint32_t follow = 0, std::uint32_t slot = 0)
{
    return join({field(title, 32), le32(static_cast<std::uint32_t>(data.size())), le32(flags), le32(follow),
                 le32(slot), data});
}

// The same iNES bytes with header byte 7 cleared, as the image writer's
// repair leaves them.
inline Bytes repaired(Bytes rom)
{
    rom[7] = 0;
    return rom;
}
