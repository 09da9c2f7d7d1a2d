// SPDX-License-Identifier: GPL-3.0-or-later
// How a ROM file enters the list, the same for the window, list files and the
// command line: probe it, add it, and give it its remembered title and
// PocketNES values from the settings file (keys are the bare file name; for
// an archive member, the member's own file name).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class ArchiveMemberReader;
class IniSnapshot;
class Report;
struct RomEntry;
struct RomList;

// A "PocketNES" settings value split up: "flags|follow|slot|title".
struct PocketValues {
    int flags = 0;
    int follow = 0;
    int slot = 0;
    std::string title;  // CP932
    bool ownTitle = false;  // the value holds a title; without one the PocketNES title follows the title
};

// Splits value starting from zeros and entryTitle: without '|' nothing is
// taken; "a|b" gives flags and follow; "a|b|c" adds the slot; "a|b|c|t" the
// title too. A slot above 8 becomes 8. value is UTF-8 (the title part is
// converted to CP932); entryTitle is CP932.
PocketValues parsePocketValue(std::string_view value, std::string_view entryTitle);

// Gives entry the title and the PocketNES values the settings remember for
// its file name ("TITLE", else the default title; "PocketNES", else
// "0|0|0"), as admitting it does. Its mapper and battery stay.
void applyRememberedValues(RomEntry* entry, const IniSnapshot& settings, bool cleanTitles);

// The title a ROM gets when the settings hold none: its file name (an
// archive member's own) without the part from the last '.', with its tags
// dropped when cleanTitles is set (cleanRomTitle), in CP932, put through the
// title filter.
std::string defaultRomTitle(std::string_view path, bool cleanTitles = false);

enum class AdmitCode {
    Added = 0,
    NotNes = 1,   // can't be opened or lacks the iNES signature: the caller tells the user
    Refused = 2,  // already listed (the same file) or no memory: skipped silently
};

// What admitting a path gave.
struct Admission {
    // Added when at least one entry was added. NotNes for a
    // file or member that can't be read or lacks the iNES signature (the
    // caller tells the user; openError and reason say why, both empty when
    // it was read and is no iNES file). Refused otherwise: already
    // listed, or an archive whose problems went to the report.
    AdmitCode code = AdmitCode::Refused;
    int openError = 0;
    std::string reason;
    // NotNes for a file or member that was read: its bytes (an
    // archive member's own, not its archive's).
    std::int64_t notNesBytes = 0;
    RomEntry* first = nullptr;  // the first entry added
    int added = 0;
    int skipped = 0;            // files inside an archive that are no NES ROMs
    // Entries added whose path differs from a listed one's only in letter
    // case: the added path and the listed one (caseTwinText in image_messages.h tells it).
    std::vector<std::pair<std::string, std::string>> caseTwins;
};

// Admits path as the list's commands do. A ROM file or one archive member
// (ARCHIVE::MEMBER) is probed, added, and given its title ("TITLE" key, else
// the default title, cleaned as cleanTitles says) and PocketNES values
// ("PocketNES" key, else "0|0|0") from the settings, loaded once by the
// caller for a whole command. A .zip, .7z or .gz archive by every NES ROM in it, each
// as its own ARCHIVE::MEMBER entry, in archive order, sized, probed and
// titled from what one read of the archive gave. Files in it that are no
// NES ROMs are skipped and counted. report hears each member that can't be
// read (damaged, encrypted, larger than 32 MiB), an archive that can't be
// read on, and an archive without any NES ROM, each on one line naming it.
// archives (when given) finds the members named on their own; one reader
// for a whole command reads the members of an archive, listed in their
// order, in one pass.
Admission admitRomPath(RomList* list, const std::string& path, const IniSnapshot& settings, bool cleanTitles,
                       Report& report, ArchiveMemberReader* archives = nullptr);

// Keeps path in the list although it can't be read now (the window's kept
// list, whose ROMs may lie on a card not mounted yet): an entry with the
// title and PocketNES values the settings give, no size, and reason in
// RomEntry::unreadable. Null when the path is listed already.
RomEntry* admitUnreadable(RomList* list, const std::string& path, const IniSnapshot& settings, bool cleanTitles,
                          const std::string& reason);

// Reads such an entry's file again: true when it is readable now (it gets
// its size, mapper, battery and promised size, and is an entry like any
// other), false with the reason renewed otherwise.
bool readmitRomEntry(RomList* list, RomEntry* entry, ArchiveMemberReader* archives = nullptr);

// After the switch that cleans derived titles changed to cleanTitles: each
// entry whose title is still the one its file name gave under the other
// setting, and for which the settings hold no "TITLE", gets the one its
// file name gives now (and so does its PocketNES title unless it has one of
// its own). A title the user typed or stored is left alone. The number of
// entries changed.
int rederiveTitles(RomList* list, const IniSnapshot& settings, bool cleanTitles);
