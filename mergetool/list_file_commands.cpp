// SPDX-License-Identifier: GPL-3.0-or-later
// "Save List" and "Load List": the ROM list's paths in a list file and back.
#include "merge_tool_dialog.h"

#include "archive_reader.h"
#include "image_messages.h"
#include "ini_profile.h"
#include "list_admission.h"
#include "list_file.h"
#include "merge_tool_settings.h"
#include "path_text.h"
#include "problem_summary.h"
#include "prompts.h"
#include "qt_text.h"

#include <QStatusBar>

namespace {

FileChooser listFileChooser(const std::string& settingsPath, const QString& title)
{
    FileChooser chooser;
    chooser.title = title;
    chooser.filter = QStringLiteral("List files(*.lst)|*.lst|All files(*.*)|*.*||");
    chooser.defaultExtension = QStringLiteral("lst");
    chooser.initialFolder =
        fromPlatform(iniReadString(settingsPath, SETTINGS_CONFIG, "ListPath", "", SETTING_VALUE_MAX));
    return chooser;
}

// Both choosers open where the last list file was chosen, whether or not it
// could be opened.
void rememberListFolder(const std::string& settingsPath, const std::string& listPath)
{
    iniWriteString(settingsPath, SETTINGS_CONFIG, "ListPath", folderOf(listPath));
}

}  // namespace

void MergeToolDialog::onSaveList()
{
    if (!list_) return;
    if (list_->count == 0) {
        prompts_.showMessage(QStringLiteral("No NES Roms to write"));
        return;
    }
    // A path with a line break would read back as two paths.
    if (const std::string* unlistable = unlistablePath(list_.get())) {
        prompts_.showMessage(QStringLiteral("This ROM path holds a line break, which a list file can't hold:\n%1\n\n"
                                            "Rename the file or its folder, or remove it from the list.")
                                 .arg(fromPlatform(*unlistable)));
        return;
    }
    takeFields();
    FileChooser chooser = listFileChooser(settingsPath_, QStringLiteral("Save the ROM list"));
    chooser.confirmOverwrite = true;
    const std::optional<QString> chosen = prompts_.chooseSaveFile(chooser);
    if (!chosen || chosen->isEmpty()) return;

    const std::string path = toPlatform(*chosen);
    rememberListFolder(settingsPath_, path);
    // The list file appears only when complete; an old one stays until then.
    const ListResult written = writeListFile(path, list_.get());
    if (!written.ok()) {
        prompts_.showMessage(fromPlatform(listFileProblemText(written)));
        return;
    }
    statusLine_->showMessage(QStringLiteral("List saved: %1, %2 ROMs").arg(fromPlatform(fileNameOf(path))).arg(list_->count));
    statusLine_->setToolTip(*chosen);
}

void MergeToolDialog::onLoadList()
{
    if (!list_) return;
    takeFields();
    FileChooser chooser = listFileChooser(settingsPath_, QStringLiteral("Load a ROM list"));
    chooser.mustExist = true;
    const std::optional<QString> chosen = prompts_.chooseOpenFile(chooser);
    if (!chosen) return;
    if (chosen->isEmpty()) {
        showFields();
        return;
    }

    const std::string path = toPlatform(*chosen);
    ListFileReader reader(path);
    const ListResult read = reader.readHeader(LIST_FILE_HEADER);
    rememberListFolder(settingsPath_, path);
    // Until the header has matched, the list and the window stay as they were.
    if (!read.ok()) {
        prompts_.showMessage(fromPlatform(listFileProblemText(read)));
        return;
    }

    // The new list is made before the old one goes, so the window never
    // stands without one. Nothing asks first: Undo brings the old one back.
    std::unique_ptr<RomList> fresh = romListCreate();
    if (!fresh) {
        sayOutOfMemory();
        return;
    }
    const ListState before = listState(&lastState_);
    list_ = std::move(fresh);
    // The lines are read and admitted one at a time; what could not be
    // added is told once, whatever the number.
    const IniSnapshot settings = IniSnapshot::load(settingsPath_);
    ProblemSummary problems;
    ArchiveMemberReader archives;
    const ListAdmission admitted =
        admitListPaths(reader, path, list_.get(), settings, cleanTitles_, problems, &archives);
    showReplacedList();
    recordStep(QStringLiteral("Load List"), before);
    QString loaded = QStringLiteral("List loaded: %1, %2 ROMs").arg(fromPlatform(fileNameOf(path))).arg(list_->count);
    if (!problems.empty()) loaded += QStringLiteral("; %1 could not be added").arg(problems.count());
    statusLine_->showMessage(loaded);
    statusLine_->setToolTip(*chosen);
    showListFindings(path, admitted, problems);
}

void MergeToolDialog::showListFindings(const std::string& listPath, const ListAdmission& admitted,
                                       const ProblemSummary& problems)
{
    QStringList parts;
    if (!problems.empty()) {
        parts << QStringLiteral("These files of the list could not be added (%1 in all):\n%2")
                     .arg(problems.count())
                     .arg(fromPlatform(problems.text()));
    }
    if (admitted.stop != ListStop::ReadAll) parts << fromPlatform(listPath + ": " + listStopText(admitted));
    parts << admitNotes(admitted.skipped, admitted.caseTwins);
    if (!parts.isEmpty()) prompts_.showMessage(parts.join(QStringLiteral("\n\n")));
}
