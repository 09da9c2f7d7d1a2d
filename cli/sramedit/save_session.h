// SPDX-License-Identifier: GPL-3.0-or-later
// The save file a command works on: opened the way the editor opens it, held
// in memory, and written back whole only when the command succeeded; and
// how a command tells what happened.
#pragma once

#include "file_lock.h"
#include "packed_image.h"
#include "save_image.h"
#include "save_result.h"

#include <memory>
#include <string>

struct OpenedSave {
    // What the user said of the packed memory, and the option that said it.
    PackedMemory memory = PackedMemory::FromFile;
    const char* memoryOption = "--memory";
    bool packed = false;  // which of the two images is live
    std::unique_ptr<SaveImage> slots = std::make_unique<SaveImage>();
    std::unique_ptr<PackedSaveImage> records = std::make_unique<PackedSaveImage>();
    // Held from the read to the write, so that two commands on one save
    // can't both read it and each write back without the other's change.
    FileLock lock;
};

// Locks path, then reads it as the editor does (readSaveFile). On failure
// prints why and returns false.
bool openSave(const std::string& path, OpenedSave& save);

// Writes the live image to path (replaced only when complete; with
// WriteMode::CreateNew made only where no file is, and a name taken
// meanwhile is refused as command's refusal: "new", "convert -o"). Prints a
// line and returns false when that fails.
bool writeSave(const std::string& path, OpenedSave& save, WriteMode mode = WriteMode::Replace,
               const std::string& command = "new");

// Prints that path exists and what command does about that; returns the
// failure exit status.
int reportTaken(const std::string& path, const std::string& command);

// True when something is at path (a link too, even one that leads nowhere),
// or it can't be told.
bool pathIsTaken(const std::string& path);

// Prints the result's line on the error output ("sramedit-cli: FILE:
// reason"); returns the failure exit status.
int reportFailure(const SaveResult& result);
// The same for a result that concerns file.
int reportFailure(SaveResult result, const std::string& file);

// Prints a line about file on the error output without failing the command.
void reportWarning(const std::string& file, const std::string& text);

// Prints what a command did on the standard output.
void reportNotice(const std::string& message);
