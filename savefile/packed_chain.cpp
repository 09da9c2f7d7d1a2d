// SPDX-License-Identifier: GPL-3.0-or-later
#include "packed_chain.h"

#include "byte_order.h"

#include <algorithm>
#include <cstring>

PackedChain walkPackedChain(const PackedSaveImage& image)
{
    PackedChain chain;
    const std::size_t limit = image.size();
    std::size_t offset = PACKED_CHAIN_START;
    // Each record is at least a header long, so the walk always moves
    // forward and cannot loop.
    for (;;) {
        chain.end = offset;
        if (offset + 2 > limit) return chain;  // no room for the zero size
        const std::size_t size = getLe16(image.data() + offset);
        if (size == 0) {
            chain.valid = true;
            return chain;
        }
        if (size < PACKED_RECORD_HEADER_SIZE || size > limit - offset) return chain;
        const std::uint16_t type = getLe16(image.data() + offset + 2);
        if (type > RECORD_CHEAT) return chain;
        chain.records.push_back(ChainRecord{offset, size, type});
        offset += size;
    }
}

void putChainEnd(PackedSaveImage& image, std::size_t offset)
{
    static const unsigned char endBytes[PACKED_CHAIN_END_SIZE] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    if (offset >= image.size()) return;
    const std::size_t n = std::min(PACKED_CHAIN_END_SIZE, image.size() - offset);
    std::copy(endBytes, endBytes + n, image.data() + offset);
}

const ChainRecord* chainRecordAt(const PackedChain& chain, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= chain.records.size()) return nullptr;
    return &chain.records[static_cast<std::size_t>(index)];
}

bool chainBelowLiveArea(const PackedSaveImage& image, const PackedChain& chain)
{
    return chain.valid && chain.end + 2 <= image.chainLimit();
}

std::size_t chainFreeBytes(const PackedSaveImage& image, const PackedChain& chain)
{
    const std::size_t used = chain.end + PACKED_CHAIN_END_SIZE;
    return chain.valid && used <= image.chainLimit() ? image.chainLimit() - used : 0;
}

bool packedRoomNeedsMemory(const PackedSaveImage& image, std::size_t needed, std::size_t available)
{
    constexpr std::size_t moreAsLarge = PACKED_IMAGE_SIZE - PACKED_SMALL_IMAGE_SIZE;
    return image.eitherSize && needed <= available + moreAsLarge;
}

bool isPackedMagic(std::uint32_t word)
{
    return word == PACKED_IMAGE_MAGIC || word == PACKED_IMAGE_MAGIC_2;
}

bool spliceRecord(PackedSaveImage& image, const PackedChain& chain, int index, bool replace,
                  const std::vector<unsigned char>& record)
{
    if (!chainBelowLiveArea(image, chain)) return false;
    const ChainRecord* target = chainRecordAt(chain, index);
    const std::size_t at = target != nullptr ? target->offset : chain.end;
    const std::size_t replaced = target != nullptr && replace ? target->size : 0;
    const std::size_t tailStart = at + replaced;
    const std::size_t tailSize = chain.end - tailStart;
    // PocketNES grows its chain only while the end stays clear of the live
    // area; a record there would be overwritten by the next game's save.
    if (at + record.size() + tailSize + PACKED_CHAIN_END_SIZE > image.chainLimit()) return false;
    std::memmove(image.data() + at + record.size(), image.data() + tailStart, tailSize);
    std::memcpy(image.data() + at, record.data(), record.size());
    putChainEnd(image, at + record.size() + tailSize);
    return true;
}

std::optional<std::size_t> configRecordIndex(const PackedChain& chain)
{
    for (std::size_t i = 0; i < chain.records.size(); ++i) {
        if (chain.records[i].type == RECORD_PLAIN) return i;
    }
    return std::nullopt;
}
