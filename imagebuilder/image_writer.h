// Writes the GBA cartridge image: the shell, one record per extra file of the
// variant, one record per ROM in list order, and the end record.
#pragma once

#include "shell_config.h"

#include <string>
#include <string_view>

class OutFile;
struct RomEntry;
struct RomList;

// Builds the image at outputPath from the variant's section of
// programDir + "romweld.cfg" (read afresh) and the list. 0 when the image was
// written to its end and closed; 1 otherwise (output not created, shell
// missing, an extra-file value without its two commas, a failed write or
// close). A failed image is left as far as it was written.
int writeImage(const std::string& programDir, const std::string& outputPath, const RomList* list,
               std::string_view variant = DEFAULT_VARIANT);

// One extra file's record: header, data and (Korvalinde layout) padding.
void writeExtraFileRecord(OutFile& image, const std::string& path, std::string_view name,
                          std::string_view extension, bool pocketNes);

// One ROM entry's record: header, data and (Korvalinde layout) padding.
void writeRomRecord(OutFile& image, const RomEntry& entry, bool pocketNes);

// The 44-byte end record.
void writeEndRecord(OutFile& image);
