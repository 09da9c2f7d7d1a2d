// SPDX-License-Identifier: GPL-3.0-or-later
// How each fuzz target reads its input, shared with the seed generator so
// that the seeds say what they mean. Every field comes from FuzzInput, in
// the order given here; the last field takes the rest of the input.
#pragma once

#include <cstdint>

// packed_image: layout byte, live-area length word, op count byte, the ops,
// then the image body.
//   layout FULL, SMALL, MIRRORED: a 65536 or 32768 memory (MIRRORED: a 32768
//   memory saved twice); the last liveLength bytes of the body go to the top
//   of the memory (the live area), the rest to its start.
//   layout RAW: the body is the whole file, of any size.
//   The layout byte's top bit answers when the file can't tell its memory:
//   set for 64 KiB.
// Each op: kind byte, index word (as a signed 16-bit number), then for a
// store: length word, mode byte, seed byte, checksum dword, file name text;
// for a retitle: title text. A convert takes the index's lowest bit: set
// for 64 KiB. A copy copies the record at index of the image as it was read
// into the image as it is.
namespace packed_fuzz {
enum Layout : std::uint8_t { FULL, SMALL, MIRRORED, RAW, LAYOUT_COUNT };
constexpr std::uint8_t ANSWER_LARGE = 0x80;
enum Op : std::uint8_t { LIST, EXTRACT, STORE, DELETE, RETITLE, SIZE, PRUNE, CONVERT, COPY, OP_COUNT };
constexpr int MAX_OPS = 8;
}  // namespace packed_fuzz

// save_image: flags byte, op count byte, the ops, then the image body
// (zero-padded to 65536 bytes, or the whole file with RAW).
// Each op: kind byte, slot byte (slot = byte % 9 - 1, so -1 and 7 occur),
// then for a load: length word, mode byte, seed byte, file name text; for a
// rename: a byte telling whether a slot is selected, then the typed text.
namespace save_fuzz {
enum Flags : std::uint8_t { FIX_CHECKSUM = 1, RAW = 2 };
enum Op : std::uint8_t { LOAD, EXTRACT, DELETE, RENAME, OP_COUNT };
constexpr int MAX_OPS = 8;
}  // namespace save_fuzz

// settings: section byte (an index into SECTIONS), key text, value text,
// byte count byte for readString, then the settings file.
namespace settings_fuzz {
constexpr const char* SECTIONS[] = {"TITLE", "PocketNES", "CONFIG", "title", "list", "kvl-v02"};
constexpr int SECTION_COUNT = 6;
}  // namespace settings_fuzz

// shell_config: the wanted variant name text, then romweld.cfg. The program
// folder holds the files in PROGRAM_FILES, made once per process.
namespace shell_fuzz {
struct ProgramFile {
    const char* name;
    int size;  // -1 makes a folder
};
constexpr ProgramFile PROGRAM_FILES[] = {
    {"kvl.gba", 1000}, {"pocketnes.gba", 3},  {"extra.bin", 1001}, {"font.bin", 4096},
    {"empty.bin", 0},  {"dir.gba", -1},       {"sub", -1},         {"sub/data.bin", 6},
};
}  // namespace shell_fuzz

// list_file: the list file.

// window_list: a display mode byte and an image name text for a second
// write, then the kept file.

// nes_rom: a byte whose low 3 bits pick an extension from EXTENSIONS and
// whose next 3 bits a size from PADDED_SIZES (the ROM is zero-padded up to
// it; 0 leaves it as it is), then the ROM.
namespace nes_fuzz {
constexpr const char* EXTENSIONS[] = {"nes", "NES", "Nes", "nesx", "gba", "", "ne", "fds"};
constexpr unsigned PADDED_SIZES[] = {0, 16383, 16384, 16400, 16911, 16912, 16928, 40976};
}  // namespace nes_fuzz

// titles: a byte of the character limit for cutTitle, a position byte for
// widenKana, then the text (taken as Shift-JIS, EUC-JP and UTF-8 in turn).

// gba_header: title text, game code text, maker code text, then the image.

// archive: a byte picking the archive's name from NAMES (its kind), then the
// archive file.
namespace archive_fuzz {
constexpr const char* NAMES[] = {"sets.zip", "sets.7z", "game.nes.gz"};
constexpr int NAME_COUNT = 3;
}  // namespace archive_fuzz

// splash: the picture file (PNG, JPEG, BMP or GIF, or anything else).
namespace splash_fuzz {
// A lower pixel limit than the programs' keeps each run short; the checks
// are the same at any size.
constexpr std::int64_t MAX_PIXELS = 1 << 20;
}  // namespace splash_fuzz
