// SPDX-License-Identifier: GPL-3.0-or-later
// The packed save image: the whole save memory of a GBA cartridge as the
// PocketNES emulator keeps it, 64 KiB or 32 KiB holding a chain of
// LZO1X-compressed records (each tied to a NES ROM by a checksum of the ROM)
// and, at its top, the 8 KiB live area: the battery memory of the game that
// ran last.
#pragma once

#include "file_io.h"
#include "save_result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The larger save memory; the image always has room for it.
constexpr std::size_t PACKED_IMAGE_SIZE = 65536;
// The smaller save memory some flash carts (and mGBA) have.
constexpr std::size_t PACKED_SMALL_IMAGE_SIZE = 32768;
// Where the live area of a 32 KiB memory begins.
constexpr std::size_t PACKED_SMALL_LIVE_START = 0x6000;
// Both words are taken as the magic; a blank image gets the first.
constexpr std::uint32_t PACKED_IMAGE_MAGIC = 0x57A731D7;
constexpr std::uint32_t PACKED_IMAGE_MAGIC_2 = 0x57A731D8;
constexpr std::size_t PACKED_RECORD_HEADER_SIZE = 48;
constexpr std::size_t PACKED_TITLE_SIZE = 32;
constexpr std::size_t PACKED_SAVE_MAX = 8192;
// The live area: the last 8192 bytes of the memory.
constexpr std::size_t PACKED_LIVE_AREA_SIZE = 8192;
// Index that means "after the last record" (the window's Append).
constexpr int PACKED_APPEND = 65535;
// A ROM must hold at least this many bytes for its checksum; one with a
// trainer (byte 6 bit 2 of its header) the trainer's 512 bytes more.
constexpr std::size_t ROM_CHECKSUM_MIN_SIZE = 16384;
constexpr std::size_t ROM_TRAINER_SIZE = 512;

// What the caller says of the save memory a 65536-byte file holds, for the
// files that can't tell it themselves.
enum class PackedMemory {
    FromFile,  // nothing (readPackedImage gives 4 when the file can't tell)
    Small,     // a 32 KiB memory: the file's first half, written back twice
    Large,     // a 64 KiB memory (and no longer kept to the 32 KiB room)
};

enum : std::uint16_t {
    RECORD_ST = 0,     // save state
    RECORD_SV = 1,     // battery save
    RECORD_PLAIN = 2,  // configuration: display settings and the live area's owner
    RECORD_CHEAT = 3,  // cheat list
};

struct PackedSaveImage {
    // The memory from offset 0; bytes past memorySize stay zero.
    std::array<unsigned char, PACKED_IMAGE_SIZE> bytes{};
    std::size_t memorySize = PACKED_IMAGE_SIZE;  // 65536 or 32768
    // The file was 65536 bytes holding a 32 KiB memory twice (a 32 KiB chip
    // shows itself again at 0x8000), and is written back so.
    bool mirrored = false;
    // The magic the file had, written back at offset 0.
    std::uint32_t magic = PACKED_IMAGE_MAGIC;
    // A 65536-byte file whose halves differ but which a 32 KiB and a 64 KiB
    // memory read alike (no game's save waits in a live area and the records
    // end below 0x6000): kept as a 64 KiB memory, but its records stay below
    // the 32 KiB live area so that both kinds of host keep reading it so.
    bool eitherSize = false;

    unsigned char* data() { return bytes.data(); }
    const unsigned char* data() const { return bytes.data(); }
    std::size_t size() const { return memorySize; }
    unsigned char* begin() { return bytes.data(); }
    unsigned char* end() { return bytes.data() + memorySize; }
    const unsigned char* begin() const { return bytes.data(); }
    const unsigned char* end() const { return bytes.data() + memorySize; }
    unsigned char& operator[](std::size_t i) { return bytes[i]; }
    unsigned char operator[](std::size_t i) const { return bytes[i]; }
    std::size_t liveAreaStart() const { return memorySize - PACKED_LIVE_AREA_SIZE; }
    // The chain must end (with its 8 end bytes) at or below this offset.
    std::size_t chainLimit() const { return eitherSize ? PACKED_SMALL_LIVE_START : liveAreaStart(); }
    // The size of the file the image is written as.
    std::size_t fileSize() const { return mirrored ? 2 * memorySize : memorySize; }
};

