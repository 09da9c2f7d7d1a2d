#include "packed_transfer.h"

#include "packed_chain.h"
#include "packed_live.h"
#include "packed_place.h"

#include <algorithm>
#include <memory>
#include <vector>

int copyPackedRecord(const PackedSaveImage& from, int index, PackedSaveImage& to, PackedRoom* room,
                     std::size_t* at)
{
    const std::vector<PackedRecordInfo> lines = packedRecords(from);
    if (index < 0 || static_cast<std::size_t>(index) >= lines.size()) return 1;
    const PackedRecordInfo& line = lines[static_cast<std::size_t>(index)];
    if (line.type == RECORD_PLAIN) return 1;

    std::vector<unsigned char> record;
    if (line.live) {
        const PackedChain chain = walkPackedChain(from);
        if (!makeLiveRecord(from, chain, liveAreaOf(from, chain), record)) return 4;
    } else {
        record.assign(from.data() + line.offset, from.data() + line.offset + line.size);
    }
    const std::optional<std::size_t> same = packedLiveRecord(to, line.type, line.romChecksum);
    return placePackedRecord(to, same ? static_cast<int>(*same) : PACKED_APPEND, record, room, at);
}

int convertPackedImage(PackedSaveImage& image, std::size_t memorySize, std::size_t* missing)
{
    if (memorySize != PACKED_IMAGE_SIZE && memorySize != PACKED_SMALL_IMAGE_SIZE) return 1;
    const PackedChain chain = walkPackedChain(image);
    if (!chain.valid) return 1;

    auto work = std::make_unique<PackedSaveImage>();
    blankPackedImage(*work);
    work->memorySize = memorySize;
    work->mirrored = memorySize == PACKED_SMALL_IMAGE_SIZE && image.fileSize() == PACKED_IMAGE_SIZE;
    work->magic = image.magic;
    const std::size_t needed = chain.end + PACKED_CHAIN_END_SIZE;
    if (needed > work->chainLimit()) {
        if (missing != nullptr) *missing = needed - work->chainLimit();
        return 5;
    }
    std::copy(image.data(), image.data() + chain.end, work->data());
    putChainEnd(*work, chain.end);
    // The game that ran last keeps its newest save.
    if (liveAreaOf(image, chain).owner != 0) {
        std::copy(image.data() + image.liveAreaStart(), image.end(), work->data() + work->liveAreaStart());
    }
    packLiveArea(*work);
    image = *work;
    return 0;
}
