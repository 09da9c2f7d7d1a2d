// The save file a command works on: opened the way the editor opens it, held
// in memory, and written back whole only when the command succeeded.
#pragma once

#include "file_lock.h"
#include "packed_image.h"
#include "save_image.h"

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

// Locks path, then reads it as a packed save image, else as a slot save
// image. On failure prints the editor's message for it (or that another
// program is writing the file) and returns false.
bool openSave(const std::string& path, OpenedSave& save);

// Writes the live image to path (replaced only when complete; with
// WriteMode::CreateNew made only where no file is). Prints a line and
// returns false when that fails.
// With WriteMode::CreateNew a name taken meanwhile is refused as command's
// refusal ("new", "convert -o").
bool writeSave(const std::string& path, OpenedSave& save, WriteMode mode = WriteMode::Replace,
               const std::string& command = "new");

// Prints that path exists and what command does about that; returns the
// failure exit status.
int reportTaken(const std::string& path, const std::string& command);

// True when path is no regular file to read: prints the editor's "File not
// found." for a missing file, else the path and the reason (a folder, FIFO or
// device is never opened).
bool reportIfUnreadable(const std::string& path);

// True when something is at path (a link too, even one that leads nowhere),
// or it can't be told.
bool pathIsTaken(const std::string& path);

// Prints message on the error output; returns the failure exit status.
int reportFailure(const std::string& message);

// Prints one of the editor's notices (such as a fixed title) on the output.
void reportNotice(const std::string& message);
