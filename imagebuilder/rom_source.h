// The one place the bytes of an image's input files are read: a ROM, a shell
// or an extra file is opened once, its kind, size and identity are taken
// from the open file, and its bytes are read in order. Probing a ROM and
// copying it into an image both read through here. A ROM named
// ARCHIVE::MEMBER is read out of its archive, in chunks, never extracted.
#pragma once

#include "file_io.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class ArchiveMemberReader;

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
    // The open regular file, whose bytes a copy may hand to the kernel; -1
    // for an archive member.
    int fileDescriptor() const { return member_ != nullptr ? -1 : fd_; }

private:
    void openMember(const std::string& archive, const std::string& member, ArchiveMemberReader* archives);
    void memberFailed();
    int fd_ = -1;
    FileFacts facts_;
    int errorNumber_ = 0;
    std::unique_ptr<ArchiveMemberReader> ownReader_;
    ArchiveMemberReader* member_ = nullptr;  // the reader positioned at the member, while it reads
    std::string memberReason_;
};
