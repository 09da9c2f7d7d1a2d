// SPDX-License-Identifier: GPL-3.0-or-later
// Walking and splicing the record chain of a packed save image. Every walk
// stays inside the memory: a record that is smaller than its header, that
// runs past the end, that has an unknown type, or a chain that ends without
// its zero size, stops the walk and marks the chain as damaged.
#pragma once

#include "packed_image.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

constexpr std::size_t PACKED_CHAIN_START = 4;
// What store and delete write after the last record: a 32-bit 0, then
// 0xFFFFFFFF. PocketNES keeps these 8 bytes below the live area too.
constexpr std::size_t PACKED_CHAIN_END_SIZE = 8;

// Fields of a record header.
constexpr std::size_t RECORD_LENGTH_FIELD = 4;
constexpr std::size_t RECORD_WORD_8 = 8;
constexpr std::size_t RECORD_CHECKSUM = 12;
constexpr std::size_t RECORD_TITLE = 16;
// The title is the header's last field.
static_assert(RECORD_TITLE + PACKED_TITLE_SIZE == PACKED_RECORD_HEADER_SIZE);
// The configuration record keeps the live area's owner where the others
// keep their word 8, and its display and misc settings where the others
// keep their length.
constexpr std::size_t CONFIG_OWNER = 8;
constexpr std::size_t CONFIG_DISPLAY = 4;
constexpr std::size_t CONFIG_MISC = 5;
constexpr unsigned char CONFIG_DISPLAY_DEFAULT = 0x03;

struct ChainRecord {
    std::size_t offset = 0;
    std::size_t size = 0;
    std::uint16_t type = 0;
};

struct PackedChain {
    std::vector<ChainRecord> records;  // the whole records before any damage
    std::size_t end = PACKED_CHAIN_START;  // where the zero size is (or the damage)
    bool valid = false;
};

PackedChain walkPackedChain(const PackedSaveImage& image);

// Writes the end of the chain at offset: as many of its 8 bytes as fit.
void putChainEnd(PackedSaveImage& image, std::size_t offset);

// The record at index, or null when index is negative or past the records.
const ChainRecord* chainRecordAt(const PackedChain& chain, int index);

// A whole chain whose records and zero size all lie below the live area.
bool chainBelowLiveArea(const PackedSaveImage& image, const PackedChain& chain);

// The bytes records may still take below the chain limit, the chain's 8 end
// bytes kept; 0 for a damaged chain or one that reaches past the limit.
std::size_t chainFreeBytes(const PackedSaveImage& image, const PackedChain& chain);

// Either of the two words PocketNES takes as the magic.
bool isPackedMagic(std::uint32_t word);

// A store or copy into an image of either size that needed bytes more while
// available were free: a 64 KiB memory would have the room, so only the
// user can say which memory the file is for.
bool packedRoomNeedsMemory(const PackedSaveImage& image, std::size_t needed, std::size_t available);

// Puts record (header, data and padding) at index: in place of the record
// there when replace is set, else before it; at the end of the chain when
// index is past the records. The records behind it move, the end of the chain
// follows them. False, with the image unchanged, when the chain is damaged,
// already reaches into the live area, or would with its 8 end bytes.
bool spliceRecord(PackedSaveImage& image, const PackedChain& chain, int index, bool replace,
                  const std::vector<unsigned char>& record);

// For each record of the chain: when it is a battery save that a later one
// of the same game hides, the index of that later one (PocketNES restores a
// game's last battery save).
std::vector<std::optional<std::size_t>> hiddenBattery(const PackedSaveImage& image, const PackedChain& chain);

// Index of the first configuration record.
std::optional<std::size_t> configRecordIndex(const PackedChain& chain);
