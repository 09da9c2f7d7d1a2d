#include "packed_image.h"

#include "byte_order.h"
#include "file_io.h"
#include "rom_file.h"

#include <vector>

namespace {

constexpr std::size_t FIRST_WORD = 16;  // behind the iNES header
constexpr std::size_t WORD_STEP = 128;
constexpr std::size_t WORD_COUNT = 128;
// The bytes the checksum can look at: the header and the first 16384 bytes
// of ROM data.
constexpr std::size_t CHECKSUM_SPAN = FIRST_WORD + ROM_CHECKSUM_MIN_SIZE;

}  // namespace

std::uint32_t romChecksum(const unsigned char* rom, std::size_t size)
{
    std::uint32_t sum = 0;
    for (std::size_t k = 0; k < WORD_COUNT; ++k) {
        const std::size_t at = FIRST_WORD + WORD_STEP * k;
        if (at + 4 > size) break;  // a short ROM: the missing words count as 0
        sum += getLe32(rom + at);
    }
    return sum;
}

int romFileChecksum(const std::string& romPath, std::uint32_t& checksum)
{
    const std::int32_t size = fileSize(romPath);
    if (static_cast<std::size_t>(size) < ROM_CHECKSUM_MIN_SIZE) return 1;
    InFile in(romPath);
    if (!in.isOpen()) return 2;
    std::vector<unsigned char> head(CHECKSUM_SPAN, 0);
    const std::size_t got = in.read(head.data(), head.size());
    if (got < ROM_CHECKSUM_MIN_SIZE || in.readFailed()) return 2;
    checksum = romChecksum(head.data(), got);
    return 0;
}
