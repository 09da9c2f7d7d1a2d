// NES ROM files: recognising an iNES file, copying a file into an image with
// the repair of a damaged iNES header, and file sizes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class OutFile;

// True when header byte 7 marks the NES 2.0 format (byte 7 AND 0x0C is 0x08).
// Its low bits are then the format's mark, not damage, and byte 8 holds the
// mapper's bits 8 to 11.
bool isNes20Header(unsigned char byte7);

// 0 when the file begins with "NES" 0x1A (mapper and battery filled; bytes a
// short file lacks count as 0), 1 when it can't be opened, 2 without the magic.
// The mapper has 12 bits for an NES 2.0 header, 8 otherwise; *nes20 (when
// given) tells which header it was.
int probeNesRom(const std::string& path, int& mapper, int& battery, bool* nes20 = nullptr);

// Copies the whole file to the end of image, streamed. When extension equals
// "nes" (ASCII case ignored) and the file is an iNES file whose header byte 7
// has any of its low four bits set, byte 7 is repaired: an NES 2.0 header
// keeps its mapper bits (byte 7 AND 0xF0), any other is written as 0. 1 when
// the file was opened and copied, 0 when it can't be opened (nothing written;
// the reason in *openError when given). Write failures, and a read failure
// that cuts the copy short, are recorded in image.
int appendFile(OutFile& image, const std::string& path, std::string_view extension,
               int* openError = nullptr);

// The size of a regular file in bytes; 0 for an empty file. When the file
// can't be found, or is a folder, FIFO, device or socket, an error line goes
// to the error output and the result is 0. Sizes beyond 32 bits are held at
// INT32_MAX.
std::int32_t fileSize(const std::string& path);
