// SPDX-License-Identifier: GPL-3.0-or-later
// Admitting the ROMs a list file names, the same for the window's "Load
// List" and romweld-cli's --list: each path line in file order, as
// admitRomPath admits a path, read one line at a time. A list can ask for
// no more work than an image can use: reading stops after as many path
// lines as a 32 MiB image has room for records, or after LIST_PROBLEMS_MAX
// problems, and the problems are told as one summary.
#pragma once

#include <string>
#include <utility>
#include <vector>

class ArchiveMemberReader;
class IniSnapshot;
class ListFileReader;
class ProblemSummary;
struct RomList;

// The smallest record of an image takes 48 bytes (a 44-byte header and the
// 4 bytes of an iNES signature), so a 32 MiB image holds no more records.
constexpr long long LIST_PATHS_MAX = 32LL * 1024 * 1024 / 48;
// A list with this many problems is no list of the user's ROMs (a wrong
// file, or a card not mounted): reading stops.
constexpr int LIST_PROBLEMS_MAX = 1000;

// Why reading a list stopped before its end (listStopText words it).
enum class ListStop {
    ReadAll = 0,
    TooManyPaths = 1,     // LIST_PATHS_MAX path lines were read
    TooManyProblems = 2,  // LIST_PROBLEMS_MAX problems were met
    ReadFailed = 3,       // the system failed to read on
};

struct ListAdmission {
    ListStop stop = ListStop::ReadAll;
    long long lastLine = 0;  // the number of the last line read (the header is line 1)
    int errorNumber = 0;     // why reading failed (ReadFailed)
    int added = 0;           // entries added
    int skipped = 0;         // files inside archives that are no NES ROMs
    // Entries added whose path differs from a listed one only in letter
    // case: the new path and the listed one.
    std::vector<std::pair<std::string, std::string>> caseTwins;
};

// Admits the path lines of reader (its header read already) into list. A
// path that is no NES ROM or can't be read, a line that names no path, and
// what admitting an archive found wrong all go to problems, named by path
// (a line by "listPath:N"). archives: as for admitRomPath.
ListAdmission admitListPaths(ListFileReader& reader, const std::string& listPath, RomList* list,
                             const IniSnapshot& settings, bool cleanTitles, ProblemSummary& problems,
                             ArchiveMemberReader* archives);
