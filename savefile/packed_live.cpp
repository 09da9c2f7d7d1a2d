// SPDX-License-Identifier: GPL-3.0-or-later
#include "packed_live.h"

#include "byte_order.h"
#include "hex_text.h"
#include "packed_codec.h"
#include "save_title.h"

#include <algorithm>
#include <memory>
#include <vector>

LiveArea liveAreaOf(const PackedSaveImage& image, const PackedChain& chain)
{
    LiveArea live;
    live.configIndex = configRecordIndex(chain);
    if (!live.configIndex) return live;
    live.owner = getLe32(image.data() + chain.records[*live.configIndex].offset + CONFIG_OWNER);
    if (live.owner == 0) return live;
    // PocketNES restores a game's last battery save and packs into it.
    for (std::size_t i = 0; i < chain.records.size(); ++i) {
        const ChainRecord& r = chain.records[i];
        if (r.type == RECORD_SV && getLe32(image.data() + r.offset + RECORD_CHECKSUM) == live.owner) {
            live.ownerRecord = i;
        }
    }
    live.line = live.ownerRecord.value_or(chain.records.size());
    return live;
}

std::string liveSaveTitle(std::uint32_t owner)
{
    return "ROM " + hexText(owner, 8);
}

void releaseLiveArea(PackedSaveImage& image)
{
    const PackedChain chain = walkPackedChain(image);
    const std::optional<std::size_t> config = configRecordIndex(chain);
    if (!config) return;
    putLe32(image.data() + chain.records[*config].offset + CONFIG_OWNER, 0);
    // Records reaching into the area (a damaged chain) keep their bytes.
    if (!chainBelowLiveArea(image, chain)) return;
    std::fill(image.data() + image.liveAreaStart(), image.end(), 0);
    if (image.eitherSize) {
        unsigned char* small = image.data() + PACKED_SMALL_LIVE_START;
        std::fill(small, small + PACKED_LIVE_AREA_SIZE, 0);
    }
}

bool makeLiveRecord(const PackedSaveImage& image, const PackedChain& chain, const LiveArea& live,
                    std::vector<unsigned char>& record)
{
    if (live.owner == 0) return false;
    const unsigned char* data = image.data() + image.liveAreaStart();
    std::vector<unsigned char> packed;
    if (!compressSave(data, PACKED_LIVE_AREA_SIZE, packed)) return false;
    RecordHeader header;
    header.lengthField = static_cast<std::uint32_t>(PACKED_LIVE_AREA_SIZE);  // as PocketNES writes it
    header.checksum = live.owner;
    if (live.ownerRecord) {
        const unsigned char* old = image.data() + chain.records[*live.ownerRecord].offset;
        header.word8 = getLe32(old + RECORD_WORD_8);
        std::copy(old + RECORD_TITLE, old + RECORD_TITLE + PACKED_TITLE_SIZE, header.title.begin());
    } else {
        header.title = titleField(liveSaveTitle(live.owner));
    }
    record = makeRecord(header, packed);
    return true;
}

bool packLiveArea(PackedSaveImage& image)
{
    const PackedChain chain = walkPackedChain(image);
    const LiveArea live = liveAreaOf(image, chain);
    std::vector<unsigned char> record;
    if (!makeLiveRecord(image, chain, live, record)) return false;
    const std::vector<unsigned char> data(image.data() + image.liveAreaStart(), image.end());
    const auto index = static_cast<int>(*live.line);
    auto work = std::make_unique<PackedSaveImage>(image);
    if (!spliceRecord(*work, chain, index, live.ownerRecord.has_value(), record)) return false;

    // The live data are cleared below: make sure they are in the record first.
    const PackedChain after = walkPackedChain(*work);
    const ChainRecord* stored = chainRecordAt(after, index);
    std::vector<unsigned char> unpacked;
    if (stored == nullptr || !decompressRecord(*work, stored->offset, stored->size, unpacked) || unpacked != data) {
        return false;
    }
    releaseLiveArea(*work);
    image = *work;
    return true;
}

std::optional<PackedSaveAtRisk> packedSaveAtRisk(const PackedSaveImage& image)
{
    const PackedChain chain = walkPackedChain(image);
    const LiveArea live = liveAreaOf(image, chain);
    std::vector<unsigned char> record;
    if (!chain.valid || !makeLiveRecord(image, chain, live, record)) return std::nullopt;
    // PocketNES packs the live area in place of the game's last battery save
    // (or after the records) when the chain and its 8 end bytes still fit.
    const std::size_t replaced = live.ownerRecord ? chain.records[*live.ownerRecord].size : 0;
    const std::size_t needed = chain.end - replaced + record.size() + PACKED_CHAIN_END_SIZE;
    if (needed <= image.chainLimit()) return std::nullopt;
    PackedSaveAtRisk risk;
    risk.game = live.owner;
    // The record made of the live area carries the game's title.
    risk.title = titleFieldText(record.data() + RECORD_TITLE, PACKED_TITLE_SIZE);
    risk.bytesToFree = needed - image.chainLimit();
    return risk;
}
