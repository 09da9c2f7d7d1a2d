// SPDX-License-Identifier: GPL-3.0-or-later
#include "packed_memory.h"

#include "byte_order.h"
#include "packed_chain.h"
#include "packed_live.h"

#include <algorithm>
#include <memory>

namespace {

constexpr std::size_t UPPER_HALF = PACKED_SMALL_IMAGE_SIZE;

// Memory nobody has written since it was formatted: all 0x00 or all 0xFF.
bool isBlank(const PackedSaveImage& image, std::size_t from)
{
    const unsigned char* begin = image.data() + from;
    const unsigned char* end = begin + PACKED_LIVE_AREA_SIZE;
    return (*begin == 0x00 || *begin == 0xFF) && std::all_of(begin, end, [&](unsigned char b) { return b == *begin; });
}

std::uint32_t ownerOf(const PackedSaveImage& image)
{
    return liveAreaOf(image, walkPackedChain(image)).owner;
}

}  // namespace

void keepLowerHalf(PackedSaveImage& image)
{
    image.memorySize = PACKED_SMALL_IMAGE_SIZE;
    image.mirrored = true;
    image.eitherSize = false;
    std::fill(image.bytes.begin() + UPPER_HALF, image.bytes.end(), 0);
}

MemoryReading tellPackedMemory(const PackedSaveImage& whole)
{
    const PackedChain chain = walkPackedChain(whole);
    // PocketNES writes nothing at 0x8000 but a record; only a mirror of a
    // 32 KiB memory (written by this tool or by a 64 KiB cart) starts there
    // with the magic, since no record header can look like it.
    const bool oldMirror = isPackedMagic(getLe32(whole.data() + UPPER_HALF));
    if (chain.end + PACKED_CHAIN_END_SIZE > PACKED_SMALL_LIVE_START) {
        // A 32 KiB PocketNES never lets its chain reach its live area.
        return oldMirror && chain.end < UPPER_HALF ? MemoryReading::Unknown : MemoryReading::Large;
    }
    if (oldMirror) return MemoryReading::Small;

    // Read both ways, the live area packed as PocketNES will pack it.
    auto small = std::make_unique<PackedSaveImage>(whole);
    keepLowerHalf(*small);
    packLiveArea(*small);
    auto large = std::make_unique<PackedSaveImage>(whole);
    packLiveArea(*large);
    const auto below = static_cast<long>(PACKED_SMALL_LIVE_START);
    if (ownerOf(*small) == 0 && ownerOf(*large) == 0 &&
        std::equal(small->bytes.begin(), small->bytes.begin() + below, large->bytes.begin())) {
        return MemoryReading::Either;
    }
    // A game's save waits in one of the two live areas: the one that holds
    // data, while the other is blank, is the real one.
    const bool smallBlank = isBlank(whole, PACKED_SMALL_LIVE_START);
    const bool largeBlank = isBlank(whole, PACKED_IMAGE_SIZE - PACKED_LIVE_AREA_SIZE);
    if (!smallBlank && largeBlank) return MemoryReading::Small;
    if (smallBlank && !largeBlank) return MemoryReading::Large;
    return MemoryReading::Unknown;
}
