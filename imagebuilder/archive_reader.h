// SPDX-License-Identifier: GPL-3.0-or-later
// Reading ROMs out of .zip and .7z archives and .gz files, through
// libarchive. Members are streamed in chunks: nothing is written to disk,
// and a member is never held whole in memory. A member that claims, or turns
// out, to hold more than ARCHIVE_MEMBER_MAX bytes is refused, so an archive
// bomb can fill neither the memory nor the disk.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// No GBA cartridge holds more, so no ROM that could go into one is larger.
constexpr std::int64_t ARCHIVE_MEMBER_MAX = 32 * 1024 * 1024;

// The bytes of each member kept by a listing, enough for an iNES header.
constexpr std::size_t ARCHIVE_HEAD_SIZE = 16;

// Why an archive or a member of it can't be used (archiveProblemText words it).
enum class ArchiveProblem {
    None = 0,
    CantOpen = 1,   // missing, unreadable, or no regular file
    Damaged = 2,    // not an archive of its kind, or broken
    Encrypted = 3,  // needs a passphrase
    NoMember = 4,   // the archive holds no member of that name
    TooLarge = 5,   // more than ARCHIVE_MEMBER_MAX bytes
};

// One file inside an archive, as a listing saw it.
struct ArchiveMember {
    std::string name;        // UTF-8, as the archive names it ("USA/Zelda.nes")
    std::int64_t size = 0;   // bytes, counted while reading it whole
    std::array<unsigned char, ARCHIVE_HEAD_SIZE> head{};
    std::size_t headSize = 0;  // bytes of head that the member filled
    ArchiveProblem problem = ArchiveProblem::None;  // why the member can't be used
    std::string reason;        // the same in words, for a line naming the member
};

struct ArchiveListing {
    // The file members in archive order; folders are left out, and so is a
    // second member of a name already listed (the first is the one read).
    std::vector<ArchiveMember> members;
    ArchiveProblem problem = ArchiveProblem::None;  // the archive as a whole could not be read to its end
    std::string reason;
    int errorNumber = 0;  // for CantOpen: the system's reason
};

// An image holds at most this many bytes of ROMs: the most a reader keeps
// of members it passed on its way to another, to hand them out later
// without reading the archive again.
constexpr std::int64_t ARCHIVE_KEEP_MAX = 32 * 1024 * 1024;

// Reads every file member of the archive at path once, to its end: its size
// is the bytes it really holds, its damage is found, and its first bytes are
// kept. A .gz lists its one file (see gzipMemberName). Members read before
// the archive turned out damaged stay listed.
ArchiveListing listArchive(const std::string& path);

class ArchiveCursor;

// Streams one member of an archive. Moving on to a later member of the same
// archive continues from where the reader is, so reading the members of one
// archive in their order reads the archive once. Members announced with
// expect() are kept in memory (up to ARCHIVE_KEEP_MAX bytes in all) when
// the reader passes them on its way to another member, or leaves their
// archive for another one, so a build reads each archive once whatever the
// order of its list.
class ArchiveMemberReader {
public:
    ArchiveMemberReader();
    ~ArchiveMemberReader();
    ArchiveMemberReader(const ArchiveMemberReader&) = delete;
    ArchiveMemberReader& operator=(const ArchiveMemberReader&) = delete;

    // Announces that member of the archive at archivePath will be opened.
    void expect(const std::string& archivePath, std::string_view member);

    // What a listing of the archive (listArchive, made once per archive and
    // kept) saw of member: None with its size and first bytes in *found, or
    // why not (reason() and errorNumber() tell it). Probing many
    // members of one archive reads it once, in its order.
    ArchiveProblem peek(const std::string& archivePath, std::string_view member, const ArchiveMember** found);
    // The listing peek() looks in, made at the first call for the archive.
    const ArchiveListing& listingOf(const std::string& archivePath);

    // Finds member in the archive at archivePath and takes its size: the
    // size the archive records, or, when it records none (a .gz), the bytes
    // counted in a first pass. None, or why not (reason() tells it).
    ArchiveProblem open(const std::string& archivePath, std::string_view member);

    std::int64_t size() const { return size_; }

    // Reads up to n bytes of the member; fewer at its end. After a failure,
    // and once the member has passed ARCHIVE_MEMBER_MAX bytes, it gives 0
    // and problem() tells why.
    std::size_t read(void* buffer, std::size_t n);

    ArchiveProblem problem() const { return problem_; }
    const std::string& reason() const { return reason_; }
    // For CantOpen: the system's reason (ENOENT for a missing
    // archive, EISDIR, NOT_REGULAR_FILE); else 0.
    int errorNumber() const { return errorNumber_; }

private:
    ArchiveProblem fail(ArchiveProblem problem, std::string reason);
    ArchiveProblem findMember(std::string_view member, bool& claimsSize, std::int64_t& claimed);
    ArchiveProblem countMember(std::int64_t& bytes);
    bool isExpected(const std::string& name) const;
    void keepPassed(const std::string& name, bool claimsSize, std::int64_t claimed);
    void finishArchive();
    std::unique_ptr<ArchiveCursor> cursor_;
    std::string archivePath_;  // the archive the cursor reads
    std::string member_;
    std::unordered_set<std::string> passed_;  // members the cursor has gone by
    bool positioned_ = false;  // open() found member_: its data may be read
    std::int64_t size_ = 0;
    std::int64_t readSoFar_ = 0;
    ArchiveProblem problem_ = ArchiveProblem::None;
    std::string reason_;
    int errorNumber_ = 0;
    // Members announced and not yet opened, by archive path; and the bytes
    // of those kept, by archive path and member name.
    std::unordered_map<std::string, std::unordered_set<std::string>> expected_;
    std::unordered_map<std::string, std::unordered_map<std::string, std::vector<char>>> kept_;
    std::int64_t keptBytes_ = 0;
    // The member open() took from the kept ones, read from memory.
    std::vector<char> memory_;
    bool fromMemory_ = false;
    // Listings made for peek(), by archive path, with their members by name.
    struct Listed {
        ArchiveListing listing;
        std::unordered_map<std::string, std::size_t> byName;
    };
    const Listed& listed(const std::string& archivePath);
    std::unordered_map<std::string, Listed> listings_;
};
