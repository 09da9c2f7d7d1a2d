// The one place the bytes of an image's input files are read: a ROM, a shell
// or an extra file is opened once, its kind, size and identity are taken
// from the open file, and its bytes are read in order. Probing a ROM and
// copying it into an image both read through here.
#pragma once

#include "file_io.h"

#include <cstddef>
#include <cstdint>
#include <string>

class RomSource {
public:
    // Opens path for reading. Anything but a regular file (a folder, FIFO,
    // device or socket) is refused and closed again without a byte read.
    explicit RomSource(const std::string& path);
    ~RomSource();
    RomSource(const RomSource&) = delete;
    RomSource& operator=(const RomSource&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // Why the source is not open, or why a read failed; 0 when neither.
    int errorNumber() const { return errorNumber_; }
    // The size, device and inode of the open file, as it was when opened.
    const FileFacts& facts() const { return facts_; }
    std::int64_t size() const { return facts_.size; }

    // Reads up to n bytes; fewer only at the end of the file or after a read
    // error (errorNumber() then tells it).
    std::size_t read(void* buffer, std::size_t n);

private:
    int fd_ = -1;
    FileFacts facts_;
    int errorNumber_ = 0;
};