// One line of the editor's list: a record of the chain, or the live area of
// a game that has no record yet.
struct PackedRecordInfo {
    std::size_t offset = 0;   // of the record header (the live area's start for a live-only line)
    std::uint16_t size = 0;   // record size; 0 for a live-only line
    std::uint16_t type = 0;
    // The word at offset 4: PocketNES stores the save's uncompressed size
    // there, older files the compressed length. Neither bounds the data.
    std::uint32_t lengthField = 0;
    std::uint32_t romChecksum = 0;
    std::string title;        // CP932, without its NULs
    // The live area holds this game's newest save: extracting the line gives
    // the live data, not the record's.
    bool live = false;
    // No record in the chain: the line stands for the live area alone.
    bool liveOnly = false;
    // An older battery save: PocketNES restores a game's last battery save,
    // the record at this index, so this one is never used.
    std::optional<std::size_t> hiddenBy;
};

// The records of a valid chain in order (stops safely on a damaged one),
// then a live-only line when the live area's owner has no battery save.
std::vector<PackedRecordInfo> packedRecords(const PackedSaveImage& image);

// All zero and the magic, 64 KiB: an empty chain. A failed read leaves this.
void blankPackedImage(PackedSaveImage& image);

// A new image ready for PocketNES: the magic, a configuration record (owner
// 0, PocketNES's own display settings, title "CFG") at offset 4 and the end
// of the chain. memorySize is 65536 or 32768; a 32 KiB memory may be written
// twice into a 65536-byte file (mirrored), which every host reads alike.
// Done; OtherSize for another size, or a mirrored 64 KiB memory (the image
// is then blank).
SaveResult newPackedImage(PackedSaveImage& image, std::size_t memorySize, bool mirrored = false);

// Done for a valid image (documented as 0); Missing (1: not found or empty);
// NotASave (2: a size other than 65536 or 32768, wrong magic, a bad record
// type, a chain that leaves the memory, loops or has a record smaller than
// its header); Unreadable (3: a folder, FIFO or device among them, never
// opened); MemoryUnknown (4: a 65536-byte file whose memory size can't be
// told; read it again with Small or Large). Blank on every other result.
// A 32768-byte file is a 32 KiB memory. A 65536-byte file whose halves are
// equal is a 32 KiB memory saved twice. When they differ, the file is a
// 32 KiB memory with a stale upper half when 0x8000 holds a magic (an old
// mirror) or the owner's data are in 0x6000-0x7FFF while 0xE000-0xFFFF is
// blank; a 64 KiB memory when the chain passes 0x6000 or the owner's data are
// at 0xE000 while 0x6000-0x7FFF is blank; eitherSize when both readings give
// the same records and no live save. memory settles only the files that
// can't tell (code 4 without it) and those of either size.
// When the configuration record names an owner and the live area fits into
// that game's battery save below the live area, the live area is packed into
// it (or into a new record) and the owner is cleared, as PocketNES does at
// its next start; otherwise the owner stays and the live area is the game's
// newest save.
SaveResult readPackedImage(const std::string& path, PackedSaveImage& image,
                           PackedMemory memory = PackedMemory::FromFile);

// Stores the image's magic and writes the memory (twice when it is
// mirrored), replacing the file only when complete. A 64 KiB memory never
// keeps a magic at 0x8000 outside its records, which would read as an old
// mirror of a 32 KiB memory.
// Done, or WriteFailed (documented as 1) with the system's reason. With
// WriteMode::CreateNew only where no file is (EEXIST).
SaveResult writePackedImage(const std::string& path, PackedSaveImage& image, WriteMode mode = WriteMode::Replace);

// Sum of the 128 little-endian words at 16 + 128 k, behind the iNES header
// and, when byte 6 bit 2 is set, behind the 512-byte trainer too. Words past
// size count as 0.
std::uint32_t romChecksum(const unsigned char* rom, std::size_t size);

