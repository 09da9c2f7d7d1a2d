// SPDX-License-Identifier: GPL-3.0-or-later
// A save file read the way the window and sramedit-cli both read it: as a
// packed save image first, else as a slot save image.
#pragma once

#include "packed_image.h"
#include "save_image.h"
#include "save_result.h"

#include <string>

// Reads path into records (packed becomes true) or slots (false). Done;
// MemoryUnknown for a packed save that can't tell its memory (read it again
// with memory Small or Large); Missing or Unreadable for a file that is not
// there, empty or can't be read; NotASave when it is neither. Both images
// are blank on every other result, and packed is false.
SaveResult readSaveFile(const std::string& path, SaveImage& slots, PackedSaveImage& records, bool& packed,
                        PackedMemory memory = PackedMemory::FromFile);
