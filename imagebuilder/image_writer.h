// Writes the GBA cartridge image: the shell, one record per extra file of the
// variant, one record per ROM in list order, and the end record.
#pragma once

#include "shell_config.h"

#include <cstdint>
#include <string>
#include <string_view>

class OutFile;
struct RomEntry;
struct RomList;

// The texts of a GBA cartridge header that writeImage writes into the image
// before it takes its place (see fixGbaHeader).
struct GbaHeaderFields {
    std::string title;
    std::string gameCode;
    std::string makerCode;
};

// Builds the image at outputPath from the variant's section of
// programDir + "romweld.cfg" (read afresh) and the list, then, when
// headerFix is given, rewrites its GBA header. 0 when the image was written
// to its end; 1 otherwise (output not created, shell missing, an extra-file
// value without its two commas, a failed write, a ROM or extra file that
// exists but can't be read, an output that is one of the inputs), after an
// error line. The image is built beside the output and replaces it only when
// complete: after a failure the file at outputPath is as it was before, and
// no partial file is left. A symbolic link at outputPath is followed.
int writeImage(const std::string& programDir, const std::string& outputPath, const RomList* list,
               std::string_view variant = DEFAULT_VARIANT, const GbaHeaderFields* headerFix = nullptr);

// A GBA cartridge addresses at most 32 MiB; a larger image runs nowhere.
constexpr std::int64_t GBA_CARTRIDGE_MAX = 32 * 1024 * 1024;

// The exact number of bytes writeImage writes for the list and the variant as
// the files stand now: the shell, one record per extra file and per ROM with
// the layout's header and padding, and the end record. A file that is missing
// counts as the empty record the writer gives it; nothing is printed. When
// the writer would fail (no shell, an extra-file value without its commas),
// the figure counts only what it would get to write.
std::int64_t exactImageSize(const std::string& programDir, const RomList* list,
                            std::string_view variant = DEFAULT_VARIANT);

// One extra file's record: header, data and (Korvalinde layout) padding.
// 0 when written (a missing file gives an empty record, after its error
// line); 1 when the file exists but can't be read or is too large, reported
// on the error output: the image must then not go on.
int writeExtraFileRecord(OutFile& image, const std::string& path, std::string_view name,
                         std::string_view extension, bool pocketNes);

// One ROM entry's record: header, data and (Korvalinde layout) padding.
// Results as for writeExtraFileRecord.
int writeRomRecord(OutFile& image, const RomEntry& entry, bool pocketNes);

// The 44-byte end record.
void writeEndRecord(OutFile& image);
