// Messages for failures that would otherwise pass in silence: the image, an
// extracted save or a new record could not be written. Each names the file
// and the reason the write gave, so that the user never believes a save is
// safe when it is not.
#pragma once

#include <QString>

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
// A ".sav" file was not stored: the packed image has no room for it.
QString noRoomText(const QString& savPath);
// "Delete" refused: the chain would still reach into the live area.
QString deleteReachesLiveAreaText();
// "Delete" refused: the record is PocketNES's configuration record.
QString deleteConfigRecordText();
