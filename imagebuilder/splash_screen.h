// SPDX-License-Identifier: GPL-3.0-or-later
// The splash screen of a PocketNES image: a picture PocketNES shows while it
// starts. PocketNES looks at the data right after its own program; when no
// iNES header follows a record header there, it takes those bytes for a
// picture of 240 x 160 pixels of 16 bits each (little-endian; red in bits
// 0-4, green in 5-9, blue in 10-14, bit 15 unused), row by row from the top
// left, and the ROM records begin right after it.
//
// Any PNG, JPEG, BMP or GIF (its first frame) becomes such a picture here:
// scaled to fit the screen with its proportions kept, centred on black, and
// each colour rounded to its nearest 5-bit value, without dithering. The
// command line and the window both build their splash screens here, so that
// both write the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int SPLASH_WIDTH = 240;
constexpr int SPLASH_HEIGHT = 160;
constexpr std::size_t SPLASH_BYTES = std::size_t{SPLASH_WIDTH} * SPLASH_HEIGHT * 2;

// Pictures beyond these are refused before they are decoded, so a small file
// that claims a huge picture can't take the memory: 64 MiB of file, 16384
// pixels a side, 16,777,216 pixels (a 12-megapixel photo fits).
constexpr std::int64_t PICTURE_FILE_MAX = 64 * 1024 * 1024;
constexpr int PICTURE_SIDE_MAX = 16384;
constexpr std::int64_t PICTURE_PIXELS_MAX = 16777216;

// A decoded picture: red, green, blue and alpha bytes, row by row.
struct RgbaPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
};

enum class SplashCode {
    Ok = 0,
    CantRead = 1,     // the file can't be opened or read
    NotAPicture = 2,  // no PNG, JPEG, BMP or GIF
    TooLarge = 3,     // beyond the limits above
    Damaged = 4,      // the decoder gave up on it
};

// What reading a picture as a splash screen gave.
struct SplashLoad {
    SplashCode code = SplashCode::Ok;
    std::string reason;                // why not, in words (image_messages.h)
    std::vector<unsigned char> bytes;  // SPLASH_BYTES of splash screen when Ok
};

// Decodes a PNG, JPEG, BMP or GIF held in memory into picture. Ok, or why
// not (reason says it in words). A picture of more than maxPixels pixels
// is refused from its header, before it is decoded.
SplashCode decodePicture(const unsigned char* data, std::size_t size, RgbaPicture& picture, std::string& reason,
                         std::int64_t maxPixels = PICTURE_PIXELS_MAX);

// The splash screen of a picture: scaled to fit 240 x 160 with its
// proportions kept (up or down; each screen pixel is the average of the
// picture's area it covers), centred on black, transparent parts over black.
// An empty picture gives a black screen.
std::vector<unsigned char> splashFromPicture(const RgbaPicture& picture);

// Reads the picture file at path (a regular file of at most
// PICTURE_FILE_MAX bytes) and converts it.
SplashLoad loadSplashScreen(const std::string& path);

// The colour a splash screen shows at x, y, widened back to 8 bits a part
// (rgb: red, green, blue), for a preview of what the GBA shows.
void splashPixelRgb(const std::vector<unsigned char>& splash, int x, int y, unsigned char rgb[3]);
