// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that build and arrange the ROM list, give entries their
// titles, and choose the GBA file, the shell variant and the header fix.
#include "merge_tool_dialog.h"

#include "archive_path.h"
#include "gba_file_name.h"
#include "ini_profile.h"
#include "merge_tool_settings.h"
#include "path_text.h"
#include "program_folders.h"
#include "prompts.h"
#include "qt_text.h"
#include "pocketnes_options_dialog.h"
#include "rom_admission.h"
#include "text_encoding.h"
#include "title_removals.h"
#include "title_rules.h"
#include "user_settings.h"

#include <QKeySequence>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStatusBar>

namespace {

// ROM sets come zipped: archives are offered with the ROMs.
const QString NES_FILTER =
    QStringLiteral("NES files(*.nes;*.zip;*.7z;*.gz)|*.nes;*.zip;*.7z;*.gz|All files(*.*)|*.*||");
const QString GBA_FILTER = QStringLiteral("GBA files(*.gba)|*.gba|All files(*,*)|*.*||");

// The status line after "Delete": what went, and how it comes back.
QString deletedText(const std::vector<std::string>& paths, const QKeySequence& undo)
{
    const QString keys = undo.toString(QKeySequence::NativeText);
    if (paths.size() == 1) {
        return QStringLiteral("Deleted %1; %2 brings it back").arg(fromPlatform(romFileNameOf(paths.front())), keys);
    }
    return QStringLiteral("Deleted %1 ROMs; %2 brings them back").arg(paths.size()).arg(keys);
}

}  // namespace

void MergeToolDialog::onAdd()
{
    if (!list_) return;
    takeFields();
    FileChooser chooser;
    chooser.title = QStringLiteral("Add NES ROMs");
    chooser.filter = NES_FILTER;
    chooser.defaultExtension = QStringLiteral("nes");
    chooser.initialFolder =
        fromPlatform(iniReadString(settingsPath_, SETTINGS_CONFIG, "NesPath", "", SETTING_VALUE_MAX));
    chooser.multiple = true;
    chooser.mustExist = true;
    const QStringList paths = prompts_.chooseOpenFiles(chooser);
    if (paths.isEmpty()) return;

    const ListState before = listState(&lastState_);
    const AddingState state = beforeAdding();
    addRomFiles(paths, QStringLiteral("\nis not NES file."));
    // The next "Add" opens where this one ended, even when that file was refused.
    if (!paths.back().isEmpty()) {
        iniWriteString(settingsPath_, SETTINGS_CONFIG, "NesPath", folderOf(toPlatform(paths.back())));
    }
    afterAdding(state);
    recordStep(QStringLiteral("Add"), before);
    showFields();
}

void MergeToolDialog::onFilesDropped(const QStringList& paths)
{
    if (!list_) return;
    takeFields();
    const ListState before = listState(&lastState_);
    const AddingState state = beforeAdding();
    addRomFiles(paths, QStringLiteral("\nis not NES file"));
    afterAdding(state);
    recordStep(QStringLiteral("Add"), before);
    showFields();
}

void MergeToolDialog::onDelete()
{
    if (!list_) return;
    takeFields();
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        updateSizeLabels();
        showFields();
        return;
    }
    const ListState before = listState(&lastState_);
    const int top = firstVisibleRow();
    const int firstSelected = rows.front();
    // Paths first: removing an entry frees it.
    markSelectedEntries(rows);
    std::vector<std::string> paths;
    for (const RomEntry* entry = list_->head; entry != nullptr; entry = entry->next) {
        if (entry->selected != 0) paths.push_back(entry->path);
    }
    for (const std::string& path : paths) romListRemove(list_.get(), path);

    refreshRomList();
    if (list_->count == 0) {
        romTitle_.clear();
        showRomInfo(nullptr);
    } else {
        if (firstVisibleRow() < top) scrollToFirstVisible(top);
        const int row = std::min(firstSelected, list_->count - 1);
        selectOnly(row);
        const RomEntry* entry = romListAt(list_.get(), row);
        romTitle_ = entryTitle(entry);
        showRomInfo(entry);
    }
    updateSizeLabels();
    // Nothing asks first: the step can be undone, and the line says how.
    recordStep(QStringLiteral("Delete"), before);
    statusLine_->showMessage(deletedText(paths, undoAction_->shortcut()));
    showFields();
}

void MergeToolDialog::onUp()
{
    moveSelectedRows(1);
}

void MergeToolDialog::onDown()
{
    moveSelectedRows(-1);
}

