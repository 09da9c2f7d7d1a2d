// Messages for failures that would otherwise pass in silence: the image, an
// extracted save or a new record could not be written. Each names the file
// and, as far as the file system can tell, the reason, so that the user
// never believes a save is safe when it is not.
#pragma once

#include <QString>

// Why a file could not be written at path: a missing or read-only folder, a
// folder in the way, or a refused write.
QString writeFailureReason(const QString& path);

// "Write!" failed; the window stays open with the edits.
QString imageWriteFailedText(const QString& path);
// "Extract" could not write its file.
QString extractWriteFailedText(const QString& path);
// "Extract" found the record's data damaged.
QString extractDamagedText();
// A ".sav" file was not stored: the compression library could not start.
QString compressionFailedText(const QString& savPath);
// A ".sav" file was not stored: the packed image has no room for it.
QString noRoomText(const QString& savPath);
// "Delete" refused: the chain would still reach into the live area.
QString deleteReachesLiveAreaText();
// "Delete" refused: the record is PocketNES's configuration record.
QString deleteConfigRecordText();
