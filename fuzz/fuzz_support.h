// SPDX-License-Identifier: GPL-3.0-or-later
// What the fuzz targets share: the input read as a row of fields, a scratch
// folder for the cores that take paths, and a check that stops the run, so
// that a broken promise is reported like a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Reads fields from the front of a fuzz input. Past the end every field is
// zero or empty, so any input is a complete one.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : data_(reinterpret_cast<const char*>(data), size)
    {
    }
    std::uint8_t byte();
    std::uint16_t word();  // little-endian
    std::uint32_t dword(); // little-endian
    // A length byte, then that many bytes (fewer at the end).
    std::string text();
    // Everything not read yet.
    std::string rest();

private:
    std::string_view data_;
};

// A folder of this process's own, made at first use and removed at exit;
// the path ends in '/'. It lies in TMPDIR when that is set.
const std::string& scratchDir();
// A folder inside it for input files named by the fuzzer, so that their
// names never meet the targets' own files.
const std::string& inputDir();

// Whole-file helpers for the scratch folder. A failure stops the run: the
// target could not test what it meant to.
void putFile(const std::string& path, std::string_view bytes);
std::string fileBytes(const std::string& path);
bool fileExists(const std::string& path);
void removeFile(const std::string& path);

// The text as a file name: no '/' and no NUL, at most 200 bytes, never
// empty, "." or "..".
std::string fileNameFrom(std::string_view text);

// Save contents of the given size made from a mode and a seed: runs of one
// byte, a counter, or bytes that do not compress.
std::string saveContents(std::size_t size, std::uint8_t mode, std::uint8_t seed);

[[noreturn]] void fuzzCheckFailed(const char* condition, const char* file, int line);

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : fuzzCheckFailed(#condition, __FILE__, __LINE__))
