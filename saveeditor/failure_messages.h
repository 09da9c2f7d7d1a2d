// SPDX-License-Identifier: GPL-3.0-or-later
// The window's sentences around a result: a write that failed (naming the
// file and the reason, so the user never believes a save is safe when it is
// not) and what the packed list's commands did. What a result itself means
// is worded once for the window and sramedit-cli (save_messages.h).
#pragma once

#include "save_result.h"

#include <QString>
#include <cstddef>

// The result's own words (saveResultText), as the window shows them.
QString resultText(const SaveResult& result);
// "Write!" failed; the window stays open with the edits.
QString imageWriteFailedText(const SaveResult& result);
// "Extract" could not write its file.
QString extractWriteFailedText(const SaveResult& result);
// "Extract" was pointed at the save file being edited.
QString extractOverOpenFileText(const QString& path);
// "Copy to...": the chosen file is the one being edited, or no packed save.
QString copyIntoOpenFileText();
QString notPackedText(const QString& path);
// "Copy to..." wrote path; the record is at index there.
QString copiedText(const QString& path, std::size_t at, bool replaced);
// "Copy to..." or "Save as" could not write its file.
QString copyWriteFailedText(const SaveResult& result);
// "Save as 32/64 KiB..." wrote path, or laid out the open file (then "Write!" writes it).
QString savedAsText(const QString& path, const QString& memory);
QString convertedInPlaceText(const QString& memory);
// "Remove Older Records": what it removed.
QString prunedText(std::size_t removed, std::size_t freed);
