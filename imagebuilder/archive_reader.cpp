// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive_reader.h"

#include "archive_path.h"
#include "file_io.h"
#include "image_messages.h"
#include "text_encoding.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <locale.h>
#include <unistd.h>
#include <unordered_set>
#include <utility>

namespace {

// libarchive's reads from the archive file; also the chunk a listing reads.
constexpr std::size_t ARCHIVE_BLOCK_SIZE = 64 * 1024;

// libarchive hands member names over in the character set of the thread's
// locale, and gives none at all for a UTF-8 name under the "C" locale that
// romweld-cli runs in. Names are UTF-8 everywhere in these tools, so every
// call into libarchive runs under a UTF-8 locale, whatever the process's.
locale_t utf8Locale()
{
    static const locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

class Utf8Names {
public:
    Utf8Names() : previous_(utf8Locale() != nullptr ? ::uselocale(utf8Locale()) : nullptr) {}
    ~Utf8Names()
    {
        if (previous_ != nullptr) ::uselocale(previous_);
    }
    Utf8Names(const Utf8Names&) = delete;
    Utf8Names& operator=(const Utf8Names&) = delete;

private:
    locale_t previous_;
};

struct ArchiveFree {
    void operator()(archive* a) const { archive_read_free(a); }
};

// The archive library's words for its failure, else those for a damaged archive.
std::string libarchiveText(archive* a)
{
    const char* text = archive_error_string(a);
    return text != nullptr && *text != '\0' ? std::string(text) : archiveProblemText(ArchiveProblem::Damaged);
}

}  // namespace

// What a member's header tells.
struct MemberHeader {
    std::string name;
    bool regular = false;
    bool encrypted = false;
    bool claimsSize = false;
    std::int64_t claimed = 0;
};

// One pass over an open archive: its members' headers in order and the data
// of the member at hand.
class ArchiveCursor {
public:
    ~ArchiveCursor() { close(); }

    ArchiveProblem open(const std::string& path)
    {
        close();
        gzip_ = isGzipPath(path);
        gzipName_ = gzip_ ? gzipMemberName(path) : std::string();
        // Taken only as a regular file, so a FIFO named like an archive
        // can't make the reader hang.
        FileFacts facts;
        fd_ = openRegularFile(path, facts);
        if (fd_ < 0) {
            errorNumber_ = facts.problem;
            return fail(ArchiveProblem::CantOpen, fileErrorText(facts.problem));
        }

        Utf8Names names;
        archive_.reset(archive_read_new());
        if (!archive_) {
            errorNumber_ = ENOMEM;
            return fail(ArchiveProblem::CantOpen, fileErrorText(ENOMEM));
        }
        if (gzip_) {
            // A .gz is one compressed file: libarchive's "raw" format is that file.
            archive_read_support_filter_gzip(archive_.get());
            archive_read_support_format_raw(archive_.get());
        } else {
            archive_read_support_format_zip(archive_.get());
            archive_read_support_format_7zip(archive_.get());
        }
        if (archive_read_open_fd(archive_.get(), fd_, ARCHIVE_BLOCK_SIZE) != ARCHIVE_OK) {
            return fail(ArchiveProblem::Damaged, libarchiveText(archive_.get()));
        }
        // The raw format takes any bytes at all; without the gzip filter in
        // front they are no .gz.
        if (gzip_ && archive_filter_code(archive_.get(), 0) != ARCHIVE_FILTER_GZIP) {
            return fail(ArchiveProblem::Damaged, notGzipText());
        }
        return ArchiveProblem::None;
    }

    // 1 with the next member's header, 0 at the end of the archive, -1 when
    // the archive can't be read on (problem() and reason() tell why).
    int next(MemberHeader& header)
    {
        if (!archive_ || problem_ != ArchiveProblem::None) return -1;
        Utf8Names names;
        drainMember();
        archive_entry* entry = nullptr;
        const int r = archive_read_next_header(archive_.get(), &entry);
        if (r == ARCHIVE_EOF) return 0;
        if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
            fail(ArchiveProblem::Damaged, libarchiveText(archive_.get()));
            return -1;
        }
        header.name = gzip_ ? gzipName_ : nameOf(entry);
        header.regular = archive_entry_filetype(entry) == AE_IFREG;
        header.encrypted = archive_entry_is_encrypted(entry) != 0;
        header.claimsSize = !gzip_ && archive_entry_size_is_set(entry) != 0;
        header.claimed = header.claimsSize ? archive_entry_size(entry) : 0;
        // Whatever of this member is not read is read through before the
        // next one, as a listing reads it, so that a damaged archive is
        // taken apart the same way whoever reads it. A member of a solid
        // 7z is read through however large it is (see drainMember); one
        // of a zip only while it claims no more than any member may hold.
        drainable_ = !header.encrypted && (archive_format(archive_.get()) == ARCHIVE_FORMAT_7ZIP ||
                                           !header.claimsSize || header.claimed <= ARCHIVE_MEMBER_MAX);
        return 1;
    }

