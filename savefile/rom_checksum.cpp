// SPDX-License-Identifier: GPL-3.0-or-later
#include "packed_image.h"

#include "byte_order.h"
#include "file_io.h"
#include "save_input.h"

#include <vector>

namespace {

constexpr std::size_t INES_HEADER_SIZE = 16;
constexpr std::size_t WORD_STEP = 128;
constexpr std::size_t WORD_COUNT = 128;
// Byte 6 bit 2 of the iNES header: 512 bytes of trainer follow the header.
constexpr std::size_t FLAGS_BYTE = 6;
constexpr unsigned char TRAINER_BIT = 0x04;

bool hasTrainer(const unsigned char* rom, std::size_t size)
{
    return size > FLAGS_BYTE && (rom[FLAGS_BYTE] & TRAINER_BIT) != 0;
}

// Where the ROM data, and so the sampled words, begin.
std::size_t firstWord(bool trainer)
{
    return INES_HEADER_SIZE + (trainer ? ROM_TRAINER_SIZE : 0);
}

}  // namespace

std::uint32_t romChecksum(const unsigned char* rom, std::size_t size)
{
    const std::size_t first = firstWord(hasTrainer(rom, size));
    std::uint32_t sum = 0;
    for (std::size_t k = 0; k < WORD_COUNT; ++k) {
        const std::size_t at = first + WORD_STEP * k;
        if (at + 4 > size) break;  // a short ROM: the missing words count as 0
        sum += getLe32(rom + at);
    }
    return sum;
}

SaveResult romFileChecksum(const std::string& romPath, std::uint32_t& checksum)
{
    InFile in;
    SaveResult opened = openSaveInput(romPath, in);
    // A missing file has no size, as an empty one.
    if (opened == SaveCode::Missing) opened.code = SaveCode::RomTooSmall;
    if (opened == SaveCode::Unreadable) opened.code = SaveCode::RomUnreadable;
    if (!opened.ok()) return opened;
    SaveResult tooSmall = saveFailure(SaveCode::RomTooSmall, romPath);
    tooSmall.bytes = in.size();
    const auto size = static_cast<std::size_t>(in.size());
    if (size < ROM_CHECKSUM_MIN_SIZE) return tooSmall;
    // The header, the trainer if any, and the first 16384 bytes of ROM data.
    std::vector<unsigned char> head(firstWord(true) + ROM_CHECKSUM_MIN_SIZE, 0);
    const std::size_t got = in.read(head.data(), head.size());
    if (got < ROM_CHECKSUM_MIN_SIZE || in.readFailed()) {
        SaveResult failed = shortRead(romPath, in);
        failed.code = SaveCode::RomUnreadable;
        return failed;
    }
    // The words then lie behind the trainer, so the file must hold them.
    if (hasTrainer(head.data(), got) && size < firstWord(true) + ROM_CHECKSUM_MIN_SIZE) return tooSmall;
    checksum = romChecksum(head.data(), got);
    return {};
}
