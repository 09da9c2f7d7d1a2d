// SPDX-License-Identifier: GPL-3.0-or-later
#include "save_file.h"

SaveResult readSaveFile(const std::string& path, SaveImage& slots, PackedSaveImage& records, bool& packed,
                        PackedMemory memory)
{
    blankSaveImage(slots);
    const SaveResult asPacked = readPackedImage(path, records, memory);
    packed = asPacked.ok();
    // A file that is not there, or can't be read, is said once.
    if (asPacked != SaveCode::NotASave) return asPacked;
    return readSaveImage(path, slots);
}