    // Bytes of the member at hand: up to n, 0 at its end, -1 on damage
    // (reason() tells it; the archive may still go on to its next member).
    long read(void* buffer, std::size_t n, std::string& reason)
    {
        Utf8Names names;
        const la_ssize_t got = archive_read_data(archive_.get(), buffer, n);
        if (got == 0) drainable_ = false;
        if (got >= 0) return static_cast<long>(got);
        drainable_ = false;
        reason = libarchiveText(archive_.get());
        return -1;
    }

    ArchiveProblem problem() const { return problem_; }
    const std::string& reason() const { return reason_; }
    int errorNumber() const { return errorNumber_; }

private:
    // Names are UTF-8 when the archive says so; an old zip made on a
    // Japanese Windows system holds CP932 bytes without saying so.
    static std::string nameOf(archive_entry* entry)
    {
        const char* name = archive_entry_pathname(entry);
        if (name == nullptr) name = archive_entry_pathname_utf8(entry);
        return name != nullptr ? decodeLegacyText(name) : std::string();
    }

    ArchiveProblem fail(ArchiveProblem problem, std::string reason)
    {
        problem_ = problem;
        reason_ = std::move(reason);
        return problem;
    }

    // Reads the rest of the member at hand, keeping nothing. libarchive 3.6
    // skips the rest of a member of a solid 7z block wrongly now and then
    // ("Truncated 7-Zip file body" at the next member, after eight skipped
    // members of 40 KiB, or after one member over 32 MiB); read through, it
    // never fails, so such a member is read through to its end however
    // large it is: its bytes are decompressed either way. Any other member
    // is read through up to one byte past the limit, and libarchive skips
    // what is left of a larger one.
    void drainMember()
    {
        if (!drainable_) return;
        drainable_ = false;
        const bool solid = archive_format(archive_.get()) == ARCHIVE_FORMAT_7ZIP;
        if (drain_.empty()) drain_.resize(ARCHIVE_BLOCK_SIZE);
        std::int64_t left = ARCHIVE_MEMBER_MAX + 1;
        while (solid || left > 0) {
            const la_ssize_t got = archive_read_data(archive_.get(), drain_.data(), drain_.size());
            if (got <= 0) return;
            left -= got;
        }
    }

    void close()
    {
        archive_.reset();
        drainable_ = false;
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        problem_ = ArchiveProblem::None;
        reason_.clear();
        errorNumber_ = 0;
    }

    std::unique_ptr<archive, ArchiveFree> archive_;
    int fd_ = -1;
    bool gzip_ = false;
    std::string gzipName_;
    ArchiveProblem problem_ = ArchiveProblem::None;
    std::string reason_;
    int errorNumber_ = 0;  // why the file could not be opened
    bool drainable_ = false;  // the member at hand may have data left to drain
    std::vector<char> drain_;
};

namespace {

// A member name a list file can't hold on one line, or no name at all.
bool isListableName(const std::string& name)
{
    return !name.empty() && name.find_first_of("\r\n") == std::string::npos;
}

// Reads the member at hand to its end through buffer, counting its bytes
// in total and handing each part to take(offset, bytes); stops one byte past
// ARCHIVE_MEMBER_MAX. None, Damaged (reason tells why) or TooLarge.
template <typename Take>
ArchiveProblem readThrough(ArchiveCursor& cursor, std::vector<char>& buffer, std::int64_t& total, std::string& reason,
                           Take take)
{
    total = 0;
    for (;;) {
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(buffer.size()), ARCHIVE_MEMBER_MAX + 1 - total));
        const long got = cursor.read(buffer.data(), want, reason);
        if (got < 0) return ArchiveProblem::Damaged;
        if (got == 0) return ArchiveProblem::None;
        take(total, static_cast<std::size_t>(got));
        total += got;
        if (total > ARCHIVE_MEMBER_MAX) return ArchiveProblem::TooLarge;
    }
}

