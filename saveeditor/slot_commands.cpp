// SPDX-License-Identifier: GPL-3.0-or-later
// The commands on one slot or record of the live image: Load, Append,
// Extract, Delete and Retitle. Each takes the fields, works on the image and
// shows the result.
#include "save_editor_dialog.h"

#include "editor_texts.h"
#include "failure_messages.h"
#include "file_io.h"
#include "path_text.h"
#include "prompts.h"
#include "qt_text.h"
#include "save_messages.h"
#include "save_slots.h"
#include "title_removals.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QTreeWidget>

using namespace editor_text;

namespace {

QString text(const char* s) { return QString::fromUtf8(s); }

// A default file name offered by "Extract" must not lead into a folder.
QString asFileName(QString name)
{
    return name.replace(QLatin1Char('/'), QLatin1Char('_'));
}

// The text of a slot's 4-byte extension field, ended by a NUL or the field.
std::string slotExtension(const SaveImage& image, int s)
{
    const auto* field = image.data() + slotExtensionOffset(s);
    std::size_t length = 0;
    while (length < 4 && field[length] != 0) ++length;
    return std::string(reinterpret_cast<const char*>(field), length);
}

}  // namespace

std::optional<std::string> SaveEditorDialog::chooseSavFile(const std::string& folder, const char* caption)
{
    FileChooser chooser;
    chooser.title = text(caption);
    chooser.filter = text(SAV_FILTER);
    chooser.initialFolder = fromPlatform(folder);
    chooser.mustExist = true;
    const std::optional<QString> chosen = prompts_.chooseOpenFile(chooser);
    if (!chosen) return std::nullopt;
    const std::string path = toPlatform(*chosen);
    writeSetting(KEY_SAV_PATH, folderOf(path));
    return path;
}

void SaveEditorDialog::showResult(const SaveResult& result)
{
    // A file that is there but can't be read (no permission, a folder or a
    // FIFO) says why under the message.
    const bool unreadable = result == SaveCode::Unreadable || result == SaveCode::RomUnreadable;
    const QString detail =
        unreadable && result.errorNumber != 0 ? fromPlatform(fileErrorText(result.errorNumber)) : QString();
    prompts_.showMessage(resultText(result), detail);
}

void SaveEditorDialog::onLoad()
{
    takeFields();
    const std::string savFolder = readSetting(KEY_SAV_PATH);
    const std::string romFolder = readSetting(KEY_ROM_PATH);
    if (!selected_) return;
    const std::optional<std::string> savPath = chooseSavFile(savFolder, LOAD_SAV_CHOOSER);
    if (!savPath) return;
    if (packedMode_) {
        storeIntoPacked(*savPath, romFolder, *selected_);
        return;
    }
    const SaveResult loaded = loadSlotFromFile(*savPath, image_, *selected_);
    if (!loaded.ok()) {
        showResult(loaded);
        return;
    }
    refreshSlotList();
    refreshTitleBox();
    showStatus(text(STATUS_STORED).arg(QFileInfo(fromPlatform(*savPath)).fileName()));
}

void SaveEditorDialog::onAppend()
{
    if (!packedMode_) return;
    takeFields();
    const std::string savFolder = readSetting(KEY_SAV_PATH);
    const std::string romFolder = readSetting(KEY_ROM_PATH);
    const std::optional<std::string> savPath = chooseSavFile(savFolder, APPEND_SAV_CHOOSER);
    if (!savPath) return;
    storeIntoPacked(*savPath, romFolder, PACKED_APPEND);
}

// A packed record belongs to a ROM: its checksum is taken from the ROM the
// user picks, then the save is compressed into the record at index.
void SaveEditorDialog::storeIntoPacked(const std::string& savPath, const std::string& romFolder, int index)
{
    FileChooser chooser;
    chooser.title = text(ROM_CHOOSER);
    chooser.filter = text(ROM_FILTER);
    chooser.initialFolder = fromPlatform(romFolder);
    chooser.mustExist = true;
    const std::optional<QString> chosen = prompts_.chooseOpenFile(chooser);
    if (!chosen) {
        refreshSlotList();
        refreshTitleBox();
        return;
    }
    const std::string romPath = toPlatform(*chosen);
    writeSetting(KEY_ROM_PATH, folderOf(romPath));

    std::uint32_t checksum = 0;
    if (const SaveResult rom = romFileChecksum(romPath, checksum); !rom.ok()) {
        showResult(rom);
        return;
    }

    // The game's battery save PocketNES restores, when an append replaced it.
    std::optional<std::size_t> live;
    SaveResult stored = storePackedSave(savPath, packed_, index, checksum, &live);
    if (stored == SaveCode::NoRoom && settleMemoryForRoom(packed_, currentPath_, stored)) {
        stored = storePackedSave(savPath, packed_, index, checksum, &live);
    }
    const bool readFailed = stored == SaveCode::Missing || stored == SaveCode::SavTooLarge || stored == SaveCode::Unreadable;
    if (!stored.ok()) {
        // Nothing was stored; the user must not believe otherwise.
        stored.file = currentPath_;
        stored.subject = fileNameOf(savPath);
        showResult(stored);
        if (readFailed) return;
    }
    refreshSlotList();
    // An append that replaced the game's battery save shows where it went,
    // and says so.
    const QString savName = QFileInfo(fromPlatform(savPath)).fileName();
    if (stored.ok() && index == PACKED_APPEND && live) {
        slotList_->setCurrentItem(slotList_->topLevelItem(static_cast<int>(*live)));
        showStatus(text(STATUS_REPLACED).arg(savName).arg(*live));
    } else if (stored.ok()) {
        showStatus(text(STATUS_STORED).arg(savName));
    }
    refreshTitleBox();
}

