// SPDX-License-Identifier: GPL-3.0-or-later
#include "packed_transfer.h"

#include "packed_chain.h"
#include "packed_live.h"
#include "packed_place.h"

#include <algorithm>
#include <memory>
#include <vector>

SaveResult copyPackedRecord(const PackedSaveImage& from, int index, PackedSaveImage& to, std::size_t* at,
                            bool* replaced)
{
    const std::vector<PackedRecordInfo> lines = packedRecords(from);
    SaveResult result;
    result.index = static_cast<std::size_t>(index);
    result.subject = "record " + std::to_string(index);
    if (index < 0 || static_cast<std::size_t>(index) >= lines.size()) {
        result.code = SaveCode::NoSuchLine;
        return result;
    }
    const PackedRecordInfo& line = lines[static_cast<std::size_t>(index)];
    if (line.type == RECORD_PLAIN) {
        result.code = SaveCode::ConfigRecordStays;
        return result;
    }

    std::vector<unsigned char> record;
    if (line.live) {
        const PackedChain chain = walkPackedChain(from);
        if (!makeLiveRecord(from, chain, liveAreaOf(from, chain), record)) {
            result.code = SaveCode::CompressionFailed;
            return result;
        }
    } else {
        record.assign(from.data() + line.offset, from.data() + line.offset + line.size);
    }
    const std::optional<std::size_t> same = packedLiveRecord(to, line.type, line.romChecksum);
    const SaveResult placed = placePackedRecord(to, same ? static_cast<int>(*same) : PACKED_APPEND, record, at);
    if (placed.ok()) {
        if (replaced != nullptr) *replaced = same.has_value();
        return placed;
    }
    const std::string subject = result.subject;
    result = placed;
    result.subject = subject;
    return result;
}

SaveResult convertPackedImage(PackedSaveImage& image, std::size_t memorySize)
{
    if (memorySize != PACKED_IMAGE_SIZE && memorySize != PACKED_SMALL_IMAGE_SIZE) return saveFailure(SaveCode::OtherSize);
    const PackedChain chain = walkPackedChain(image);
    if (!chain.valid) return saveFailure(SaveCode::OtherSize);

    auto work = std::make_unique<PackedSaveImage>();
    blankPackedImage(*work);
    work->memorySize = memorySize;
    work->mirrored = memorySize == PACKED_SMALL_IMAGE_SIZE && image.fileSize() == PACKED_IMAGE_SIZE;
    work->magic = image.magic;
    const std::size_t needed = chain.end + PACKED_CHAIN_END_SIZE;
    if (needed > work->chainLimit()) {
        SaveResult tooMany = saveFailure(SaveCode::DoesNotFit);
        tooMany.bytes = static_cast<std::int64_t>(needed - work->chainLimit());
        return tooMany;
    }
    std::copy(image.data(), image.data() + chain.end, work->data());
    putChainEnd(*work, chain.end);
    // The game that ran last keeps its newest save.
    if (liveAreaOf(image, chain).owner != 0) {
        std::copy(image.data() + image.liveAreaStart(), image.end(), work->data() + work->liveAreaStart());
    }
    packLiveArea(*work);
    image = *work;
    return {};
}