// Reads the member at hand to its end, keeping its first bytes: its size
// and any damage.
void readWhole(ArchiveCursor& cursor, ArchiveMember& member, std::vector<char>& buffer)
{
    std::int64_t total = 0;
    member.problem = readThrough(cursor, buffer, total, member.reason, [&](std::int64_t at, std::size_t got) {
        if (at >= static_cast<std::int64_t>(ARCHIVE_HEAD_SIZE)) return;
        const std::size_t take = std::min(ARCHIVE_HEAD_SIZE - static_cast<std::size_t>(at), got);
        std::memcpy(member.head.data() + at, buffer.data(), take);
        member.headSize = static_cast<std::size_t>(at) + take;
    });
    if (member.problem == ArchiveProblem::TooLarge) member.reason = archiveProblemText(ArchiveProblem::TooLarge);
    if (member.problem == ArchiveProblem::None) member.size = total;
}

}  // namespace

ArchiveListing listArchive(const std::string& path)
{
    ArchiveListing listing;
    ArchiveCursor cursor;
    if (cursor.open(path) != ArchiveProblem::None) {
        listing.problem = cursor.problem();
        listing.reason = cursor.reason();
        listing.errorNumber = cursor.errorNumber();
        return listing;
    }
    std::unordered_set<std::string> seen;
    std::vector<char> buffer(ARCHIVE_BLOCK_SIZE);
    MemberHeader header;
    int r = 0;
    while ((r = cursor.next(header)) == 1) {
        if (!header.regular || !seen.insert(header.name).second) continue;
        ArchiveMember member;
        member.name = header.name;
        if (!isListableName(member.name)) {
            member.problem = ArchiveProblem::Damaged;
            member.reason = badMemberNameText();
        } else if (header.encrypted) {
            member.problem = ArchiveProblem::Encrypted;
            member.reason = archiveProblemText(ArchiveProblem::Encrypted);
        } else if (header.claimsSize && header.claimed > ARCHIVE_MEMBER_MAX) {
            // Refused on its word: not a byte of it is inflated.
            member.problem = ArchiveProblem::TooLarge;
            member.reason = archiveProblemText(ArchiveProblem::TooLarge);
        } else {
            readWhole(cursor, member, buffer);
        }
        listing.members.push_back(std::move(member));
    }
    if (r < 0) {
        listing.problem = cursor.problem();
        listing.reason = cursor.reason();
    }
    return listing;
}

ArchiveMemberReader::ArchiveMemberReader() = default;
ArchiveMemberReader::~ArchiveMemberReader() = default;

ArchiveProblem ArchiveMemberReader::fail(ArchiveProblem problem, std::string reason)
{
    errorNumber_ = problem == ArchiveProblem::CantOpen && cursor_ ? cursor_->errorNumber() : 0;
    problem_ = problem;
    reason_ = std::move(reason);
    positioned_ = false;
    return problem;
}

void ArchiveMemberReader::expect(const std::string& archivePath, std::string_view member)
{
    expected_[archivePath].insert(std::string(member));
}

bool ArchiveMemberReader::isExpected(const std::string& name) const
{
    const auto it = expected_.find(archivePath_);
    return it != expected_.end() && it->second.count(name) != 0;
}

// The member the cursor stands at is one announced: its bytes are kept while
// they fit what may be kept. A member that does not fit, or turns out
// damaged, is not kept: opening it later reads the archive again and finds
// the same.
void ArchiveMemberReader::keepPassed(const std::string& name, bool claimsSize, std::int64_t claimed)
{
    auto& keptHere = kept_[archivePath_];
    if (keptHere.count(name) != 0) return;
    const std::int64_t room = std::min(ARCHIVE_KEEP_MAX - keptBytes_, ARCHIVE_MEMBER_MAX);
    if (room <= 0 || (claimsSize && claimed > room)) return;
    std::vector<char> bytes;
    std::vector<char> buffer(ARCHIVE_BLOCK_SIZE);
    std::int64_t total = 0;
    std::string reason;
    for (;;) {
        const long got = cursor_->read(buffer.data(), buffer.size(), reason);
        if (got < 0) return;
        if (got == 0) break;
        total += got;
        if (total > room) return;
        bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + got);
    }
    keptBytes_ += total;
    keptHere.emplace(name, std::move(bytes));
}

