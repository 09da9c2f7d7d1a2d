// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the files the save operations read: a save image, a ".sav" file, a
// ROM for its checksum. Each is opened once; its size comes from the open
// file, and why it can't be used goes back to the caller.
#pragma once

#include "file_io.h"
#include "save_result.h"

#include <cstddef>
#include <string>

// A single game's save: the battery memory of one NES game.
constexpr std::size_t SAVE_MAX_BYTES = 8192;

// Opens path into in: Done, Missing (not there, or empty: errorNumber 0) or
// Unreadable (a folder, FIFO or device, never opened; no permission).
SaveResult openSaveInput(const std::string& path, InFile& in);

// Opens a single game's ".sav" file: openSaveInput's results, or
// SavTooLarge for one larger than a save (8192 bytes).
SaveResult openSavFile(const std::string& path, InFile& in);

// A read of in that gave fewer bytes than asked: Unreadable, with its read
// error, or FILE_CHANGED when the file ended before the size it had when
// opened.
SaveResult shortRead(const std::string& path, const InFile& in);
