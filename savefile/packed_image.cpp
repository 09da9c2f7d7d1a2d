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

int failBlank(PackedSaveImage& image, int code)
{
    blankPackedImage(image);
    return code;
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

int newPackedImage(PackedSaveImage& image, std::size_t memorySize, bool mirrored)
{
    blankPackedImage(image);
    if (memorySize != PACKED_IMAGE_SIZE && memorySize != PACKED_SMALL_IMAGE_SIZE) return 1;
    if (mirrored && memorySize != PACKED_SMALL_IMAGE_SIZE) return 1;
    image.memorySize = memorySize;
    image.mirrored = mirrored;
    // Without a configuration record PocketNES restores a stored save but
    // never takes the game as the live area's owner, so what is played in
    // that first session would never be packed.
    const std::vector<unsigned char> config = newConfigRecord();
    std::copy(config.begin(), config.end(), image.data() + PACKED_CHAIN_START);
    putChainEnd(image, PACKED_CHAIN_START + config.size());
    return 0;
}

int readPackedImage(const std::string& path, PackedSaveImage& image, int* reason, PackedMemory memory)
{
    InFile in;
    const int opened = openSaveInput(path, in, reason);
    if (opened != SAVE_INPUT_OPEN) return failBlank(image, opened);
    const auto bytes = static_cast<std::size_t>(in.size());
    if (in.size() != static_cast<std::int64_t>(PACKED_IMAGE_SIZE) &&
        in.size() != static_cast<std::int64_t>(PACKED_SMALL_IMAGE_SIZE)) {
        return failBlank(image, 2);
    }
    blankPackedImage(image);
    if (in.read(image.data(), bytes) != bytes) {
        if (reason != nullptr) *reason = shortReadReason(in);
        return failBlank(image, 3);
    }
    image.memorySize = bytes;
    image.magic = getLe32(image.data());
    if (!isPackedMagic(image.magic)) return failBlank(image, 2);
    if (bytes == PACKED_IMAGE_SIZE) {
        // What the file tells wins; the caller's word settles only what it
        // leaves open.
        MemoryReading reading = MemoryReading::Small;
        if (!halvesMatch(image)) {
            if (!walkPackedChain(image).valid) return failBlank(image, 2);
            reading = tellPackedMemory(image);
        }
        if (reading == MemoryReading::Unknown || reading == MemoryReading::Either) {
            if (memory == PackedMemory::Small) reading = MemoryReading::Small;
            if (memory == PackedMemory::Large) reading = MemoryReading::Large;
        }
        if (reading == MemoryReading::Unknown) return failBlank(image, 4);
        if (reading == MemoryReading::Small) keepLowerHalf(image);
        image.eitherSize = reading == MemoryReading::Either;
    }
    if (!walkPackedChain(image).valid) return failBlank(image, 2);
    packLiveArea(image);
    return 0;
}

int writePackedImage(const std::string& path, PackedSaveImage& image, int* reason, WriteMode mode)
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
    if (reason != nullptr) *reason = err;
    return err == 0 ? 0 : 1;
}

int setPackedTitle(PackedSaveImage& image, int index, std::string_view title)
{
    const PackedChain chain = walkPackedChain(image);
    const ChainRecord* record = chainRecordAt(chain, index);
    if (record == nullptr || record->type != RECORD_SV) return 1;
    // The live area is the running game's memory, not a place for titles.
    if (record->offset + PACKED_RECORD_HEADER_SIZE > image.chainLimit()) return 1;
    storeTitleField(image.data() + record->offset + RECORD_TITLE, PACKED_TITLE_SIZE,
                    fitCp932Title(title, SAVE_TITLE_MAX_BYTES));
    return 0;
}
