// SPDX-License-Identifier: GPL-3.0-or-later
// Why a file named on the command line can't be used, in plain words.
#pragma once

#include <string>
#include <utility>
#include <vector>

// Why path can't be opened for reading as a file (the system's reason, or
// that it is a folder or not a regular file), or empty when it can.
std::string openProblem(const std::string& path);

struct Admission;
class CollectedReport;

// The warnings admitting path may give: the files of an archive that are
// no NES ROMs (skipped), counted in one line naming path, and a line for
// each name that differs from a listed one's only in letter case.
void printAdmissionWarnings(const std::string& path, int skipped,
                            const std::vector<std::pair<std::string, std::string>>& caseTwins);

// Tells what admitting path found besides its ROMs: each problem the report
// heard (a member or archive that can't be read) as an error line, then
// its warnings (printAdmissionWarnings). False when there was a problem.
bool printAdmissionFindings(const std::string& path, const Admission& admission, const CollectedReport& report);

struct RomList;

// Tells each ROM of list that is shorter or longer than its iNES header
// says. A bad dump is an error line, or a warning with allowBadDumps; an
// overdump a warning, unless trimOverdumps writes only what its header
// promises. False when a bad dump refuses the image.
bool printDumpChecks(const RomList* list, bool allowBadDumps, bool trimOverdumps);
