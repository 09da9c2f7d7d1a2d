#include "packed_chain.h"

#include "byte_order.h"

#include <algorithm>

PackedChain walkPackedChain(const PackedSaveImage& image)
{
    PackedChain chain;
    std::size_t offset = PACKED_CHAIN_START;
    // Each record is at least a header long, so the walk always moves
    // forward and cannot loop.
    for (;;) {
        chain.end = offset;
        if (offset + 2 > PACKED_IMAGE_SIZE) return chain;  // no room for the zero size
        const std::size_t size = getLe16(image.data() + offset);
        if (size == 0) {
            chain.valid = true;
            return chain;
        }
        if (size < PACKED_RECORD_HEADER_SIZE || size > PACKED_IMAGE_SIZE - offset) return chain;
        const std::uint16_t type = getLe16(image.data() + offset + 2);
        if (type != RECORD_ST && type != RECORD_SV && type != RECORD_PLAIN) return chain;
        chain.records.push_back(ChainRecord{offset, size, type});
        offset += size;
    }
}

std::size_t chainUsedBytes(const PackedChain& chain)
{
    std::size_t used = 0;
    for (const ChainRecord& r : chain.records) used += r.size;
    return used;
}

void putChainEnd(PackedSaveImage& image, std::size_t offset)
{
    static const unsigned char endBytes[PACKED_CHAIN_END_SIZE] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    if (offset >= PACKED_IMAGE_SIZE) return;
    const std::size_t n = std::min(PACKED_CHAIN_END_SIZE, PACKED_IMAGE_SIZE - offset);
    std::copy(endBytes, endBytes + n, image.begin() + static_cast<std::ptrdiff_t>(offset));
}

const ChainRecord* chainRecordAt(const PackedChain& chain, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= chain.records.size()) return nullptr;
    return &chain.records[static_cast<std::size_t>(index)];
}
