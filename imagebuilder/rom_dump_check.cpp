// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom_dump_check.h"

#include "rom_file.h"
#include "rom_list.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::int64_t INES_HEADER_BYTES = 16;
constexpr std::int64_t TRAINER_BYTES = 512;
constexpr std::int64_t PRG_BANK_BYTES = 16 * 1024;
constexpr std::int64_t CHR_BANK_BYTES = 8 * 1024;

}  // namespace

std::int64_t inesPromisedBytes(const unsigned char* header, std::size_t size)
{
    std::array<unsigned char, INES_HEADER_BYTES> h{};
    std::memcpy(h.data(), header, std::min(size, h.size()));
    if (size < 4 || !hasInesMagic(h.data())) return 0;
    if (h[4] == 0) return 0;
    if (isNes20Header(h[7]) && (h[9] != 0 || (h[14] & 0x03) != 0)) return 0;
    const std::int64_t trainer = (h[6] & 0x04) != 0 ? TRAINER_BYTES : 0;
    return INES_HEADER_BYTES + trainer + h[4] * PRG_BANK_BYTES + h[5] * CHR_BANK_BYTES;
}

DumpCheck checkDump(std::int64_t fileBytes, std::int64_t promised)
{
    DumpCheck check;
    if (promised <= 0 || fileBytes == promised) return check;
    check.verdict = fileBytes < promised ? DumpVerdict::Bad : DumpVerdict::Over;
    check.bytes = fileBytes < promised ? promised - fileBytes : fileBytes - promised;
    return check;
}

DumpCheck checkRomDump(const RomEntry& entry)
{
    return checkDump(entry.sourceBytes, entry.promisedBytes);
}

std::int64_t romBytesInImage(std::int64_t fileBytes, std::int64_t promised, bool trimOverdumps)
{
    return trimOverdumps && promised > 0 && fileBytes > promised ? promised : fileBytes;
}
