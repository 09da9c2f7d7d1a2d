// The list that survives a restart: at close the window keeps its ROM list
// in order, its display mode and the image name in a file beside its
// settings, and at start it takes them back.
#include "merge_tool_dialog.h"

#include "file_io.h"
#include "list_file.h"
#include "program_folders.h"
#include "prompts.h"
#include "qt_text.h"
#include "rom_admission.h"

#include <QLineEdit>

#include <cerrno>

std::string MergeToolDialog::windowListPath() const
{
    return windowListPathFor(settingsPath_);
}

void MergeToolDialog::restoreWindowList(const IniSnapshot& settings)
{
    // Without a settings file there is no place to keep the list: it is
    // neither restored nor kept.
    if (!list_ || variants_.empty() || windowListPath().empty()) return;
    restored_ = true;
    WindowListState state;
    const int read = readWindowList(windowListPath(), state);
    // Nothing kept yet (the first start), or a file that is no such list:
    // the window starts empty, and its list replaces the file at close.
    if (read != LIST_READ_OK) return;
    if (state.displayMode >= 0 && state.displayMode <= 2) displayMode_ = state.displayMode;
    gbaFileName_ = fromPlatform(state.imageName);

    AdmitFindings findings;
    for (const std::string& path : state.paths) {
        const Admission admitted =
            admitRomPath(list_.get(), path, settings, cleanTitles_, findings.problems, &findings.archives);
        findings.skipped += admitted.skipped;
        if (admitted.code != ADMIT_NOT_NES) continue;
        if (admitted.openError == ENOENT || admitted.openError == ENOTDIR) {
            findings.gone << fromPlatform(path);
        } else {
            findings.problems.problem(path, admitted.openError != 0 ? admitted.reason : "not an NES ROM any more");
        }
    }
    showReplacedList();
    showAdmitFindings(findings);
}

void MergeToolDialog::keepWindowList()
{
    // A window that never took the last list back must not replace it.
    if (!restored_ || !list_) return;
    const WindowListState state{displayMode_, toPlatform(gbaFileField_->text()), {}};
    makeSettingsFolder(settingsPath_);
    const int reason = writeWindowList(windowListPath(), list_.get(), state);
    if (reason == 0) return;
    const QString why = reason == LIST_PATH_HAS_LINE_BREAK
                            ? QStringLiteral("A ROM path holds a line break:\n%1")
                                  .arg(fromPlatform(*unlistablePath(list_.get())))
                            : fromPlatform(fileErrorText(reason));
    prompts_.showMessage(QStringLiteral("The ROM list can't be kept for the next start:\n%1\n\n%2")
                             .arg(fromPlatform(windowListPath()), why));
}