// Moves the selected block one place towards the head (direction 1) or the
// tail (-1); the entries keep their selection through their marks.
void MergeToolDialog::moveSelectedRows(int direction)
{
    if (!list_) return;
    takeFields();
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) return;
    const ListState before = listState(&lastState_);
    const int top = firstVisibleRow();
    markSelectedEntries(rows);
    const bool up = direction > 0;
    // A block that touches its end of the list moves as a whole or not at all.
    const RomEntry* leading = romListAt(list_.get(), up ? rows.front() : rows.back());
    if (leading == (up ? list_->head : list_->tail)) {
        clearAllMarks();
        showFields();
        return;
    }
    // Each entry moves into the place its neighbour in that direction left.
    romListMoveMarked(list_.get(), direction);
    refreshRomList();
    // Keep the moved entries in view: going up, one row further up when the
    // block started at or above the old top row.
    if (firstVisibleRow() < top) scrollToFirstVisible(up && top >= rows.front() ? top - 1 : top);
    recordStep(up ? QStringLiteral("Move Up") : QStringLiteral("Move Down"), before);
    showFields();
}

void MergeToolDialog::onSort()
{
    if (!list_) return;
    takeFields();
    const ListState before = listState(&lastState_);
    romListSort(list_.get(), sortKey_ == 1 ? SortByTitle : SortByPath, 1);
    refreshRomList();
    selectOnly(0);
    if (list_->count > 0) {
        romTitle_ = entryTitle(list_->head);
        showRomInfo(list_->head);
    }
    recordStep(QStringLiteral("Sort"), before);
    showFields();
}

void MergeToolDialog::onDisplayModeChanged(int mode)
{
    if (!list_) return;
    takeFields();
    displayMode_ = mode;
    const std::vector<int> rows = selectedRows();
    const int top = firstVisibleRow();
    if (!rows.empty()) markSelectedEntries(rows);
    refreshRomList();
    if (!rows.empty()) scrollToFirstVisible(top);
}

void MergeToolDialog::onSelectionChanged()
{
    if (!list_) return;
    takeFields();
    const std::vector<int> rows = selectedRows();
    if (rows.size() == 1) {
        const RomEntry* entry = romListAt(list_.get(), rows.front());
        romTitle_ = entryTitle(entry);
        showRomInfo(entry);
    } else {
        romTitle_.clear();
        showRomInfo(nullptr);
    }
    showFields();
}

void MergeToolDialog::onRomTitleCommitted()
{
    if (!list_) return;
    takeFields();
    // Typed text is UTF-8 on screen and CP932 in the entries; a character
    // CP932 cannot hold is dropped like one the title filter refuses.
    bool dropped = false;
    const QString typed = romTitle_;
    std::string title = toCp932(typed, &dropped);
    const bool filtered = filterTitle(title) != 0;
    romTitle_ = fromCp932(title);

    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        showFields();
        return;
    }
    if (!title.empty()) {
        if (dropped || filtered) {
            prompts_.showMessage(QStringLiteral("Invalid Title \nFixed"), invalidTitleDetail(typed, true));
        }
        // What the settings held, so that Undo puts it back (or takes the
        // key away again, and the title follows the file name once more).
        const IniSnapshot settings = IniSnapshot::load(settingsPath_);
        const ListState before = listState(&lastState_);
        std::vector<TitleSetting> settingsBefore;
        std::vector<TitleSetting> settingsAfter;
        bool remembered = true;  // one message is enough for one commit
        for (const int row : rows) {
            RomEntry* entry = romListAt(list_.get(), row);
            if (entry == nullptr) continue;
            romEntrySetTitle(entry, title, entry->mapper, entry->battery);
            if (remembered) {
                const std::string key = romFileNameOf(entry->path);
                settingsBefore.push_back({key, settings.value(SETTINGS_TITLE, key)});
                remembered = storeUserSetting(prompts_, settingsPath_, SETTINGS_TITLE, key, cp932ToUtf8(title));
                settingsAfter.push_back({key, remembered ? std::optional(cp932ToUtf8(title)) : settingsBefore.back().value});
            }
            // Rows that show titles show the new one at once.
            if (displayMode_ == 2) romListView_->item(row)->setText(entryTitle(entry));
        }
        recordTitleStep(before, std::move(settingsBefore), std::move(settingsAfter));
        // Never cut in silence (the field stops at the limit, but a title can
        // still come out longer in CP932 than it looked).
        if (title != titleBeforeItsCut(typed, true)) showTitleCut(romTitle_);
    } else {
        prompts_.showMessage(QStringLiteral("Invalid Title \nCanceled"), invalidTitleDetail(typed, true));
        romTitle_ = rows.size() == 1 ? entryTitle(romListAt(list_.get(), rows.front())) : QString();
    }
    showFields();
}

void MergeToolDialog::showTitleCut(const QString& kept)
{
    statusLine_->showMessage(titleCutText(kept, QStringLiteral("21 characters or 32 bytes")));
}

