// Opening the files the save operations read: a save image, a ".sav" file, a
// ROM for its checksum. Each is opened once; its size comes from the open
// file, and why it can't be used goes back to the caller.
#pragma once

#include "file_io.h"

#include <string>

enum SaveInputCode {
    SAVE_INPUT_OPEN = 0,
    SAVE_INPUT_MISSING = 1,     // not there, or empty
    SAVE_INPUT_UNREADABLE = 3,  // there but can't be read: a folder, FIFO or device (never opened), no permission
};

// Opens path into in. *reason (when given) is why the file is missing or
// can't be read, as fileErrorText tells it; 0 for an empty file or success.
int openSaveInput(const std::string& path, InFile& in, int* reason);

// Why a read of in gave fewer bytes than asked: its read error, or
// FILE_CHANGED when the file ended before the size it had when opened.
int shortReadReason(const InFile& in);
