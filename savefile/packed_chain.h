// Walking the record chain of a packed save image. Every walk stays inside
// the 65536 bytes: a record that is smaller than its header, that runs past
// the end, that has an unknown type, or a chain that ends without its zero
// size, stops the walk and marks the chain as damaged.
#pragma once

#include "packed_image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr std::size_t PACKED_CHAIN_START = 4;
// What store and delete write after the last record: a 32-bit 0, then
// 0xFFFFFFFF.
constexpr std::size_t PACKED_CHAIN_END_SIZE = 8;

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

// The sum of the sizes of the records.
std::size_t chainUsedBytes(const PackedChain& chain);

// Writes the end of the chain at offset: as many of its 8 bytes as fit.
void putChainEnd(PackedSaveImage& image, std::size_t offset);

// The record at index, or null when index is negative or past the records.
const ChainRecord* chainRecordAt(const PackedChain& chain, int index);
