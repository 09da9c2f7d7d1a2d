// SPDX-License-Identifier: GPL-3.0-or-later
// The Korvalinde save image: 64 KiB of cartridge save memory holding seven
// fixed 8 KiB slots, a slot table with a magic and an XOR checksum.
#pragma once

#include "file_io.h"
#include "record_magic.h"
#include "save_result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

constexpr std::size_t SAVE_IMAGE_SIZE = 65536;
constexpr int SLOT_COUNT = 7;
constexpr std::size_t SLOT_DATA_SIZE = 8192;
constexpr std::size_t SLOT_HEADER_SIZE = 40;
constexpr std::size_t SLOT_TITLE_SIZE = 32;
constexpr std::size_t CHECKSUM_OFFSET = 284;

constexpr std::uint32_t SAVE_IMAGE_MAGIC = 0xA838861A;
// A slot's state has the values of the image writer's record markers.
constexpr std::uint32_t SLOT_USED = FILE_RECORD_MAGIC;
constexpr std::uint32_t SLOT_EMPTY = END_RECORD_MAGIC;

using SaveImage = std::array<unsigned char, SAVE_IMAGE_SIZE>;

// Offsets of slot s's header, title field, extension field and data.
constexpr std::size_t slotHeaderOffset(int s) { return 4 + SLOT_HEADER_SIZE * static_cast<std::size_t>(s); }
constexpr std::size_t slotTitleOffset(int s) { return slotHeaderOffset(s) + 4; }
constexpr std::size_t slotExtensionOffset(int s) { return slotHeaderOffset(s) + 36; }
constexpr std::size_t slotDataOffset(int s) { return SLOT_DATA_SIZE * static_cast<std::size_t>(s + 1); }

// A slot header is the state word, the title field and the 4-byte extension
// field; the checksum follows the seventh header, and the first slot's data
// begin after it, while the last slot's data end with the image.
static_assert(SLOT_HEADER_SIZE == 4 + SLOT_TITLE_SIZE + 4);
static_assert(slotTitleOffset(0) + SLOT_TITLE_SIZE == slotExtensionOffset(0));
static_assert(slotExtensionOffset(0) + 4 == slotHeaderOffset(1));
static_assert(CHECKSUM_OFFSET == slotHeaderOffset(SLOT_COUNT));
static_assert(CHECKSUM_OFFSET + 4 <= slotDataOffset(0));
static_assert(slotDataOffset(SLOT_COUNT - 1) + SLOT_DATA_SIZE == SAVE_IMAGE_SIZE);

// XOR of the 71 little-endian words at offsets 0 to 280.
std::uint32_t saveImageChecksum(const SaveImage& image);

// All zero, the magic, every slot SLOT_EMPTY, the checksum. Always 0.
int blankSaveImage(SaveImage& image);

// Done for a valid image; Missing (not found or empty), NotASave, or
// Unreadable (a folder, FIFO or device among them: such a file is never
// opened). On every other result the image is blank. The documents number
// these 0, 1, 2 and 3.
SaveResult readSaveImage(const std::string& path, SaveImage& image);

// Normalises the image (magic, states other than SLOT_USED become SLOT_EMPTY,
// checksum) and writes it. The file is replaced only by a complete image.
// Done, or WriteFailed (documented as 1) with the system's reason. With
// WriteMode::CreateNew only where no file is (EEXIST).
SaveResult writeSaveImage(const std::string& path, SaveImage& image, WriteMode mode = WriteMode::Replace);

// True when slot s (0-6) holds a save.
bool slotIsUsed(const SaveImage& image, int s);
