// SPDX-License-Identifier: GPL-3.0-or-later
// The list that survives a restart: at close the window keeps its ROM list
// in order, its display mode and the image name in a file beside its
// settings, and at start it takes them back. Nothing in it is lost that the
// user did not remove: a ROM that can't be read at start (a card not mounted
// yet) stays in the list, and a kept file that can't be read is moved aside
// instead of being overwritten.
#include "merge_tool_dialog.h"

#include "file_io.h"
#include "file_lock.h"
#include "image_messages.h"
#include "list_file.h"
#include "program_folders.h"
#include "prompts.h"
#include "qt_text.h"
#include "rom_admission.h"

#include <QLineEdit>

#include <cerrno>

namespace {

// Names of a kept file that could not be read, tried in turn.
constexpr int ASIDE_NAMES = 100;

std::vector<std::string> listedPaths(const RomList* list)
{
    std::vector<std::string> paths;
    for (const RomEntry* e = list != nullptr ? list->head : nullptr; e != nullptr; e = e->next) paths.push_back(e->path);
    return paths;
}

bool sameState(const WindowListState& a, const WindowListState& b)
{
    return a.displayMode == b.displayMode && a.imageName == b.imageName && a.paths == b.paths;
}

}  // namespace

std::string MergeToolDialog::windowListPath() const
{
    return windowListPathFor(settingsPath_);
}

void MergeToolDialog::restoreWindowList(const IniSnapshot& settings)
{
    // Without a settings file there is no place to keep the list: it is
    // neither restored nor kept.
    if (!list_ || variants_.empty() || windowListPath().empty()) return;
    // Looked at before the read: a change made after it is seen at close.
    keptFacts_ = fileFactsOf(windowListPath());
    WindowListState state;
    const ListResult read = readWindowList(windowListPath(), state);
    if (!read.ok()) {
        // Nothing kept yet (the first start): the window's list makes the
        // file at close. Anything else is not overwritten unread.
        if (read == ListCode::CantOpen && read.errorNumber == ENOENT) {
            restored_ = true;
        } else {
            setAsideUnreadableList(read);
        }
        return;
    }
    restored_ = true;
    restoredState_ = state;
    if (state.displayMode >= 0 && state.displayMode <= 2) displayMode_ = state.displayMode;
    gbaFileName_ = fromPlatform(state.imageName);

    AdmitFindings findings;
    for (const std::string& path : state.paths) {
        const Admission admitted =
            admitRomPath(list_.get(), path, settings, cleanTitles_, findings.problems, &findings.archives);
        findings.skipped += admitted.skipped;
        if (admitted.code != AdmitCode::NotNes) continue;
        const std::string reason = keptRomProblemText(admitted.openError, admitted.reason);
        if (admitUnreadable(list_.get(), path, settings, cleanTitles_, reason) != nullptr) {
            findings.unreadable << fromPlatform(path);
        }
    }
    showReplacedList();
    showAdmitFindings(findings);
}

void MergeToolDialog::setAsideUnreadableList(const ListResult& read)
{
    const std::string path = windowListPath();
    const QString reason = fromPlatform(keptListProblemText(read));
    std::string aside;
    int moved = ENOENT;
    for (int n = 1; n <= ASIDE_NAMES && moved != 0; ++n) {
        aside = path + ".unreadable" + (n > 1 ? "-" + std::to_string(n) : std::string());
        moved = renameWithoutReplacing(path, aside);
        if (moved != EEXIST) break;
    }
    if (moved == 0) {
        restored_ = true;
        keptFacts_ = fileFactsOf(path);
        prompts_.showMessage(QStringLiteral("The ROM list kept from the last run can't be read (%1).\n"
                                            "It was moved to %2, and this run starts with an empty list.")
                                 .arg(reason, fromPlatform(aside)));
    } else {
        prompts_.showMessage(QStringLiteral("The ROM list kept from the last run can't be read (%1):\n%2\n\n"
                                            "It is left as it is, and this run's list will not be kept.")
                                 .arg(reason, fromPlatform(path)));
    }
}

void MergeToolDialog::keepWindowList()
{
    // A window that never took the last list back must not replace it.
    if (!restored_ || !list_) return;
    const WindowListState state{displayMode_, toPlatform(gbaFileField_->text()), listedPaths(list_.get())};
    // Unchanged: a list another romweld kept meanwhile stays.
    if (sameState(state, restoredState_)) return;
    makeSettingsFolder(settingsPath_);
    FileLock lock;
    int reason = lock.acquire(windowListPath());
    if (reason == 0 && !sameFileUnchanged(keptFacts_, fileFactsOf(windowListPath())) &&
        !prompts_.askYesNo(QStringLiteral("Another romweld window kept its ROM list since this one started.\n"
                                          "Keep this window's list for the next start instead?"))) {
        return;
    }
    ListResult written{ListCode::CantOpen, reason};
    if (reason == 0) written = writeWindowList(windowListPath(), list_.get(), state);
    if (written.ok()) return;
    const QString why = written == ListCode::PathHasLineBreak
                            ? QStringLiteral("A ROM path holds a line break:\n%1")
                                  .arg(fromPlatform(*unlistablePath(list_.get())))
                            : fromPlatform(fileErrorText(written.errorNumber));
    prompts_.showMessage(QStringLiteral("The ROM list can't be kept for the next start:\n%1\n\n%2")
                             .arg(fromPlatform(windowListPath()), why));
}