// Before the reader leaves its archive for another one: the announced
// members still ahead are read and kept, so that the archive is read once.
void ArchiveMemberReader::finishArchive()
{
    const auto wanted = expected_.find(archivePath_);
    if (!cursor_ || cursor_->problem() != ArchiveProblem::None || wanted == expected_.end()) return;
    std::size_t ahead = 0;
    for (const std::string& name : wanted->second) ahead += passed_.count(name) == 0 ? 1 : 0;
    MemberHeader header;
    while (ahead > 0 && cursor_->next(header) == 1) {
        if (!header.regular || !passed_.insert(header.name).second) continue;
        if (wanted->second.count(header.name) == 0) continue;
        --ahead;
        if (!header.encrypted) keepPassed(header.name, header.claimsSize, header.claimed);
    }
}

// Walks on to member: onwards from where the cursor stands when it reads
// this archive already (the members of one archive are mostly read in their
// order), and from the start when that walk fails or reaches the end, or
// when the member was passed already: the first member of a name is the one
// read, as in a listing. Announced members passed on the way are kept.
ArchiveProblem ArchiveMemberReader::findMember(std::string_view member, bool& claimsSize, std::int64_t& claimed)
{
    positioned_ = false;
    bool fresh = false;
    const auto reopen = [&]() {
        if (!cursor_) cursor_ = std::make_unique<ArchiveCursor>();
        fresh = true;
        passed_.clear();
        return cursor_->open(archivePath_) == ArchiveProblem::None;
    };
    const bool passed = passed_.count(std::string(member)) != 0;
    if ((!cursor_ || cursor_->problem() != ArchiveProblem::None || passed) && !reopen()) {
        return fail(cursor_->problem(), cursor_->reason());
    }
    for (;;) {
        MemberHeader header;
        const int r = cursor_->next(header);
        if (r <= 0) {
            if (fresh) {
                return r < 0 ? fail(cursor_->problem(), cursor_->reason())
                             : fail(ArchiveProblem::NoMember, archiveProblemText(ArchiveProblem::NoMember));
            }
            if (!reopen()) return fail(cursor_->problem(), cursor_->reason());
            continue;
        }
        if (!header.regular) continue;
        const bool first = passed_.insert(header.name).second;
        if (header.name != member) {
            if (first && !header.encrypted && isExpected(header.name)) {
                keepPassed(header.name, header.claimsSize, header.claimed);
            }
            continue;
        }
        if (header.encrypted) return fail(ArchiveProblem::Encrypted, archiveProblemText(ArchiveProblem::Encrypted));
        if (header.claimsSize && header.claimed > ARCHIVE_MEMBER_MAX) return fail(ArchiveProblem::TooLarge, archiveProblemText(ArchiveProblem::TooLarge));
        claimsSize = header.claimsSize;
        claimed = header.claimed;
        positioned_ = true;
        return ArchiveProblem::None;
    }
}

// Counts the bytes of the member the cursor stands at, up to one past the limit.
ArchiveProblem ArchiveMemberReader::countMember(std::int64_t& bytes)
{
    std::vector<char> buffer(ARCHIVE_BLOCK_SIZE);
    std::string reason;
    const ArchiveProblem problem = readThrough(*cursor_, buffer, bytes, reason, [](std::int64_t, std::size_t) {});
    if (problem == ArchiveProblem::Damaged) return fail(ArchiveProblem::Damaged, reason);
    if (problem == ArchiveProblem::TooLarge) return fail(ArchiveProblem::TooLarge, archiveProblemText(ArchiveProblem::TooLarge));
    return ArchiveProblem::None;
}

