// Messages for failures that would otherwise pass in silence: the image, an
// extracted save or a new record could not be written. Each names the file
// and the reason the write gave, so that the user never believes a save is
// safe when it is not.
#pragma once

#include <QString>
#include <cstddef>

// "Write!" failed for reason; the window stays open with the edits.
QString imageWriteFailedText(const QString& path, const QString& reason);
// "Extract" could not write its file.
QString extractWriteFailedText(const QString& path, const QString& reason);
// "Extract" was pointed at the save file being edited.
QString extractOverOpenFileText(const QString& path);
// "Extract" found the record's data damaged.
QString extractDamagedText();
// A ".sav" file was not stored: the compression library could not start.
QString compressionFailedText(const QString& savPath);
// A ".sav" file (or a copied record: what) was not stored: the packed image
// in saveFile has no room for it.
QString noRoomText(const QString& saveFile, const QString& what, std::size_t needed, std::size_t available);
// A store was refused: the game's battery save PocketNES restores is record live.
QString secondRecordText(std::size_t live);
// On opening: PocketNES will drop the newest save of title at its next start.
QString saveAtRiskText(const QString& title, std::size_t bytesToFree);
// "Copy to...": the chosen file is the one being edited, or no packed save.
QString copyIntoOpenFileText();
QString notPackedText(const QString& path);
// "Copy to..." wrote path; the record is at index there.
QString copiedText(const QString& path, std::size_t at, bool replaced);
// "Copy to..." or "Save as" could not write path.
QString copyWriteFailedText(const QString& path, const QString& reason);
// "Save as 32/64 KiB...": the records need missing bytes more than 32 KiB has.
QString convertMissingText(std::size_t missing);
// "Save as 32/64 KiB..." wrote path, or laid out the open file (then "Write!" writes it).
QString savedAsText(const QString& path, const QString& memory);
QString convertedInPlaceText(const QString& memory);
// "Remove Older Records": what it removed, or why it removed nothing.
QString prunedText(std::size_t removed, std::size_t freed);
QString pruneRefusedText();
// "Delete" refused: the chain would still reach into the live area.
QString deleteReachesLiveAreaText();
// "Delete" refused: the record is PocketNES's configuration record.
QString deleteConfigRecordText();
