// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom_problem.h"

#include "romweld_commands.h"

#include "file_io.h"
#include "image_messages.h"
#include "report.h"
#include "rom_admission.h"
#include "rom_dump_check.h"
#include "rom_list.h"

std::string openProblem(const std::string& path)
{
    const InFile file(path);
    return file.isOpen() ? std::string() : fileErrorText(file.errorNumber());
}

void printAdmissionWarnings(const std::string& path, int skipped,
                            const std::vector<std::pair<std::string, std::string>>& caseTwins)
{
    if (skipped > 0) {
        printWarning(path + ": " + skippedMembersLine(skipped));
    }
    for (const auto& [added, listed] : caseTwins) printWarning(caseTwinText(added, listed));
}

bool printAdmissionFindings(const std::string& path, const Admission& admission, const CollectedReport& report)
{
    for (const std::string& line : report.problems) printError(line);
    printAdmissionWarnings(path, admission.skipped, admission.caseTwins);
    return report.problems.empty();
}

bool printDumpChecks(const RomList* list, bool allowBadDumps, bool trimOverdumps)
{
    bool refused = false;
    for (const RomEntry* e = list != nullptr ? list->head : nullptr; e != nullptr; e = e->next) {
        const DumpCheck check = checkRomDump(*e);
        const std::string line = e->path + ": " + dumpCheckText(check);
        if (check.verdict == DumpVerdict::Bad && allowBadDumps) {
            printWarning(line);
        } else if (check.verdict == DumpVerdict::Bad) {
            printError(line + "; its record would be broken (--allow-bad-dumps writes it anyway)");
            refused = true;
        } else if (check.verdict == DumpVerdict::Over && !trimOverdumps) {
            printWarning(line + " (--trim-overdumps writes only what the header promises)");
        }
    }
    return !refused;
}