ArchiveProblem ArchiveMemberReader::open(const std::string& archivePath, std::string_view member)
{
    member_ = std::string(member);
    problem_ = ArchiveProblem::None;
    reason_.clear();
    errorNumber_ = 0;
    size_ = 0;
    readSoFar_ = 0;
    positioned_ = false;
    fromMemory_ = false;
    memory_.clear();
    memory_.shrink_to_fit();

    const auto wanted = expected_.find(archivePath);
    if (wanted != expected_.end()) wanted->second.erase(member_);
    // A member kept on the way to another is read from memory.
    const auto keptHere = kept_.find(archivePath);
    if (keptHere != kept_.end()) {
        const auto kept = keptHere->second.find(member_);
        if (kept != keptHere->second.end()) {
            memory_ = std::move(kept->second);
            keptHere->second.erase(kept);
            keptBytes_ -= static_cast<std::int64_t>(memory_.size());
            size_ = static_cast<std::int64_t>(memory_.size());
            fromMemory_ = true;
            positioned_ = true;
            return ArchiveProblem::None;
        }
    }
    if (archivePath != archivePath_) {
        finishArchive();
        cursor_.reset();
        passed_.clear();
    }
    archivePath_ = archivePath;

    bool claimsSize = false;
    std::int64_t claimed = 0;
    if (findMember(member_, claimsSize, claimed) != ArchiveProblem::None) return problem_;
    if (claimsSize) {
        size_ = claimed;
        return ArchiveProblem::None;
    }
    // Nothing tells the size ahead of the data: count it, then come back.
    std::int64_t counted = 0;
    if (countMember(counted) != ArchiveProblem::None) return problem_;
    if (findMember(member_, claimsSize, claimed) != ArchiveProblem::None) return problem_;
    size_ = counted;
    return ArchiveProblem::None;
}

const ArchiveMemberReader::Listed& ArchiveMemberReader::listed(const std::string& archivePath)
{
    auto it = listings_.find(archivePath);
    if (it == listings_.end()) {
        Listed made;
        made.listing = listArchive(archivePath);
        for (std::size_t i = 0; i < made.listing.members.size(); ++i) {
            made.byName.emplace(made.listing.members[i].name, i);
        }
        it = listings_.emplace(archivePath, std::move(made)).first;
    }
    return it->second;
}

const ArchiveListing& ArchiveMemberReader::listingOf(const std::string& archivePath)
{
    return listed(archivePath).listing;
}

ArchiveProblem ArchiveMemberReader::peek(const std::string& archivePath, std::string_view member, const ArchiveMember** found)
{
    problem_ = ArchiveProblem::None;
    reason_.clear();
    errorNumber_ = 0;
    *found = nullptr;
    const Listed& listed = this->listed(archivePath);
    const auto at = listed.byName.find(std::string(member));
    if (at == listed.byName.end()) {
        // A member after the point where the archive broke can't be told
        // from one that is not there: the archive's own problem is told.
        if (listed.listing.problem == ArchiveProblem::None) {
            return fail(ArchiveProblem::NoMember, archiveProblemText(ArchiveProblem::NoMember));
        }
        problem_ = listed.listing.problem;
        reason_ = listed.listing.reason;
        errorNumber_ = listed.listing.errorNumber;
        return problem_;
    }
    const ArchiveMember& entry = listed.listing.members[at->second];
    if (entry.problem != ArchiveProblem::None) return fail(entry.problem, entry.reason);
    *found = &entry;
    return ArchiveProblem::None;
}

std::size_t ArchiveMemberReader::read(void* buffer, std::size_t n)
{
    if (!positioned_ || problem_ != ArchiveProblem::None || n == 0) return 0;
    if (fromMemory_) {
        const std::size_t left = memory_.size() - static_cast<std::size_t>(readSoFar_);
        const std::size_t got = std::min(n, left);
        // An empty member kept has no bytes at all to copy from.
        if (got == 0) return 0;
        std::memcpy(buffer, memory_.data() + readSoFar_, got);
        readSoFar_ += static_cast<std::int64_t>(got);
        return got;
    }
    // One byte past the limit is enough to know the member is too large.
    const std::int64_t room = ARCHIVE_MEMBER_MAX + 1 - readSoFar_;
    auto* at = static_cast<char*>(buffer);
    std::size_t got = 0;
    while (got < n && static_cast<std::int64_t>(got) < room) {
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(n - got), room - static_cast<std::int64_t>(got)));
        std::string reason;
        const long r = cursor_->read(at + got, want, reason);
        if (r < 0) {
            fail(ArchiveProblem::Damaged, reason);
            return 0;
        }
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    readSoFar_ += static_cast<std::int64_t>(got);
    if (readSoFar_ > ARCHIVE_MEMBER_MAX) {
        fail(ArchiveProblem::TooLarge, archiveProblemText(ArchiveProblem::TooLarge));
        return 0;
    }
    return got;
}
