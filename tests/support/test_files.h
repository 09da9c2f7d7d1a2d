// SPDX-License-Identifier: GPL-3.0-or-later
// Test data is made by the tests themselves, in a temporary folder that is
// removed afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes away. path() ends in '/'.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

void writeBytes(const std::string& path, const Bytes& bytes);
void writeText(const std::string& path, const std::string& text);
Bytes readBytes(const std::string& path);
std::string readText(const std::string& path);
bool fileExists(const std::string& path);
// True when path itself is a symbolic link (whatever it leads to).
bool isLink(const std::string& path);
std::int64_t sizeOf(const std::string& path);

// Bytes of an iNES file of the given total size (at least 16 bytes): the
// magic, byte 6 and byte 7 as given, then a pattern that depends on seed.
// Its PRG and CHR counts (bytes 4 and 5) are 0: the header promises no size,
// so the dump checks leave a file of any size alone.
Bytes makeInesRom(std::size_t size, unsigned char byte6 = 0, unsigned char byte7 = 0,
                  unsigned seed = 1);

// An iNES file whose header promises prgBanks x 16 KiB and chrBanks x 8 KiB
// (and a 512-byte trainer with byte 6 bit 2), difference bytes longer than
// that promise (shorter when negative).
Bytes makePromisingRom(unsigned char prgBanks, unsigned char chrBanks, long difference = 0,
                       unsigned char byte6 = 0, unsigned seed = 1);

// A pattern of bytes that depends on seed, for file contents.
Bytes patternBytes(std::size_t size, unsigned seed = 1);
