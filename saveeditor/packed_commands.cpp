// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of a packed save alone: which memory a file holds, "Copy
// to...", "Save as 32/64 KiB..." and "Remove Older Records".
#include "save_editor_dialog.h"

#include "editor_texts.h"
#include "failure_messages.h"
#include "file_io.h"
#include "file_lock.h"
#include "packed_transfer.h"
#include "prompts.h"
#include "qt_text.h"

#include <memory>

using namespace editor_text;

namespace {

QString text(const char* s) { return QString::fromUtf8(s); }

const QStringList& memoryAnswers()
{
    static const QStringList answers{text(ANSWER_32), text(ANSWER_64)};
    return answers;
}

}  // namespace

std::optional<PackedMemory> SaveEditorDialog::askMemory(const SaveResult& unknown)
{
    // mGBA's files and 64 KiB carts' files can look alike: don't guess.
    const std::optional<int> answer = prompts_.askChoice(resultText(unknown) + text(ASK_MEMORY), memoryAnswers(), 0);
    if (!answer) return std::nullopt;
    return *answer == 0 ? PackedMemory::Small : PackedMemory::Large;
}

SaveResult SaveEditorDialog::readPackedAsking(const std::string& path, PackedSaveImage& image)
{
    const SaveResult read = readPackedImage(path, image);
    if (read != SaveCode::MemoryUnknown) return read;
    const std::optional<PackedMemory> memory = askMemory(read);
    return memory ? readPackedImage(path, image, *memory) : read;
}

bool SaveEditorDialog::settleMemoryForRoom(PackedSaveImage& image, const std::string& path, const SaveResult& noRoom)
{
    if (!noRoom.largerMemoryFits) return false;
    const std::optional<int> answer =
        prompts_.askChoice(text(ASK_MEMORY_FOR_ROOM).arg(fromPlatform(path)), memoryAnswers(), 0);
    if (!answer) return false;
    if (*answer == 1) {
        image.eitherSize = false;
        return true;
    }
    // A 32 KiB memory: written twice from now on, its room as it was.
    convertPackedImage(image, PACKED_SMALL_IMAGE_SIZE);
    return false;
}

void SaveEditorDialog::onCopyTo()
{
    takeFields();
    if (!packedMode_ || !selected_) return;
    const int line = *selected_;
    const std::optional<std::uint16_t> type = packedRecordType(line);
    if (!type || *type == RECORD_PLAIN) return;  // the configuration belongs to its own file

    FileChooser chooser;
    chooser.title = text(COPY_CHOOSER);
    chooser.filter = text(START_FILTER);
    chooser.mustExist = true;
    const std::optional<QString> chosen = prompts_.chooseOpenFile(chooser);
    if (!chosen) return;
    const std::string path = toPlatform(*chosen);
    if (isSameFile(path, currentPath_)) {
        prompts_.showMessage(copyIntoOpenFileText());
        return;
    }

    // The other file is read, changed and written back: held for all of it,
    // so no other writer's change to it is lost.
    FileLock lock;
    if (const int busy = lock.acquire(path); busy != 0) {
        prompts_.showMessage(copyWriteFailedText(saveFailure(SaveCode::WriteFailed, path, busy)));
        return;
    }
    auto target = std::make_unique<PackedSaveImage>();
    const SaveResult read = readPackedAsking(path, *target);
    if (read == SaveCode::MemoryUnknown) return;
    if (read == SaveCode::Unreadable) {
        showResult(read);
        return;
    }
    if (!read.ok()) {
        prompts_.showMessage(notPackedText(*chosen));
        return;
    }
    std::size_t at = 0;
    bool replaces = false;
    SaveResult copied = copyPackedRecord(packed_, line, *target, &at, &replaces);
    if (copied == SaveCode::NoRoom && settleMemoryForRoom(*target, path, copied)) {
        copied = copyPackedRecord(packed_, line, *target, &at, &replaces);
    }
    if (!copied.ok()) {
        copied.file = path;
        copied.subject = toPlatform(packedRecordTitle(line));
        showResult(copied);
        return;
    }
    if (const SaveResult written = writePackedImage(path, *target); !written.ok()) {
        prompts_.showMessage(copyWriteFailedText(written));
        return;
    }
    prompts_.showMessage(copiedText(*chosen, at, replaces));
}

void SaveEditorDialog::onSaveAsSize()
{
    takeFields();
    if (!packedMode_) return;
    // The other size is the likely wish.
    const int current = packed_.size() == PACKED_IMAGE_SIZE && !packed_.eitherSize ? 1 : 0;
    const std::optional<int> answer = prompts_.askChoice(text(ASK_SAVE_AS_SIZE), memoryAnswers(), 1 - current);
    if (!answer) return;
    const std::size_t memory = *answer == 0 ? PACKED_SMALL_IMAGE_SIZE : PACKED_IMAGE_SIZE;
    const QString memoryName = memoryAnswers()[*answer];

    FileChooser chooser;
    chooser.title = text(SAVE_AS_CHOOSER);
    chooser.filter = text(START_FILTER);
    chooser.initialName = fromPlatform(currentPath_);
    chooser.confirmOverwrite = true;
    const std::optional<QString> chosen = prompts_.chooseSaveFile(chooser);
    if (!chosen) return;
    const std::string path = toPlatform(*chosen);

    auto converted = std::make_unique<PackedSaveImage>(packed_);
    if (const SaveResult laidOut = convertPackedImage(*converted, memory); !laidOut.ok()) {
        showResult(laidOut);
        return;
    }
    // The open file is written by "Write!", as every other change to it.
    if (isSameFile(path, currentPath_)) {
        packed_ = *converted;
        refreshSlotList();
        refreshTitleBox();
        prompts_.showMessage(convertedInPlaceText(memoryName));
        return;
    }
    if (const SaveResult written = writePackedImage(path, *converted); !written.ok()) {
        prompts_.showMessage(copyWriteFailedText(written));
        return;
    }
    prompts_.showMessage(savedAsText(*chosen, memoryName));
}

void SaveEditorDialog::onRemoveOlder()
{
    takeFields();
    if (!packedMode_) return;
    std::size_t removed = 0;
    std::size_t freed = 0;
    if (const SaveResult pruned = prunePackedRecords(packed_, removed, freed); !pruned.ok()) {
        showResult(pruned);
        return;
    }
    refreshSlotList();
    refreshTitleBox();
    prompts_.showMessage(prunedText(removed, freed));
}
