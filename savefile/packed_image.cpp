// SPDX-License-Identifier: GPL-3.0-or-later
#include "packed_image.h"

#include "byte_order.h"
#include "file_io.h"
#include "packed_chain.h"
#include "packed_codec.h"
#include "packed_live.h"
#include "packed_memory.h"
#include "save_input.h"
#include "save_title.h"

#include <algorithm>

namespace {

SaveResult failBlank(PackedSaveImage& image, SaveResult result)
{
    blankPackedImage(image);
    return result;
}

// A 32 KiB save chip shows its contents again at 0x8000, so a 64 KiB copy
// of it repeats its first half.
bool halvesMatch(const PackedSaveImage& image)
{
    const std::size_t half = PACKED_SMALL_IMAGE_SIZE;
    return std::equal(image.bytes.begin(), image.bytes.begin() + half, image.bytes.begin() + half);
}

}  // namespace

std::vector<PackedRecordInfo> packedRecords(const PackedSaveImage& image)
{
    const PackedChain chain = walkPackedChain(image);
    const LiveArea live = liveAreaOf(image, chain);
    const std::vector<std::optional<std::size_t>> hidden = hiddenBattery(image, chain);
    std::vector<PackedRecordInfo> list;
    for (std::size_t i = 0; i < chain.records.size(); ++i) {
        const ChainRecord& r = chain.records[i];
        const unsigned char* header = image.data() + r.offset;
        PackedRecordInfo info;
        info.offset = r.offset;
        info.size = static_cast<std::uint16_t>(r.size);
        info.type = r.type;
        info.lengthField = getLe32(header + RECORD_LENGTH_FIELD);
        info.romChecksum = getLe32(header + RECORD_CHECKSUM);
        info.title = titleFieldText(header + RECORD_TITLE, PACKED_TITLE_SIZE);
        info.live = live.ownerRecord == i;
        info.hiddenBy = hidden[i];
        list.push_back(std::move(info));
    }
    if (live.owner != 0 && !live.ownerRecord) {
        PackedRecordInfo info;
        info.offset = image.liveAreaStart();
        info.type = RECORD_SV;
        info.romChecksum = live.owner;
        info.title = liveSaveTitle(live.owner);
        info.live = true;
        info.liveOnly = true;
        list.push_back(std::move(info));
    }
    return list;
}

void blankPackedImage(PackedSaveImage& image)
{
    image.bytes.fill(0);
    image.memorySize = PACKED_IMAGE_SIZE;
    image.mirrored = false;
    image.eitherSize = false;
    image.magic = PACKED_IMAGE_MAGIC;
    putLe32(image.data(), PACKED_IMAGE_MAGIC);
}

SaveResult newPackedImage(PackedSaveImage& image, std::size_t memorySize, bool mirrored)
{
    blankPackedImage(image);
    if (memorySize != PACKED_IMAGE_SIZE && memorySize != PACKED_SMALL_IMAGE_SIZE) return saveFailure(SaveCode::OtherSize);
    if (mirrored && memorySize != PACKED_SMALL_IMAGE_SIZE) return saveFailure(SaveCode::OtherSize);
    image.memorySize = memorySize;
    image.mirrored = mirrored;
    // Without a configuration record PocketNES restores a stored save but
    // never takes the game as the live area's owner, so what is played in
    // that first session would never be packed.
    const std::vector<unsigned char> config = newConfigRecord();
    std::copy(config.begin(), config.end(), image.data() + PACKED_CHAIN_START);
    putChainEnd(image, PACKED_CHAIN_START + config.size());
    return {};
}

SaveResult readPackedImage(const std::string& path, PackedSaveImage& image, PackedMemory memory)
{
    InFile in;
    const SaveResult opened = openSaveInput(path, in);
    if (!opened.ok()) return failBlank(image, opened);
    const SaveResult invalid = saveFailure(SaveCode::NotASave, path);
    const auto bytes = static_cast<std::size_t>(in.size());
    if (in.size() != static_cast<std::int64_t>(PACKED_IMAGE_SIZE) &&
        in.size() != static_cast<std::int64_t>(PACKED_SMALL_IMAGE_SIZE)) {
        return failBlank(image, invalid);
    }
    blankPackedImage(image);
    if (in.read(image.data(), bytes) != bytes) return failBlank(image, shortRead(path, in));
    image.memorySize = bytes;
    image.magic = getLe32(image.data());
    if (!isPackedMagic(image.magic)) return failBlank(image, invalid);
    if (bytes == PACKED_IMAGE_SIZE) {
        // What the file tells wins; the caller's word settles only what it
        // leaves open.
        MemoryReading reading = MemoryReading::Small;
        if (!halvesMatch(image)) {
            if (!walkPackedChain(image).valid) return failBlank(image, invalid);
            reading = tellPackedMemory(image);
        }
        if (reading == MemoryReading::Unknown || reading == MemoryReading::Either) {
            if (memory == PackedMemory::Small) reading = MemoryReading::Small;
            if (memory == PackedMemory::Large) reading = MemoryReading::Large;
        }
        if (reading == MemoryReading::Unknown) return failBlank(image, saveFailure(SaveCode::MemoryUnknown, path));
        if (reading == MemoryReading::Small) keepLowerHalf(image);
        image.eitherSize = reading == MemoryReading::Either;
    }
    if (!walkPackedChain(image).valid) return failBlank(image, invalid);
    packLiveArea(image);
    return {};
}

SaveResult writePackedImage(const std::string& path, PackedSaveImage& image, WriteMode mode)
{
    putLe32(image.data(), isPackedMagic(image.magic) ? image.magic : PACKED_IMAGE_MAGIC);
    if (image.memorySize == PACKED_IMAGE_SIZE) {
        // Free memory at 0x8000 holding a magic would make the file read as a
        // 32 KiB memory with a stale upper half.
        unsigned char* upper = image.data() + PACKED_SMALL_IMAGE_SIZE;
        const PackedChain chain = walkPackedChain(image);
        if (isPackedMagic(getLe32(upper)) && chain.end + PACKED_CHAIN_END_SIZE <= PACKED_SMALL_IMAGE_SIZE) {
            putLe32(upper, 0);
        }
    }
    // A 32 KiB memory in a 64 KiB file goes there twice, so that no stale
    // upper half is left and a 64 KiB cart sees the mirror and uses 32 KiB too.
    std::vector<unsigned char> file(image.begin(), image.end());
    if (image.mirrored) file.insert(file.end(), image.begin(), image.end());
    const int err = replaceFileWith(path, file.data(), file.size(), mode);
    return err == 0 ? SaveResult{} : saveFailure(SaveCode::WriteFailed, path, err);
}

SaveResult setPackedTitle(PackedSaveImage& image, int index, std::string_view title)
{
    const PackedChain chain = walkPackedChain(image);
    const ChainRecord* record = chainRecordAt(chain, index);
    SaveResult refused = saveFailure(record == nullptr ? SaveCode::NoSuchLine : SaveCode::NotBatterySave);
    refused.index = static_cast<std::size_t>(index);
    if (record == nullptr || record->type != RECORD_SV) return refused;
    // The live area is the running game's memory, not a place for titles.
    if (record->offset + PACKED_RECORD_HEADER_SIZE > image.chainLimit()) {
        refused.code = SaveCode::TitleInLiveArea;
        return refused;
    }
    storeTitleField(image.data() + record->offset + RECORD_TITLE, PACKED_TITLE_SIZE,
                    fitCp932Title(title, SAVE_TITLE_MAX_BYTES));
    return {};
}
