// NES ROM files: recognising an iNES file, copying a file into an image with
// the repair of a damaged iNES header, and file sizes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class OutFile;

// 0 when the file begins with "NES" 0x1A (mapper and battery filled; bytes a
// short file lacks count as 0), 1 when it can't be opened, 2 without the magic.
int probeNesRom(const std::string& path, int& mapper, int& battery);

// Copies the whole file to the end of image, streamed. When extension equals
// "nes" (ASCII case ignored) and the file is an iNES file whose header byte 7
// has any of its low four bits set, byte 7 is written as 0. 1 when the file
// was opened and copied, 0 when it can't be opened (nothing written; the
// reason in *openError when given). Write failures, and a read failure that
// cuts the copy short, are recorded in image.
int appendFile(OutFile& image, const std::string& path, std::string_view extension,
               int* openError = nullptr);

// The size of a regular file in bytes; 0 for an empty file. When the file
// can't be found, or is a folder, FIFO, device or socket, an error line goes
// to the error output and the result is 0. Sizes beyond 32 bits are held at
// INT32_MAX.
std::int32_t fileSize(const std::string& path);
