// SPDX-License-Identifier: GPL-3.0-or-later
// A ROM's size against what its own iNES header promises. PocketNES maps the
// PRG and CHR banks the header names (after a trainer, when there is one)
// and reads nothing beyond them. A file shorter than that is a bad dump: its
// record would carry a broken game. A longer one is an overdump: the bytes
// past the promise are never read and only take cartridge space.
#pragma once

#include <cstddef>
#include <cstdint>

struct RomEntry;

// The bytes an iNES header promises: its 16 bytes, 512 of trainer when byte
// 6 has bit 2 set, byte 4 x 16384 of PRG and byte 5 x 8192 of CHR (0 CHR
// banks: the game has CHR RAM, no CHR ROM). Bytes a short header lacks count
// as 0. 0 when the header promises nothing that can be checked: no iNES
// magic; no PRG banks (a count of 0 names no size the mapper could use); or
// an NES 2.0 header whose sizes go beyond bytes 4 and 5 (byte 9) or that
// carries further ROM after the CHR (byte 14), whose extra bytes are real.
std::int64_t inesPromisedBytes(const unsigned char* header, std::size_t size);

// What a check found (dumpCheckText words it).
enum class DumpVerdict {
    AsPromised = 0,  // the size the header promises, or a header that promises none
    Bad = 1,         // shorter than the header promises
    Over = 2,        // longer than the header promises
};

struct DumpCheck {
    DumpVerdict verdict = DumpVerdict::AsPromised;
    std::int64_t bytes = 0;  // how many bytes short, or beyond
};

// A file of fileBytes against promised (0: nothing promised, nothing checked).
DumpCheck checkDump(std::int64_t fileBytes, std::int64_t promised);
// A listed ROM, with the size it had when it was listed.
DumpCheck checkRomDump(const RomEntry& entry);

// The bytes of a ROM an image carries: all of them, or with trimOverdumps
// only those its header promises when it holds more.
std::int64_t romBytesInImage(std::int64_t fileBytes, std::int64_t promised, bool trimOverdumps);
