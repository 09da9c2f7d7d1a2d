// Putting a finished record (a stored save, or one copied from another
// image) into a packed save image, the way every store must: room checked
// against the real record, a configuration record kept first, and the live
// area released when the record replaces or outdates the save waiting there.
#pragma once

#include "packed_image.h"

#include <vector>

// The record replaces the record at index, or goes after the last one when
// index is at or past the end. 0 done (*at, when given, is its index); 5 no
// room, with the bytes in *room when given; the image is then unchanged.
int placePackedRecord(PackedSaveImage& image, int index, const std::vector<unsigned char>& record,
                      PackedRoom* room, std::size_t* at = nullptr);
