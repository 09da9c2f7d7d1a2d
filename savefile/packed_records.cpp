// SPDX-License-Identifier: GPL-3.0-or-later
// Storing, extracting and deleting the battery saves of a packed save image.
#include "packed_image.h"

#include "file_io.h"
#include "packed_chain.h"
#include "packed_codec.h"
#include "packed_live.h"
#include "packed_place.h"
#include "save_input.h"
#include "save_title.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

static_assert(PACKED_SAVE_MAX == SAVE_MAX_BYTES);

namespace {

std::size_t configRecordCount(const PackedChain& chain)
{
    return static_cast<std::size_t>(std::count_if(chain.records.begin(), chain.records.end(),
                                                  [](const ChainRecord& r) { return r.type == RECORD_PLAIN; }));
}

// The battery save behind index: the live area for the live line, else the
// record's data unpacked. Done, NoSuchLine, NotBatterySave or Damaged.
SaveResult saveAt(const PackedSaveImage& image, int index, std::vector<unsigned char>& save)
{
    const PackedChain chain = walkPackedChain(image);
    const LiveArea live = liveAreaOf(image, chain);
    if (index >= 0 && live.line == static_cast<std::size_t>(index)) {
        save.assign(image.data() + image.liveAreaStart(), image.end());
        return {};
    }
    const ChainRecord* record = chainRecordAt(chain, index);
    SaveResult result;
    result.index = static_cast<std::size_t>(index);
    if (record == nullptr) {
        result.code = SaveCode::NoSuchLine;
    } else if (record->type != RECORD_SV) {
        result.code = SaveCode::NotBatterySave;
    } else if (!decompressRecord(image, record->offset, record->size, save)) {
        result.code = SaveCode::Damaged;
    }
    return result;
}

}  // namespace

SaveResult placePackedRecord(PackedSaveImage& image, int index, const std::vector<unsigned char>& record,
                             std::size_t* at)
{
    const PackedChain chain = walkPackedChain(image);
    const ChainRecord* target = chainRecordAt(chain, index);
    // PocketNES needs a configuration record to keep the running game's
    // save: the replaced one goes first again, or a new one when there is none.
    const std::size_t configs = configRecordCount(chain);
    const bool replacesConfig = target != nullptr && target->type == RECORD_PLAIN;
    const bool needsConfig = configs == 0 || (replacesConfig && configs == 1);
    const std::vector<unsigned char> config =
        replacesConfig ? std::vector<unsigned char>(image.data() + target->offset,
                                                    image.data() + target->offset + target->size)
                       : newConfigRecord();

    // A damaged chain, or one already reaching into the live area, has no
    // place where a record could safely go.
    const std::size_t grows = record.size() + (needsConfig ? config.size() : 0);
    const std::size_t shrinks = target != nullptr ? target->size : 0;
    const std::size_t needed = grows > shrinks ? grows - shrinks : 0;
    const std::size_t available = chainFreeBytes(image, chain);
    const auto noRoom = [&] {
        SaveResult result = saveFailure(SaveCode::NoRoom);
        result.bytes = static_cast<std::int64_t>(needed);
        result.available = static_cast<std::int64_t>(available);
        result.largerMemoryFits = packedRoomNeedsMemory(image, needed, available);
        return result;
    };
    if (!chainBelowLiveArea(image, chain) || grows > available + shrinks) return noRoom();

    // The work is done on a copy: several steps must all succeed.
    auto work = std::make_unique<PackedSaveImage>(image);
    if (!spliceRecord(*work, chain, index, true, record)) return noRoom();
    std::size_t newIndex = target != nullptr ? static_cast<std::size_t>(index) : chain.records.size();
    PackedChain after = walkPackedChain(*work);
    if (!configRecordIndex(after)) {
        if (!spliceRecord(*work, after, 0, false, config)) return noRoom();
        after = walkPackedChain(*work);
        ++newIndex;
    }

    // PocketNES would pack the live area over the game's save at its next
    // start: when the user replaced that save, or stored a newer one, the
    // live area is no longer the game's newest save.
    const LiveArea live = liveAreaOf(image, chain);
    if (live.owner != 0) {
        const bool replacedLiveSave = target != nullptr && live.ownerRecord == static_cast<std::size_t>(index);
        const bool newestOfTheGame = liveAreaOf(*work, after).ownerRecord == newIndex;
        if (replacedLiveSave || newestOfTheGame) releaseLiveArea(*work);
    }
    // A live area kept for want of room is packed as soon as there is room,
    // so it is kept only while PocketNES could not pack it either.
    packLiveArea(*work);
    image = *work;
    if (at != nullptr) *at = newIndex;
    return {};
}

