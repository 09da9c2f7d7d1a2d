// SPDX-License-Identifier: GPL-3.0-or-later
// Putting a finished record (a stored save, or one copied from another
// image) into a packed save image, the way every store must: room checked
// against the real record, a configuration record kept first, and the live
// area released when the record replaces or outdates the save waiting there.
#pragma once

#include "packed_image.h"

#include <vector>

// The record replaces the record at index, or goes after the last one when
// index is at or past the end. Done (*at, when given, is its index), or
// NoRoom with the bytes needed and free; the image is then unchanged.
SaveResult placePackedRecord(PackedSaveImage& image, int index, const std::vector<unsigned char>& record,
                             std::size_t* at = nullptr);
