// SPDX-License-Identifier: GPL-3.0-or-later
// romweld-demo-folder DIR: makes the files a romweld program folder needs, as
// stand-ins: the shells of the two variants in romweld.cfg, the extra file,
// and a few small iNES ROMs in DIR/roms/. The stand-in shells only let the
// tools run; for a cartridge that plays, put the emulator's real files in
// their place. Files that are not stand-ins made by this program are never
// overwritten, so real shells stay where a user put them.
#include "file_io.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::string_view STAND_IN_MARK = "ROMWELD STAND-IN";
constexpr std::string_view DEMO_ROM_MARK = "ROMWELD DEMO ROM";
constexpr std::size_t INES_HEADER_SIZE = 16;
constexpr std::size_t PRG_BANK = 16 * 1024;
constexpr std::size_t CHR_BANK = 8 * 1024;

using Bytes = std::vector<unsigned char>;

// A deterministic filler, so that the demo image is the same on every machine.
void fillPattern(Bytes& bytes, std::size_t from, unsigned seed)
{
    unsigned state = seed * 2654435761u + 1u;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<unsigned char>(state >> 16);
    }
}

void putText(Bytes& bytes, std::size_t at, std::string_view text)
{
    for (std::size_t i = 0; i < text.size() && at + i < bytes.size(); ++i) {
        bytes[at + i] = static_cast<unsigned char>(text[i]);
    }
}

Bytes standIn(std::size_t size, std::string_view what, unsigned seed)
{
    Bytes bytes(size);
    fillPattern(bytes, 0, seed);
    putText(bytes, 0, std::string(STAND_IN_MARK) + ": " + std::string(what) + "\n");
    return bytes;
}

struct DemoRom {
    const char* fileName;  // UTF-8
    unsigned char byte6;   // low mapper bits and the battery flag
    const char* bytes7to15;
    std::size_t prgBanks;
    std::size_t chrBanks;
};

// Different mappers, one with battery, one whose bytes 7 to 15 hold the text
// an old tool left in many headers (its byte 7 needs the repair), and one
// with a Japanese file name.
const std::vector<DemoRom> DEMO_ROMS = {
    {"Alpha Demo.nes", 0x00, "", 1, 1},
    {"Bravo Save.nes", 0x12, "", 2, 1},
    {"Charlie Scroll.nes", 0x20, "", 4, 0},
    {"Delta Dude.nes", 0x40, "DiskDude!", 2, 1},
    {"\xE3\x82\xBC\xE3\x83\xAB\xE3\x83\x80.nes", 0x30, "", 2, 1},  // ゼルダ.nes
};

Bytes demoRom(const DemoRom& rom, unsigned seed)
{
    Bytes bytes(INES_HEADER_SIZE + rom.prgBanks * PRG_BANK + rom.chrBanks * CHR_BANK);
    fillPattern(bytes, INES_HEADER_SIZE, seed);
    const unsigned char header[8] = {'N', 'E', 'S', 0x1A, static_cast<unsigned char>(rom.prgBanks),
                                     static_cast<unsigned char>(rom.chrBanks), rom.byte6, 0};
    for (std::size_t i = 0; i < sizeof header; ++i) bytes[i] = header[i];
    for (std::size_t i = 8; i < INES_HEADER_SIZE; ++i) bytes[i] = 0;
    putText(bytes, 7, rom.bytes7to15);
    putText(bytes, INES_HEADER_SIZE, std::string(DEMO_ROM_MARK) + " - not a game\n");
    return bytes;
}

// True when path holds something other than a file this program made.
bool holdsForeignFile(const std::string& path, std::size_t markAt, std::string_view mark)
{
    InFile file(path);
    if (!file.isOpen()) return false;
    std::string head(markAt + mark.size(), '\0');
    const std::size_t got = file.read(head.data(), head.size());
    return got < head.size() || head.compare(markAt, mark.size(), mark) != 0;
}

// Writes one file unless a foreign file is there. False after a message when
// it could not be written.
bool makeFile(const std::string& path, const Bytes& bytes, std::size_t markAt, std::string_view mark)
{
    if (holdsForeignFile(path, markAt, mark)) {
        std::printf("keeping %s\n", path.c_str());
        return true;
    }
    OutFile out;
    if (out.create(path)) out.write(bytes.data(), bytes.size());
    if (!out.close()) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), fileErrorText(out.errorNumber()).c_str());
        return false;
    }
    std::printf("made    %s (%zu bytes)\n", path.c_str(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || std::string_view(argv[1]).empty()) {
        std::fputs("Usage: romweld-demo-folder DIR\n"
                   "Makes stand-in shells, an extra file and small iNES ROMs (in DIR/roms/)\n"
                   "for the variants of examples/romweld.cfg.\n",
                   stderr);
        return 2;
    }
    std::string dir = argv[1];
    if (dir.back() != '/') dir += '/';
    std::error_code ec;
    fs::create_directories(dir + "roms", ec);
    if (ec) {
        std::fprintf(stderr, "%sroms: %s\n", dir.c_str(), ec.message().c_str());
        return 1;
    }

    bool ok = true;
    ok &= makeFile(dir + "kvl.gba",
                   standIn(128 * 1024, "put the Korvalinde shell kvl.gba here in place of this file", 1), 0,
                   STAND_IN_MARK);
    ok &= makeFile(dir + "kvl-extra.bin", standIn(1001, "the extra file of variant kvl-v02", 2), 0, STAND_IN_MARK);
    ok &= makeFile(dir + "pocketnes.gba",
                   standIn(64 * 1024, "put the PocketNES shell here in place of this file", 3), 0, STAND_IN_MARK);
    unsigned seed = 10;
    for (const DemoRom& rom : DEMO_ROMS) {
        ok &= makeFile(dir + "roms/" + rom.fileName, demoRom(rom, seed++), INES_HEADER_SIZE, DEMO_ROM_MARK);
    }
    return ok ? 0 : 1;
}
