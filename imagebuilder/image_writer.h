// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the GBA cartridge image: the shell, one record per extra file of the
// variant, one record per ROM in list order, and the end record.
#pragma once

#include "shell_config.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ArchiveMemberReader;
class IniSnapshot;
class OutFile;
class Report;
struct RomEntry;
struct RomList;

// The texts of a GBA cartridge header that writeImage writes into the image
// before it takes its place (see fixGbaHeader).
struct GbaHeaderFields {
    std::string title;
    std::string gameCode;
    std::string makerCode;
};

// What an image may carry besides its shell, extra files and records, and
// how its ROMs are written.
struct ImageExtras {
    // A PocketNES splash screen (SPLASH_BYTES, see splash_screen.h), written
    // right after the shell, where PocketNES looks for it; null for none. A
    // Korvalinde layout has no place for one: writeImage refuses it.
    const std::vector<unsigned char>* splash = nullptr;
    // A ROM longer than its iNES header promises is written only as far as
    // the promise (rom_dump_check.h), and its record's size field says so.
    bool trimOverdumps = false;
};

// What writing an image (or one record of it) gives: written, or not
// (after the reasons went to the report), or the report asked it to stop.
enum class ImageWrite {
    Written = 0,
    Failed = 1,
    Cancelled = 2,
};

// Builds the image at outputPath from the variant's section of romweld.cfg
// (config: the file programDir + "romweld.cfg" as the command loaded it) and
// the list; with pad, fills it with 0xFF up to the size paddedImageSize
// gives; then, when headerFix is given, rewrites its GBA header. extras
// adds a splash screen and trims overdumps.
// Written when the image was written to its end; Failed
// otherwise (output not created, shell missing, an extra-file value without
// its two commas, a failed write, a ROM or extra file that exists but can't
// be read or changes while it is copied, an output that is one of the
// inputs), after report heard why; Cancelled when report's progress
// asked to stop. report hears each record as it begins and the bytes
// written of the exact image size (padding included). A ROM may be an
// archive member (ARCHIVE::MEMBER): it is streamed out of its archive with
// the repair a plain file gets, never extracted. The image is built beside the output and
// replaces it only when complete: after a failure or a stop the file at
// outputPath is as it was before, and no partial file is left. A symbolic
// link at outputPath is followed. Entries marked unreadable
// (RomEntry::unreadable) are left out. archives (when given) reads the archive
// members, so that images built one after another share its passes over
// their archives (announce their members to it first: see
// ArchiveMemberReader::expect); each archive is read once either way.
ImageWrite writeImage(const std::string& programDir, const IniSnapshot& config, const std::string& outputPath,
                      const RomList* list, std::string_view variant, const GbaHeaderFields* headerFix,
                      Report& report, bool pad = false, const ImageExtras& extras = {},
                      ArchiveMemberReader* archives = nullptr);
// The same, reading programDir + "romweld.cfg" afresh.
ImageWrite writeImage(const std::string& programDir, const std::string& outputPath, const RomList* list,
                      std::string_view variant, const GbaHeaderFields* headerFix, Report& report);

// A GBA cartridge addresses at most 32 MiB; a larger image runs nowhere.
constexpr std::int64_t GBA_CARTRIDGE_MAX = 32 * 1024 * 1024;

// The exact number of bytes writeImage writes for the list and the variant as
// the files stand now: the shell, one record per extra file and per ROM with
// the layout's header and padding, and the end record. A file that is missing
// counts as the empty record the writer gives it; nothing is reported. An
// archive member counts with the size it had when it was listed (RomEntry's
// sourceBytes), while its archive is there. Entries marked unreadable are
// left out, as the writer leaves them out. No padding is counted. When
// the writer would fail (no shell, an extra-file value without its commas),
// the figure counts only what it would get to write. A splash screen
// (PocketNES only) and trimmed overdumps count as extras says.
std::int64_t exactImageSize(const std::string& programDir, const IniSnapshot& config, const RomList* list,
                            std::string_view variant, const ImageExtras& extras = {});
// The same, reading programDir + "romweld.cfg" afresh.
std::int64_t exactImageSize(const std::string& programDir, const RomList* list,
                            std::string_view variant = DEFAULT_VARIANT);

// One extra file's record: header, data and (Korvalinde layout) padding.
// report hears the record begin. Written (a missing file gives an empty
// record, after report heard so); Failed when the file exists but can't be
// read, is too large or changes while it is copied: the image must then not
// go on.
ImageWrite writeExtraFileRecord(OutFile& image, const std::string& path, std::string_view name,
                                std::string_view extension, bool pocketNes, Report& report);

// The 44-byte end record.
void writeEndRecord(OutFile& image);
