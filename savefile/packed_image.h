// The packed save image: 64 KiB holding a chain of LZO1X-compressed records,
// each tied to a NES ROM by a checksum of the ROM.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr std::size_t PACKED_IMAGE_SIZE = 65536;
constexpr std::uint32_t PACKED_IMAGE_MAGIC = 0x57A731D7;
constexpr std::size_t PACKED_RECORD_HEADER_SIZE = 48;
constexpr std::size_t PACKED_TITLE_SIZE = 32;
constexpr std::size_t PACKED_SAVE_MAX = 8192;
// Index that means "after the last record" (the window's Append).
constexpr int PACKED_APPEND = 65535;
// A ROM must hold at least this many bytes for its checksum.
constexpr std::size_t ROM_CHECKSUM_MIN_SIZE = 16384;

enum : std::uint16_t {
    RECORD_ST = 0,
    RECORD_SV = 1,
    RECORD_PLAIN = 2,
};

using PackedSaveImage = std::array<unsigned char, PACKED_IMAGE_SIZE>;

// One record of the chain, as the editor lists it.
struct PackedRecordInfo {
    std::size_t offset = 0;             // of the record header in the image
    std::uint16_t size = 0;             // record size
    std::uint16_t type = 0;
    std::uint32_t compressedLength = 0;
    std::uint32_t romChecksum = 0;
    std::string title;                  // CP932, without its NULs
};

// The records of a valid chain in order (stops safely on a damaged one).
std::vector<PackedRecordInfo> packedRecords(const PackedSaveImage& image);

// All zero and the magic: an empty chain.
void blankPackedImage(PackedSaveImage& image);

// 0 valid; 1 not found or empty; 2 not a valid packed image (wrong size or
// magic, a bad record type, a chain that leaves the image, loops or has a
// record smaller than its header); 3 can't be read (a folder, FIFO or device
// among them, never opened). Blank on every code but 0.
int readPackedImage(const std::string& path, PackedSaveImage& image);

// Stores the magic and writes the image (replaced only when complete).
// 0 written; 1 the file could not be created or written (the reason in
// *reason when given, as fileErrorText tells it).
int writePackedImage(const std::string& path, PackedSaveImage& image, int* reason = nullptr);

// Sum of the 128 little-endian words at 16 + 128 k; rom holds >= 16384 bytes.
std::uint32_t romChecksum(const unsigned char* rom, std::size_t size);

// romChecksum of a ROM file, reading only the bytes it needs.
// 0 done; 1 the file is smaller than 16384 bytes (or missing);
// 2 the file can't be opened or read.
int romFileChecksum(const std::string& romPath, std::uint32_t& checksum);

// Compresses the ".sav" file into a RECORD_SV record that replaces the record
// at index, or goes after the last one when index is at or past the end.
// 0 done; 1 not found or empty; 2 larger than 8192 bytes; 3 can't be read;
// 4 the compression library can't start; 5 no room in the image.
// Codes 1-5 leave the image unchanged.
int storePackedSave(const std::string& savPath, PackedSaveImage& image, int index,
                    std::uint32_t checksum);

// Decompresses the record at index into path (replaced only when complete).
// 0 written; 1 no record at index; 3 the file could not be created or
// written; 4 the record's data are damaged or decompress to more than 8192
// bytes (no file is created). The reason for 3 goes to *reason when given.
int extractPackedSave(const std::string& path, const PackedSaveImage& image, int index,
                      int* reason = nullptr);

// Removes the record at index (nothing at or past the end). Always 0.
int deletePackedRecord(PackedSaveImage& image, int index);

// Sets the title of the record at index to the CP932 text (at most 31 bytes,
// cut without splitting a double-byte character, NUL-padded). 0 done; 1 no
// record at index.
int setPackedTitle(PackedSaveImage& image, int index, std::string_view title);
