// SPDX-License-Identifier: GPL-3.0-or-later
#include "list_admission.h"

#include "image_messages.h"
#include "list_file.h"
#include "problem_summary.h"
#include "rom_admission.h"

ListAdmission admitListPaths(ListFileReader& reader, const std::string& listPath, RomList* list,
                             const IniSnapshot& settings, bool cleanTitles, ProblemSummary& problems,
                             ArchiveMemberReader* archives)
{
    ListAdmission result;
    std::string path;
    for (long long paths = 0;; ++paths) {
        if (problems.count() >= LIST_PROBLEMS_MAX) {
            result.stop = ListStop::TooManyProblems;
            break;
        }
        if (paths == LIST_PATHS_MAX) {
            result.stop = ListStop::TooManyPaths;
            break;
        }
        const ListLine kind = reader.next(path);
        result.lastLine = reader.lineNumber();
        if (kind == ListLine::End) break;
        if (kind == ListLine::Failed) {
            result.stop = ListStop::ReadFailed;
            result.errorNumber = reader.errorNumber();
            break;
        }
        if (kind == ListLine::Invalid) {
            problems.problem(listPath + ":" + std::to_string(reader.lineNumber()),
                             listLineProblemText(reader.invalidReason()));
            continue;
        }
        const Admission admitted = admitRomPath(list, path, settings, cleanTitles, problems, archives);
        if (admitted.code == AdmitCode::NotNes) problems.problem(path, admissionProblemText(admitted));
        result.added += admitted.added;
        result.skipped += admitted.skipped;
        result.caseTwins.insert(result.caseTwins.end(), admitted.caseTwins.begin(), admitted.caseTwins.end());
    }
    return result;
}
