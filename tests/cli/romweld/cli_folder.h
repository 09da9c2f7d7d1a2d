// SPDX-License-Identifier: GPL-3.0-or-later
// A program folder for romweld-cli tests: a configuration with a Korvalinde
// and a PocketNES variant, their shells, an extra file and a few files to
// use as ROMs; and romweld-cli itself, run as a separate process.
#pragma once

#include "image_records.h"
#include "run_program.h"

#include <string>
#include <vector>
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

    // romweld-cli started on this folder with a command and its arguments.
    ProgramRun run(const std::string& command, std::vector<std::string> args = {}) const
    {
        args.insert(args.begin(), {"--dir", path(), command});
        return runProgram(ROMWELD_CLI_PATH, args);
    }
};

using CliRun = ProgramRun;

// romweld-cli started as a separate process.
inline CliRun runCli(const std::vector<std::string>& args)
{
    return runProgram(ROMWELD_CLI_PATH, args);
}

inline bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

