// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes a JPEG held in memory with libjpeg-turbo, the security-supported
// JPEG library of the system: damaged files end as a reason, never as a read
// outside the file's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct JpegPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;  // width * height pixels, 4 bytes each
};

// What decodeJpeg found.
enum class JpegResult { Ok, TooLarge, Damaged };

// Decodes data into picture. tooLarge(width, height) is asked before any
// pixel is decoded; TooLarge when it says yes (width and height then hold
// the picture's size). Damaged with the library's reason in reason when the
// file can't be decoded (also for colour models such as CMYK that have no
// RGB form here).
JpegResult decodeJpeg(const unsigned char* data, std::size_t size, bool (*tooLarge)(int, int, std::int64_t),
                      std::int64_t maxPixels, JpegPicture& picture, std::string& reason);