void SaveEditorDialog::onExtract()
{
    takeFields();
    if (!selected_) return;
    const int line = *selected_;
    QString defaultName;
    if (packedMode_) {
        if (packedRecordType(line) != RECORD_SV) return;
        defaultName = QStringLiteral("%1.sav").arg(packedRecordTitle(line));
    } else {
        if (!slotIsUsed(image_, line)) return;
        defaultName = QStringLiteral("%1.%2").arg(fromCp932(slotDisplayTitle(image_, line)),
                                                  fromCp932(slotExtension(image_, line)));
    }

    // Beside the save file, as the save's own name; a name typed without an
    // extension gets ".sav", which emulators look for.
    FileChooser chooser;
    chooser.title = text(EXTRACT_CHOOSER);
    chooser.filter = text(EXTRACT_FILTER);
    chooser.initialName = fromPlatform(folderOf(currentPath_)) + asFileName(defaultName);
    chooser.defaultExtension = QStringLiteral("sav");
    chooser.confirmOverwrite = true;
    std::optional<QString> chosen = prompts_.chooseSaveFile(chooser);
    if (!chosen) return;
    if (QFileInfo(*chosen).suffix().isEmpty()) {
        *chosen += QStringLiteral(".sav");
        // The chooser asked about the name without it.
        if (QFileInfo::exists(*chosen) && !prompts_.askYesNo(text(ASK_REPLACE_EXTRACTED).arg(*chosen), DefaultAnswer::No)) {
            return;
        }
    }
    const std::string path = toPlatform(*chosen);
    // The file being edited holds every save; one of them never replaces it.
    if (isSameFile(path, currentPath_)) {
        prompts_.showMessage(extractOverOpenFileText(*chosen));
        return;
    }

    const SaveResult written = packedMode_ ? extractPackedSave(path, packed_, line) : extractSlot(path, image_, line);
    // The user takes an extracted file for a backup: a failure must be said.
    if (written == SaveCode::WriteFailed) prompts_.showMessage(extractWriteFailedText(written));
    if (written == SaveCode::Damaged) showResult(written);
    if (written.ok()) showStatus(text(STATUS_EXTRACTED).arg(QFileInfo(*chosen).fileName()), *chosen);
}

void SaveEditorDialog::onDelete()
{
    takeFields();
    if (!selected_) return;
    const int line = *selected_;
    if (packedMode_) {
        const std::optional<std::uint16_t> type = packedRecordType(line);
        if (!type) return;
        // PocketNES needs it: refused before the question, not after.
        if (*type == RECORD_PLAIN) {
            SaveResult refused = saveFailure(SaveCode::ConfigRecordNeeded, currentPath_);
            refused.index = static_cast<std::size_t>(line);
            showResult(refused);
            return;
        }
    } else if (!slotIsUsed(image_, line)) {
        return;  // an empty slot is left alone without a question
    }
    // The question names the line it is about.
    const QString which = slotList_->topLevelItem(line)->text(LINE_COLUMN);
    if (!prompts_.askOkCancel(text(ASK_DELETE), text(packedMode_ ? DELETE_RECORD_DETAIL : DELETE_SLOT_DETAIL)
                                                    .arg(line)
                                                    .arg(which))) {
        return;
    }
    if (packedMode_) {
        if (const SaveResult deleted = deletePackedRecord(packed_, line); !deleted.ok()) showResult(deleted);
    } else {
        deleteSlot(image_, line);
    }
    refreshSlotList();
    refreshTitleBox();
}

void SaveEditorDialog::retitle()
{
    // The messages below take the focus from the box again.
    if (retitling_) return;
    retitling_ = true;
    takeFields();
    // Only an edited title is applied: merely passing through the box must
    // not filter or shorten a title that came from a file name.
    if (titleEdited_) {
        if (packedMode_) {
            retitleRecord();
        } else {
            retitleSlot();
        }
        showFields();
    }
    retitling_ = false;
}

void SaveEditorDialog::retitleSlot()
{
    bool dropped = false;
    const std::string typed = toCp932(titleText_, &dropped);
    const RenameResult result = renameSlot(image_, selected_, typed);
    const QString typedTitle = titleText_;
    titleText_ = fromCp932(result.shown);
    // The messages name what was removed, under their own text.
    switch (result.outcome) {
    case RenameOutcome::Refused:
        prompts_.showMessage(resultText(saveFailure(SaveCode::EmptyTitle)), invalidTitleDetail(typedTitle, true));
        break;
    case RenameOutcome::StoredFixed:
        prompts_.showMessage(text(TITLE_FIXED), invalidTitleDetail(typedTitle, true));
        break;
    case RenameOutcome::Stored:
        // A character the cartridge text can't hold was dropped on the way.
        if (dropped) prompts_.showMessage(text(TITLE_FIXED), invalidTitleDetail(typedTitle, true));
        break;
    case RenameOutcome::Unchanged:
        break;
    }
    if (result.outcome == RenameOutcome::Stored || result.outcome == RenameOutcome::StoredFixed) {
        refreshSlotList();
    }
}

void SaveEditorDialog::retitleRecord()
{
    if (!selected_ || packedRecordType(*selected_) != RECORD_SV) return;
    const std::string typed = toCp932(titleText_);
    if (typed.empty()) {
        prompts_.showMessage(resultText(saveFailure(SaveCode::EmptyTitle)), invalidTitleDetail(titleText_, false));
        titleText_ = packedRecordTitle(*selected_);
        return;
    }
    setPackedTitle(packed_, *selected_, typed);
    // The box shows what was stored: cut to the field, without dropped characters.
    titleText_ = packedRecordTitle(*selected_);
    refreshSlotList();
}
