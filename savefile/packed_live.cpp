#include "packed_live.h"

#include "byte_order.h"
#include "hex_text.h"
#include "packed_codec.h"

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
    if (chainBelowLiveArea(image, chain)) std::fill(image.data() + image.liveAreaStart(), image.end(), 0);
}

bool packLiveArea(PackedSaveImage& image)
{
    const PackedChain chain = walkPackedChain(image);
    const LiveArea live = liveAreaOf(image, chain);
    if (live.owner == 0) return false;
    const std::vector<unsigned char> data(image.data() + image.liveAreaStart(), image.end());
    std::vector<unsigned char> packed;
    if (!compressSave(data.data(), data.size(), packed)) return false;

    RecordHeader header;
    header.lengthField = static_cast<std::uint32_t>(data.size());  // as PocketNES writes it
    header.checksum = live.owner;
    if (live.ownerRecord) {
        const unsigned char* old = image.data() + chain.records[*live.ownerRecord].offset;
        header.word8 = getLe32(old + RECORD_WORD_8);
        std::copy(old + RECORD_TITLE, old + RECORD_TITLE + PACKED_TITLE_SIZE, header.title.begin());
    } else {
        header.title = titleField(liveSaveTitle(live.owner));
    }
    const auto index = static_cast<int>(*live.line);
    auto work = std::make_unique<PackedSaveImage>(image);
    if (!spliceRecord(*work, chain, index, live.ownerRecord.has_value(), makeRecord(header, packed))) return false;

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