SaveResult storePackedSave(const std::string& savPath, PackedSaveImage& image, int index, std::uint32_t checksum,
                           std::optional<std::size_t>* replaced)
{
    if (replaced != nullptr) replaced->reset();
    std::vector<unsigned char> data(PACKED_SAVE_MAX, 0);
    std::size_t size = 0;
    {
        InFile in;
        const SaveResult opened = openSavFile(savPath, in);
        if (!opened.ok()) return opened;
        size = static_cast<std::size_t>(in.size());
        if (in.read(data.data(), size) != size) return shortRead(savPath, in);
    }

    // A game keeps one battery save: the one PocketNES restores is replaced,
    // and no other record may become a second one.
    const std::optional<std::size_t> live = packedLiveRecord(image, RECORD_SV, checksum);
    const bool appends = chainRecordAt(walkPackedChain(image), index) == nullptr;
    if (!appends) {
        if (live && *live != static_cast<std::size_t>(index)) {
            SaveResult second = saveFailure(SaveCode::SecondSave);
            second.index = *live;
            return second;
        }
    } else if (live) {
        index = static_cast<int>(*live);
    }

    std::vector<unsigned char> packed;
    SaveResult failed = saveFailure(SaveCode::CompressionFailed);
    failed.subject = savPath;
    if (!compressSave(data.data(), size, packed)) return failed;
    RecordHeader header;
    // PocketNES writes the uncompressed size here and reads the data's length
    // from the record size; the editor does the same.
    header.lengthField = static_cast<std::uint32_t>(size);
    header.checksum = checksum;
    header.title = titleField(fitCp932Title(titleStemOfPath(savPath), SAVE_TITLE_MAX_BYTES));
    failed = placePackedRecord(image, index, makeRecord(header, packed));
    failed.subject = savPath;
    if (failed.ok() && appends && replaced != nullptr) *replaced = live;
    return failed;
}

SaveResult extractPackedSave(const std::string& path, const PackedSaveImage& image, int index, WriteMode mode)
{
    std::vector<unsigned char> save;
    const SaveResult found = saveAt(image, index, save);
    if (!found.ok()) return found;
    const int err = replaceFileWith(path, save.data(), save.size(), mode);
    return err == 0 ? SaveResult{} : saveFailure(SaveCode::WriteFailed, path, err);
}

SaveResult packedSaveSize(const PackedSaveImage& image, int index, std::size_t& size)
{
    std::vector<unsigned char> save;
    const SaveResult found = saveAt(image, index, save);
    if (found.ok()) size = save.size();
    return found;
}

SaveResult deletePackedRecord(PackedSaveImage& image, int index)
{
    const PackedChain chain = walkPackedChain(image);
    // A damaged chain is left alone rather than losing what follows.
    if (!chain.valid) return {};
    const LiveArea live = liveAreaOf(image, chain);
    if (live.owner != 0 && !live.ownerRecord && index >= 0 && live.line == static_cast<std::size_t>(index)) {
        // The game's only save is the live area: deleting it is releasing it.
        releaseLiveArea(image);
        return {};
    }
    const ChainRecord* record = chainRecordAt(chain, index);
    if (record == nullptr) return {};
    SaveResult refused;
    refused.index = static_cast<std::size_t>(index);
    refused.deleting = true;
    if (record->type == RECORD_PLAIN && configRecordCount(chain) == 1) {
        refused.code = SaveCode::ConfigRecordNeeded;
        return refused;
    }
    const std::size_t tailStart = record->offset + record->size;
    const std::size_t tailSize = chain.end - tailStart;
    const std::size_t newEnd = record->offset + tailSize;
    // Never write into the live area: a chain that reaches into it may only
    // shrink out of it.
    if (newEnd + PACKED_CHAIN_END_SIZE > image.chainLimit()) {
        refused.code = SaveCode::ReachesLiveArea;
        return refused;
    }
    std::memmove(image.data() + record->offset, image.data() + tailStart, tailSize);
    putChainEnd(image, newEnd);
    if (live.ownerRecord == static_cast<std::size_t>(index)) releaseLiveArea(image);
    packLiveArea(image);  // the room freed may be enough now
    return {};
}
