// How a ROM file enters the list, the same for the window, list files and the
// command line: probe it, add it, and give it its remembered title and
// PocketNES values from the settings file (keys are the bare file name).
#pragma once

#include <string>
#include <string_view>

class IniSnapshot;
struct RomEntry;
struct RomList;

// A "PocketNES" settings value split up: "flags|follow|slot|title".
struct PocketValues {
    int flags = 0;
    int follow = 0;
    int slot = 0;
    std::string title;  // CP932
};

// Splits value starting from zeros and entryTitle: without '|' nothing is
// taken; "a|b" gives flags and follow; "a|b|c" adds the slot; "a|b|c|t" the
// title too. A slot above 8 becomes 8. value is UTF-8 (the title part is
// converted to CP932); entryTitle is CP932.
PocketValues parsePocketValue(std::string_view value, std::string_view entryTitle);

// The title a ROM gets when the settings hold none: its file name without the
// part from the last '.', in CP932, put through the title filter.
std::string defaultRomTitle(std::string_view path);

enum AdmitCode {
    ADMIT_ADDED = 0,
    ADMIT_NOT_NES = 1,   // can't be opened or lacks the iNES signature: the caller tells the user
    ADMIT_REFUSED = 2,   // already listed (case ignored) or no memory: skipped silently
};

// Probes path, adds it to list and sets its title ("TITLE" key, else the
// default title) and PocketNES values ("PocketNES" key, else "0|0|0") from
// the settings, loaded once by the caller for a whole command. *added (when
// given) is the new entry or null; *openError (when given) tells why a file
// that is ADMIT_NOT_NES could not be opened or read, 0 when it was read and
// is no iNES file.
int admitRomFile(RomList* list, const std::string& path, const IniSnapshot& settings,
                 RomEntry** added = nullptr, int* openError = nullptr);
