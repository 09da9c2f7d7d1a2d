// A program folder for romweld-cli tests: a configuration with a Korvalinde
// and a PocketNES variant, their shells, an extra file and a few files to
// use as ROMs.
#pragma once

#include "test_files.h"

#include <initializer_list>
#include <string>
#include <sys/stat.h>

struct CliFolder {
    TempDir dir;
    Bytes shell = patternBytes(1001, 21);  // not a multiple of 4
    Bytes pocketShell = patternBytes(64, 22);
    Bytes font = patternBytes(5, 23);
    Bytes alpha = makeInesRom(24593, 0x12, 0x44, 24);  // mapper 65, battery, damaged byte 7
    Bytes beta = makeInesRom(40, 0x40, 0x00, 25);      // mapper 4

    CliFolder()
    {
        writeText(dir.file("romweld.cfg"),
                  "[list]\r\nnum=2\r\nlist0=kvl-v02\r\nlist1=pn\r\n"
                  "[kvl-v02]\r\nshell=kvl.gba\r\nfile0=font.bin,Font,bin\r\n"
                  "[pn]\r\ntype=PNES\r\nshell=pn.gba\r\n");
        writeBytes(dir.file("kvl.gba"), shell);
        writeBytes(dir.file("pn.gba"), pocketShell);
        writeBytes(dir.file("font.bin"), font);
        ::mkdir(dir.file("roms").c_str(), 0755);
        writeBytes(rom("alpha.nes"), alpha);
        writeBytes(rom("beta.nes"), beta);
        writeText(rom("readme.txt"), "not a ROM\n");
    }
    std::string path() const { return dir.path(); }
    std::string rom(const std::string& name) const { return dir.file("roms/" + name); }
    std::string out() const { return dir.file("out.gba"); }
};

inline Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes le32(std::uint32_t v)
{
    return Bytes{static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                 static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
}

// A field of width bytes holding s, zero-filled.
inline Bytes field(const std::string& s, std::size_t width)
{
    Bytes b(s.begin(), s.end());
    b.resize(width, 0);
    return b;
}

inline Bytes zeros(std::size_t n)
{
    return Bytes(n, 0);
}

inline bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

const Bytes FILE_MAGIC = {0x70, 0x41, 0x17, 0x04};
const Bytes END_RECORD = join({{0x17, 0x04, 0x70, 0x41}, zeros(40)});