void MergeToolDialog::onBrowseGbaFile()
{
    takeFields();
    // The chooser starts on the last image's name, or on no name in the last
    // folder; never on a pattern, which Enter would accept as a file name.
    FileChooser chooser;
    chooser.title = QStringLiteral("Save the GBA image as");
    chooser.filter = GBA_FILTER;
    chooser.defaultExtension = QStringLiteral("gba");
    chooser.confirmOverwrite = true;
    const std::string current = toPlatform(gbaFileName_);
    const std::string_view name = std::string_view(current).substr(fileNamePart(current));
    if (!name.empty() && !hasWildcard(gbaFileName_)) {
        chooser.initialName = gbaFileName_;
    } else {
        const std::string folder = !current.empty() ? folderOf(current)
                                                    : folderOf(iniReadString(settingsPath_, SETTINGS_CONFIG,
                                                                             "LastGBAFile", "", SETTING_VALUE_MAX));
        chooser.initialFolder = fromPlatform(folder);
    }
    const std::optional<QString> chosen = prompts_.chooseSaveFile(chooser);
    if (!chosen) return;
    if (hasWildcard(*chosen) || isTooLongToKeep(*chosen)) {
        prompts_.showMessage(hasWildcard(*chosen) ? wildcardNameText(*chosen) : tooLongNameText(*chosen));
        return;
    }
    gbaFileName_ = *chosen;
    if (!chosen->isEmpty()) {
        iniWriteString(settingsPath_, SETTINGS_CONFIG, "LastGBAFile", toPlatform(*chosen));
    }
    showFields();
}

void MergeToolDialog::onVariantChanged(int index)
{
    if (variants_.empty() || !list_) return;
    takeFields();
    variantIndex_ = index;
    if (index < 0 || static_cast<std::size_t>(index) >= variants_.size()) return;
    const ShellVariant& variant = variants_[static_cast<std::size_t>(index)];
    iniWriteString(settingsPath_, SETTINGS_CONFIG, "KVLVersion", variant.name);
    updateSizeLabels();
    // Whether the shown ROM's mapper runs depends on the variant.
    const std::vector<int> rows = selectedRows();
    if (rows.size() == 1) showRomInfo(romListAt(list_.get(), rows.front()));
    showFields();
}

void MergeToolDialog::onRomDoubleClicked(QListWidgetItem* item)
{
    const ShellVariant* variant = currentVariant();
    if (item == nullptr || variant == nullptr || variant->isPocketNes != 1) return;
    openPocketNesOptions(romListView_->row(item));
}

void MergeToolDialog::openPocketNesOptions(int row)
{
    if (!list_ || list_->count == 0) return;
    takeFields();
    // The same dialog as before writing a PocketNES image, storing the same
    // settings; it only writes no image.
    PocketNesOptionsDialog options(prompts_, list_.get(), settingsPath_, this);
    options.offerWithoutWriting(row);
    // Options stored: a line about the last image no longer describes it.
    if (prompts_.runDialog(options) == QDialog::Accepted) statusLine_->clearMessage();
}

void MergeToolDialog::onFixHeaderClicked(bool checked)
{
    gbaTitleField_->setEnabled(checked);
}

void MergeToolDialog::onPadImageClicked(bool checked)
{
    if (!list_) return;
    takeFields();
    padImage_ = checked;
    iniWriteString(settingsPath_, SETTINGS_CONFIG, "PadImage", checked ? "1" : "0");
    // The size shown is the size the image will have.
    updateSizeLabels();
    showFields();
}

void MergeToolDialog::onTrimOverdumpsClicked(bool checked)
{
    if (!list_) return;
    takeFields();
    trimOverdumps_ = checked;
    iniWriteString(settingsPath_, SETTINGS_CONFIG, "TrimOverdumps", checked ? "1" : "0");
    // The size shown is the size the image will have, and the panel tells
    // what a trimmed ROM keeps.
    updateSizeLabels();
    const std::vector<int> rows = selectedRows();
    if (rows.size() == 1) showRomInfo(romListAt(list_.get(), rows.front()));
    showFields();
}

void MergeToolDialog::onCleanTitlesToggled(bool checked)
{
    if (!list_) return;
    takeFields();
    cleanTitles_ = checked;
    iniWriteString(settingsPath_, SETTINGS_CONFIG, "CleanTitles", checked ? "1" : "0");
    // Titles the file names gave follow the switch; typed ones stay.
    if (rederiveTitles(list_.get(), IniSnapshot::load(settingsPath_), cleanTitles_) > 0) {
        const std::vector<int> rows = selectedRows();
        const int top = firstVisibleRow();
        markSelectedEntries(rows);
        refreshRomList();
        scrollToFirstVisible(top);
        if (rows.size() == 1) romTitle_ = entryTitle(romListAt(list_.get(), rows.front()));
        statusLine_->clearMessage();
    }
    showFields();
}

void MergeToolDialog::onSavedataEditor()
{
#ifdef Q_OS_WIN
    const std::string name = "sramedit.exe";
#else
    const std::string name = "sramedit";
#endif
    // Beside romweld in a portable folder, else (installed) from PATH.
    std::string program = findProgram(name, folders_.programDir, searchPath_);
    if (program.empty()) program = folders_.programDir + name;
    // Nothing is reported when it can't be started.
    prompts_.startProgram(fromPlatform(program));
}
