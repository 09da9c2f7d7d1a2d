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

std::string notNesReason(const Admission& admission)
{
    return admission.openError != 0 ? admission.reason : "not an NES ROM (no iNES header)";
}

bool printAdmissionFindings(const std::string& path, const Admission& admission, const CollectedReport& report)
{
    for (const std::string& line : report.problems) printError(line);
    if (admission.skipped > 0) {
        printWarning(path + ": " + std::to_string(admission.skipped) +
                     (admission.skipped == 1 ? " file in it is not an NES ROM and was skipped"
                                             : " files in it are not NES ROMs and were skipped"));
    }
    return report.problems.empty();
}
