// SPDX-License-Identifier: GPL-3.0-or-later
// The shell variants of "romweld.cfg": which emulator shell an image starts
// with, which record layout it uses and which extra files follow the shell.
#pragma once

#include "ini_profile.h"
#include "program_folders.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The section used when no variant is named.
constexpr std::string_view DEFAULT_VARIANT = "kvl-v02";

// Values of "romweld.cfg" are read to at most this many bytes.
constexpr std::size_t CONFIG_VALUE_MAX = 99;

// More "num" slots than this are taken as a damaged file, not read one by one.
constexpr int MAX_VARIANT_SLOTS = 65536;

struct ShellVariant {
    std::int32_t imageSize = 0;   // bytes the shell and the extra files take in an image
    std::string name;             // the variant's section name, at most 99 bytes
    std::int32_t isPocketNes = 0; // 1 when the section's "type" is PNES (any case)
    // The mappers the variant's emulator runs, ascending; nullopt when that
    // is not known and ROMs are not checked (see supportedMappersOf).
    std::optional<std::vector<int>> mappers;
};

// The usable variants in the order of the "list%d" keys; empty when there is
// no configuration file, "num" is not positive or too large, or no listed
// variant has all its files.
std::vector<ShellVariant> loadShellVariants(const std::string& programDir);
// The same from a configuration already loaded (once per command).
std::vector<ShellVariant> loadShellVariants(const std::string& programDir, const IniSnapshot& config);

// The section names the "list" section names in the order of its "list%d"
// keys, usable or not; none when "num" is not positive or too large.
std::vector<std::string> listedVariantNames(const IniSnapshot& config);

// The bytes the section's shell and extra files take in an image: the shell
// exactly, each extra file with its 44-byte record header and padding to a
// multiple of 4. 0 when the shell or an extra file is missing, empty or no
// regular file, or an extra-file value lacks its two commas (the writer could
// not use it). Nothing is reported: a caller that must say why a variant is
// not usable asks the files itself.
std::int32_t estimateShellSize(const std::string& programDir,
                               std::string_view section = DEFAULT_VARIANT);
std::int32_t estimateShellSize(const IniSnapshot& config, const std::string& programDir,
                               std::string_view section = DEFAULT_VARIANT);

// A file an image of some variant is made of: romweld.cfg itself (variant
// empty), a variant's shell, or one of its extra files.
struct VariantFile {
    std::string path;     // programDir + the name romweld.cfg gives
    std::string variant;  // the section that names it
    bool shell = false;
};

// romweld.cfg, then the shell and the extra files of every listed variant,
// usable or not: the files no image may replace, whichever variant it is
// built with.
std::vector<VariantFile> variantFilesOf(const std::string& programDir, const IniSnapshot& config);

// The variant the window preselects for a stored "KVLVersion" value: the
// first whose name begins with wanted, ASCII case ignored, else 0.
// -1 for an empty table.
int chooseVariantIndex(const std::vector<ShellVariant>& table, std::string_view wanted);

// What a variant's section says, read the same way wherever it is needed:
// the shell's file name ("shell", default "kvl.gba"), whether the record
// layout is PocketNES ("type" equal to PNES, case ignored), and the
// extra-file values file0, file1, ... up to the first missing or empty one.
std::string shellFileOf(const IniSnapshot& config, std::string_view section);
bool isPocketNesSection(const IniSnapshot& config, std::string_view section);
std::vector<std::string> extraFileValuesOf(const IniSnapshot& config, std::string_view section);

// The mappers PocketNES runs, ascending: what a PocketNES variant supports
// when its section has no "mappers" key.
const std::vector<int>& pocketNesMappers();

// The mappers a variant's emulator runs: the section's "mappers" key (numbers
// and ranges such as 64-80, separated by commas; read whole, since such a
// list is longer than other values), else PocketNES's own list for a
// PocketNES section. nullopt for a Korvalinde section without the key: its
// emulator's mappers are not known, so nothing is checked.
std::optional<std::vector<int>> supportedMappersOf(const IniSnapshot& config, std::string_view section);

// True when the variant is known not to run the mapper; false when it runs
// it or lists no mappers.
bool variantLacksMapper(const ShellVariant& variant, int mapper);

// An extra-file value "path,name,ext" split at its first two commas; the ext
// keeps any further commas. False when the value has fewer than two commas.
struct ExtraFile {
    std::string path;
    std::string name;
    std::string ext;
};
bool splitExtraFile(std::string_view value, ExtraFile& extra);
