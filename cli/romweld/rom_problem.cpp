#include "rom_problem.h"

#include "commands.h"

#include "file_io.h"
#include "report.h"
#include "rom_admission.h"

std::string openProblem(const std::string& path)
{
    const InFile file(path);
    return file.isOpen() ? std::string() : fileErrorText(file.errorNumber());
}

void printAdmissionWarnings(const std::string& path, int skipped,
                            const std::vector<std::pair<std::string, std::string>>& caseTwins)
{
    if (skipped > 0) {
        printWarning(path + ": " + std::to_string(skipped) +
                     (skipped == 1 ? " file in it is not an NES ROM and was skipped"
                                   : " files in it are not NES ROMs and were skipped"));
    }
    for (const auto& [added, listed] : caseTwins) printWarning(caseTwinText(added, listed));
}

bool printAdmissionFindings(const std::string& path, const Admission& admission, const CollectedReport& report)
{
    for (const std::string& line : report.problems) printError(line);
    printAdmissionWarnings(path, admission.skipped, admission.caseTwins);
    return report.problems.empty();
}