// romChecksum of a ROM file, reading only the bytes it needs.
// Done; RomTooSmall (documented as 1) for a file smaller than 16384 bytes
// (16912 with a trainer), or a missing one (its errorNumber then says so);
// RomUnreadable (2) for one that can't be opened or read (a folder, FIFO or
// device among them).
SaveResult romFileChecksum(const std::string& romPath, std::uint32_t& checksum);

// Compresses the ".sav" file into a RECORD_SV record that replaces the record
// at index. At or past the end it replaces the game's battery save PocketNES
// restores (packedLiveRecord), or goes after the last record when the game
// has none: a game keeps one battery save.
// The chain keeps a configuration record (one is put first when there is
// none, the replaced one when the store replaced it). When the store replaces
// the live area's game's save, or becomes that game's newest one, the owner
// is cleared so PocketNES won't pack the live area over it.
// Done (documented as 0); Missing (1: not found or empty); SavTooLarge (2:
// larger than 8192 bytes); Unreadable (3); CompressionFailed (4: the
// compression library can't start); NoRoom (5: the record, compressed, and
// the chain's end don't fit below the live area, or the chain already
// reaches into it; with the bytes needed and free, and whether a 64 KiB
// memory would have the room in a file of either size); SecondSave (6: the
// game has a battery save at another index that PocketNES would restore
// instead, packedLiveRecord names it: storing here would leave it two). A
// failure leaves the image unchanged. A live area that could not be packed
// for want of room is packed once the store leaves room for it (so too after
// a delete). *replaced (when given) is, after a store at or past the end that
// replaced the game's battery save, that record's index; else empty.
SaveResult storePackedSave(const std::string& savPath, PackedSaveImage& image, int index, std::uint32_t checksum,
                           std::optional<std::size_t>* replaced = nullptr);

// The record of type for the game PocketNES uses: the last one in the chain
// with that ROM checksum.
std::optional<std::size_t> packedLiveRecord(const PackedSaveImage& image, std::uint16_t type,
                                            std::uint32_t checksum);

// Removes every older battery save (PackedRecordInfo::hiddenBy).
// Done, with the count and the bytes freed in removed and freed (0 when
// there was none); ReachesLiveArea when the chain would still reach into the
// live area (the image unchanged).
SaveResult prunePackedRecords(PackedSaveImage& image, std::size_t& removed, std::size_t& freed);

// A game whose newest save is only in the live area and that PocketNES can't
// pack at its next start for want of room: it drops the save then.
struct PackedSaveAtRisk {
    std::uint32_t game = 0;
    std::string title;  // CP932: the game's record's title, or "ROM 1A2B3C4D"
    std::size_t bytesToFree = 0;
};
std::optional<PackedSaveAtRisk> packedSaveAtRisk(const PackedSaveImage& image);

// Writes the battery save at index to path (replaced only when complete):
// the record's data decompressed, or the live area when the line is live.
// Done; NoSuchLine or NotBatterySave (documented as 1: no battery save at
// index); WriteFailed (3) with the system's reason; Damaged (4: the record's
// data are damaged or decompress to more than 8192 bytes; no file is made).
SaveResult extractPackedSave(const std::string& path, const PackedSaveImage& image, int index,
                             WriteMode mode = WriteMode::Replace);

// The size of the save extractPackedSave would write for index, with its
// results but WriteFailed.
SaveResult packedSaveSize(const PackedSaveImage& image, int index, std::size_t& size);

// Removes the record at index (nothing at or past the end). Deleting the
// live area's game's newest save clears the owner and the live area, so
// PocketNES won't bring it back. Done, or nothing there; ReachesLiveArea
// (documented as 5) when the chain would still reach into the live area
// afterwards; ConfigRecordNeeded (6) for the only configuration record,
// which PocketNES needs to keep the running game's save. A refusal leaves
// the image unchanged.
SaveResult deletePackedRecord(PackedSaveImage& image, int index);

// Sets the title of the battery save at index to the CP932 text (at most 31
// bytes, cut without splitting a double-byte character, NUL-padded).
// Done; NoSuchLine or NotBatterySave (documented as 1); TitleInLiveArea when
// its header lies in the live area.
SaveResult setPackedTitle(PackedSaveImage& image, int index, std::string_view title);
