// SPDX-License-Identifier: GPL-3.0-or-later
// The stand-in files the benchmarks make: ROM names and contents, and the
// program folder they are built with.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

// The folder a benchmark works in, ending in '/', with its roms/ folder
// made: the one given on the command line, or defaultName in the system's
// temporary folder. Empty (after a line saying why) when it can't be made.
inline std::string benchFolder(const char* given, const char* defaultName)
{
    namespace fs = std::filesystem;
    std::string dir = given != nullptr ? given : (fs::temp_directory_path() / defaultName).string();
    if (dir.back() != '/') dir += '/';
    std::error_code ec;
    fs::create_directories(dir + "roms", ec);
    if (ec) {
        std::fprintf(stderr, "%s: %s\n", dir.c_str(), ec.message().c_str());
        return {};
    }
    return dir;
}

// "game0042.nes".
inline std::string benchRomName(int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "game%04d.nes", i);
    return name;
}

// An iNES ROM of size bytes that depend on seed: noise, or, when
// compressible, runs of noise and of plain bytes in turn, which pack about as
// well as real ROMs do.
inline std::string benchRomBytes(std::size_t size, unsigned seed, bool compressible = false)
{
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1u;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(!compressible || (i / 64) % 2 == 0 ? state >> 16 : i / 512);
    }
    // No PRG or CHR count: the header promises no size, so the sizes the
    // benchmarks choose are no bad dumps or overdumps.
    const char header[8] = {'N', 'E', 'S', 0x1A, 0, 0, 0x10, 0x00};
    std::copy(std::begin(header), std::end(header), bytes.begin());
    return bytes;
}

// Writes bytes to path; false when that failed.
inline bool writeBenchFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

// The shell a benchmark's program folder holds.
constexpr std::size_t BENCH_SHELL_SIZE = 128 * 1024;

// A program folder with one Korvalinde variant and a stand-in shell.
inline bool writeBenchProgramFolder(const std::string& dir)
{
    return writeBenchFile(dir + "romweld.cfg", "[list]\nnum=1\nlist0=kvl-v02\n[kvl-v02]\nshell=kvl.gba\n") &&
           writeBenchFile(dir + "kvl.gba", std::string(BENCH_SHELL_SIZE, '\x5A'));
}
