// SPDX-License-Identifier: GPL-3.0-or-later
// The one place the bytes of an image's input files are read: a ROM, a shell
// or an extra file is opened once, its kind, size and identity are taken
// from the open file, and its bytes are read in order. Probing a ROM and
// copying it into an image both read through here. A ROM named
// ARCHIVE::MEMBER is read out of its archive, in chunks, never extracted.
#pragma once

#include "file_io.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class ArchiveMemberReader;
enum class ArchiveProblem;

// The error number a RomSource gives for an archive member that can't be
// read: the system's reason when its archive can't be opened (ENOENT for a
// missing one), ENOENT for a member the archive lacks, else
// ARCHIVE_MEMBER_UNREADABLE.
int archiveMemberErrorNumber(ArchiveProblem archiveProblem, int systemError);

class RomSource {
public:
    // Opens path for reading, as openRegularFile does. An archive member is
    // found in its archive; archives (when given) is the reader to find it
    // with, so that one reader serves the members of one archive in turn.
    explicit RomSource(const std::string& path, ArchiveMemberReader* archives = nullptr);
    ~RomSource();
    RomSource(const RomSource&) = delete;
    RomSource& operator=(const RomSource&) = delete;

    bool isOpen() const { return fd_ >= 0 || member_ != nullptr; }
    // Why the source is not open, or why a read failed; 0 when neither. A
    // missing archive or member is ENOENT; a member that can't be read for
    // a reason of its archive is ARCHIVE_MEMBER_UNREADABLE.
    int errorNumber() const { return errorNumber_; }
    // The same in words; for an archive member, its archive's own reason.
    std::string reason() const;
    // err in words: reason() when err is this source's own error, else
    // fileErrorText (a copy ends for reasons of its own, FILE_CHANGED).
    std::string reasonOf(int err) const;
    // The size of the open file as it was when opened; for an archive
    // member, the member's size.
    std::int64_t size() const { return facts_.size; }

    // Reads up to n bytes; fewer only at the end of the file or after a read
    // error (errorNumber() then tells it).
    std::size_t read(void* buffer, std::size_t n);
    // Before the first read: reads the first n bytes (at most 16, an iNES
    // header) into buffer, and read() gives them again. A writer can size a
    // record from the header before it copies the file.
    std::size_t peek(void* buffer, std::size_t n);
    // A regular file (not an archive member): its bytes may be handed to the
    // kernel to copy.
    bool isPlainFile() const { return member_ == nullptr && fd_ >= 0; }
    // The open regular file, whose bytes a copy may hand to the kernel; -1
    // for an archive member, and while bytes peeked ahead are still to be
    // read (the file's offset is past them).
    int fileDescriptor() const { return isPlainFile() && aheadAt_ >= aheadSize_ ? fd_ : -1; }

private:
    std::size_t readSource(void* buffer, std::size_t n);
    void openMember(const std::string& archive, const std::string& member, ArchiveMemberReader* archives);
    void memberFailed();
    int fd_ = -1;
    FileFacts facts_;
    int errorNumber_ = 0;
    std::unique_ptr<ArchiveMemberReader> ownReader_;
    ArchiveMemberReader* member_ = nullptr;  // the reader positioned at the member, while it reads
    std::string memberReason_;
    std::array<unsigned char, 16> ahead_{};  // what peek read, for read to give
    std::size_t aheadSize_ = 0;
    std::size_t aheadAt_ = 0;
};
