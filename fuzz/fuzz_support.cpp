// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz_support.h"

#include "file_io.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <vector>

// Set by the sanitizers when they are linked in: it prints on the stream
// their reports go to, which stays open when the fuzzer closes the error
// output to keep a run quiet.
extern "C" void __sanitizer_report_error_summary(const char* summary) __attribute__((weak));

std::uint8_t FuzzInput::byte()
{
    if (data_.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(data_.front());
    data_.remove_prefix(1);
    return b;
}

std::uint16_t FuzzInput::word()
{
    const std::uint8_t lo = byte();
    return static_cast<std::uint16_t>(lo | (byte() << 8));
}

std::uint32_t FuzzInput::dword()
{
    const std::uint16_t lo = word();
    return lo | (static_cast<std::uint32_t>(word()) << 16);
}

std::string FuzzInput::text()
{
    const std::size_t n = std::min<std::size_t>(byte(), data_.size());
    std::string t(data_.substr(0, n));
    data_.remove_prefix(n);
    return t;
}

std::string FuzzInput::rest()
{
    std::string r(data_);
    data_ = std::string_view();
    return r;
}

namespace {

struct ScratchDir {
    std::string path;
    ScratchDir()
    {
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        std::string pattern = (base / "romweld-fuzz-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (::mkdtemp(name.data()) == nullptr) fuzzCheckFailed("mkdtemp", __FILE__, __LINE__);
        path = std::string(name.data()) + "/";
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

const std::string& scratchDir()
{
    static const ScratchDir dir;
    return dir.path;
}

const std::string& inputDir()
{
    static const std::string dir = [] {
        const std::string path = scratchDir() + "in/";
        if (::mkdir(path.c_str(), 0700) != 0) fuzzCheckFailed("mkdir", __FILE__, __LINE__);
        return path;
    }();
    return dir;
}

void putFile(const std::string& path, std::string_view bytes)
{
    OutFile out;
    out.create(path);
    out.write(bytes.data(), bytes.size());
    if (!out.close()) fuzzCheckFailed(("writing " + path).c_str(), __FILE__, __LINE__);
}

std::string fileBytes(const std::string& path)
{
    InFile in(path);
    std::string bytes;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = in.read(buffer, sizeof buffer)) > 0) bytes.append(buffer, got);
    if (in.errorNumber() != 0) fuzzCheckFailed(("reading " + path).c_str(), __FILE__, __LINE__);
    return bytes;
}

bool fileExists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

void removeFile(const std::string& path)
{
    std::remove(path.c_str());
}

std::string fileNameFrom(std::string_view text)
{
    std::string name(text.substr(0, 200));
    for (char& c : name) {
        if (c == '/' || c == '\0') c = '_';
    }
    if (name.empty() || name == "." || name == "..") name += "_";
    return name;
}

std::string saveContents(std::size_t size, std::uint8_t mode, std::uint8_t seed)
{
    std::string data(size, '\0');
    std::uint32_t state = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < size; ++i) {
        switch (mode % 3) {
        case 0: data[i] = static_cast<char>(i % (seed + 1u) == 0 ? seed : 0); break;
        case 1: data[i] = static_cast<char>(i + seed); break;
        default:
            state = state * 1103515245u + 12345u;
            data[i] = static_cast<char>(state >> 24);
        }
    }
    return data;
}

void fuzzCheckFailed(const char* condition, const char* file, int line)
{
    const std::string message =
        std::string("romweld fuzz check failed: ") + file + ":" + std::to_string(line) + ": " + condition;
    std::fprintf(stderr, "%s\n", message.c_str());
    if (__sanitizer_report_error_summary != nullptr) __sanitizer_report_error_summary(message.c_str());
    std::abort();
}
