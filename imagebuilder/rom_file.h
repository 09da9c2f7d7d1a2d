// SPDX-License-Identifier: GPL-3.0-or-later
// NES ROM files: recognising an iNES file, copying a file into an image with
// the repair of a damaged iNES header, and file sizes. Files are read through
// RomSource: each is opened once for a probe and once for a copy.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class ArchiveMemberReader;
class OutFile;
class Report;
class RomSource;

// True when bytes (4 of them at least) begin with the iNES signature,
// "NES" 0x1A.
bool hasInesMagic(const unsigned char* bytes);

// True when header byte 7 marks the NES 2.0 format (byte 7 AND 0x0C is 0x08).
// Its low bits are then the format's mark, not damage, and byte 8 holds the
// mapper's bits 8 to 11.
bool isNes20Header(unsigned char byte7);

// What probing a file found.
struct NesRomProbe {
    int mapper = 0;
    int battery = 0;
    bool nes20 = false;        // the header is in the NES 2.0 format
    // The mapper the header names once a ".nes" copy has repaired it (see
    // appendFile): a damaged byte 7 is written as 0, so its mapper bits go.
    int repairedMapper = 0;
    // The bytes the header promises (inesPromisedBytes); 0 when it promises none.
    std::int64_t promisedBytes = 0;
    std::int64_t size = 0;     // bytes of the file, when it could be opened
    int errorNumber = 0;       // why it could not be opened or read (fileErrorText tells it)
    std::string reason;        // the same in words; an archive member's own reason
};

// The bytes an iNES probe looks at: the whole header.
constexpr std::size_t INES_PROBE_SIZE = 16;

// What probing a file gave.
enum class NesProbe {
    Nes = 0,         // an iNES file: the probe's numbers are filled
    Unreadable = 1,  // it can't be opened or read: errorNumber and reason tell why
    NotNes = 2,      // it lacks the iNES signature
};

// Reads mapper, battery, the NES 2.0 mark and the promised size from the
// first size bytes of a file (bytes it lacks count as 0): Nes when they
// begin with "NES" 0x1A, else NotNes with probe's numbers untouched.
NesProbe probeNesHeader(const unsigned char* bytes, std::size_t size, NesRomProbe& probe);

// Nes when the file begins with "NES" 0x1A (mapper and battery filled;
// bytes a short file lacks count as 0), Unreadable when it can't be opened
// or read, NotNes without the magic. The mapper has 12 bits for an NES 2.0 header, 8 otherwise.
// path may name an archive member (ARCHIVE::MEMBER).
// archives (when given) is the reader that finds an archive member, shared
// by the probes of one command (see RomSource).
NesProbe probeNesRom(const std::string& path, NesRomProbe& probe, ArchiveMemberReader* archives = nullptr);
// The same with the numbers alone; *nes20 (when given) tells which header it
// was. Mapper and battery are left alone unless the result is Nes.
NesProbe probeNesRom(const std::string& path, int& mapper, int& battery, bool* nes20 = nullptr);

// The extension text a ROM's record carries and its copy goes by: what
// follows the last dot of the whole path, folder names included, or "???"
// without a dot. Only "nes" (case ignored) repairs the header.
std::string romExtensionOf(std::string_view path);

// The mapper an image gets for a probed ROM at path: after the header
// repair for a ".nes" path, as probed for any other.
int mapperInImage(const std::string& path, const NesRomProbe& probe);

// What appendFile gives.
enum class FileAppend {
    NotOpened = 0,
    Copied = 1,
};

// Copies the whole file to the end of image, streamed. When extension equals
// "nes" (ASCII case ignored) and the file is an iNES file whose header byte 7
// has any of its low four bits set, byte 7 is repaired: an NES 2.0 header
// keeps its mapper bits (byte 7 AND 0xF0), any other is written as 0.
// Copied when the file was opened and copied, NotOpened when it can't be
// opened (nothing written). Either failure, and a read failure that cuts the
// copy short, is handed to report; a short copy is also recorded in image.
FileAppend appendFile(OutFile& image, const std::string& path, std::string_view extension, Report& report);

// Copies exactly bytes bytes of the open source to the end of image, with
// the repair appendFile makes. buffer is the copy's working memory, kept by
// the caller so that many copies share it. copied (when given) hears the
// bytes copied so far after each part and returns false to stop. keep (when
// 0 or more and less than bytes) copies only the first keep bytes of the
// source and reads no further. 0 when done; otherwise why not: the source's
// read error, FILE_CHANGED, or ECANCELED when copied said stop. Write
// failures are recorded in image.
int copyRomSource(OutFile& image, RomSource& source, std::int64_t bytes, std::string_view extension,
                  std::vector<char>& buffer, const std::function<bool(std::int64_t)>& copied = {},
                  std::int64_t keep = -1);

// The size of a regular file in bytes; 0 for an empty file. When the file
// can't be found, or is a folder, FIFO, device or socket, report hears the
// reason and the result is 0. Sizes beyond 32 bits are held at INT32_MAX.
std::int32_t fileSize(const std::string& path, Report& report);
