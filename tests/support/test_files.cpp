// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "romweld-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Tests may leave read-only folders behind; make them writable first.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it); it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

void writeBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

void writeText(const std::string& path, const std::string& text)
{
    writeBytes(path, Bytes(text.begin(), text.end()));
}

Bytes readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string readText(const std::string& path)
{
    const Bytes b = readBytes(path);
    return std::string(b.begin(), b.end());
}

bool fileExists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

bool isLink(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::int64_t sizeOf(const std::string& path)
{
    std::error_code ec;
    const auto n = fs::file_size(path, ec);
    return ec ? -1 : static_cast<std::int64_t>(n);
}

Bytes patternBytes(std::size_t size, unsigned seed)
{
    Bytes bytes(size);
    unsigned state = seed * 2654435761u + 12345u;
    for (auto& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<unsigned char>(state >> 16);
    }
    return bytes;
}

Bytes makePromisingRom(unsigned char prgBanks, unsigned char chrBanks, long difference, unsigned char byte6,
                       unsigned seed)
{
    const long promised = 16 + ((byte6 & 0x04) != 0 ? 512 : 0) + prgBanks * 16384L + chrBanks * 8192L;
    Bytes rom = makeInesRom(static_cast<std::size_t>(promised + difference), byte6, 0, seed);
    rom[4] = prgBanks;
    rom[5] = chrBanks;
    return rom;
}

Bytes makeInesRom(std::size_t size, unsigned char byte6, unsigned char byte7, unsigned seed)
{
    Bytes rom = patternBytes(size < 16 ? 16 : size, seed);
    rom[0] = 'N';
    rom[1] = 'E';
    rom[2] = 'S';
    rom[3] = 0x1A;
    rom[4] = 0;
    rom[5] = 0;
    rom[6] = byte6;
    rom[7] = byte7;
    for (std::size_t i = 8; i < 16; ++i) rom[i] = 0;
    return rom;
}
