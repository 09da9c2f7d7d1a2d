// SPDX-License-Identifier: GPL-3.0-or-later
// One battery save per game: PocketNES walks the whole chain and restores
// (and packs into) a game's last battery save, so any earlier one of the
// same game is never used again.
#include "packed_image.h"

#include "byte_order.h"
#include "packed_chain.h"
#include "packed_live.h"

#include <cstring>
#include <memory>
#include <unordered_map>

namespace {

std::uint32_t checksumAt(const PackedSaveImage& image, const ChainRecord& r)
{
    return getLe32(image.data() + r.offset + RECORD_CHECKSUM);
}

}  // namespace

std::optional<std::size_t> packedLiveRecord(const PackedSaveImage& image, std::uint16_t type, std::uint32_t checksum)
{
    const PackedChain chain = walkPackedChain(image);
    std::optional<std::size_t> last;
    for (std::size_t i = 0; i < chain.records.size(); ++i) {
        const ChainRecord& r = chain.records[i];
        if (r.type == type && checksumAt(image, r) == checksum) last = i;
    }
    return last;
}

std::vector<std::optional<std::size_t>> hiddenBattery(const PackedSaveImage& image, const PackedChain& chain)
{
    std::unordered_map<std::uint32_t, std::size_t> last;
    for (std::size_t i = 0; i < chain.records.size(); ++i) {
        if (chain.records[i].type == RECORD_SV) last[checksumAt(image, chain.records[i])] = i;
    }
    std::vector<std::optional<std::size_t>> hidden(chain.records.size());
    for (std::size_t i = 0; i < chain.records.size(); ++i) {
        if (chain.records[i].type != RECORD_SV) continue;
        const std::size_t live = last[checksumAt(image, chain.records[i])];
        if (live != i) hidden[i] = live;
    }
    return hidden;
}

SaveResult prunePackedRecords(PackedSaveImage& image, std::size_t& removed, std::size_t& freed)
{
    removed = 0;
    freed = 0;
    const PackedChain chain = walkPackedChain(image);
    if (!chain.valid) return {};
    const std::vector<std::optional<std::size_t>> hidden = hiddenBattery(image, chain);
    // The kept records close up; nothing is written above the old chain.
    auto work = std::make_unique<PackedSaveImage>(image);
    std::size_t to = PACKED_CHAIN_START;
    for (std::size_t i = 0; i < chain.records.size(); ++i) {
        const ChainRecord& r = chain.records[i];
        if (hidden[i]) {
            ++removed;
            freed += r.size;
            continue;
        }
        std::memcpy(work->data() + to, image.data() + r.offset, r.size);
        to += r.size;
    }
    if (removed == 0) return {};
    if (to + PACKED_CHAIN_END_SIZE > image.chainLimit()) {
        removed = freed = 0;
        return saveFailure(SaveCode::ReachesLiveArea);
    }
    putChainEnd(*work, to);
    packLiveArea(*work);  // the room freed may be enough now
    image = *work;
    return {};
}
