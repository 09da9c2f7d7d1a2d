#include "rom_source.h"

#include "archive_path.h"
#include "archive_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int lastError()
{
    return errno != 0 ? errno : EIO;
}

}  // namespace

int openRegularFile(const std::string& path, FileFacts& facts)
{
    facts = FileFacts{};
    // No terminal becomes ours by being named. The kind is taken from the
    // open file itself, so nothing can be swapped in between a look and the
    // open. O_NONBLOCK stays set: it has no effect on the reads of a regular
    // file, and nothing else is ever read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        facts.problem = lastError();
        return -1;
    }
    struct stat st {};
    int problem = 0;
    if (::fstat(fd, &st) != 0) {
        problem = lastError();
    } else if (S_ISDIR(st.st_mode)) {
        problem = EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
        problem = NOT_REGULAR_FILE;
    }
    facts.exists = true;
    facts.problem = problem;
    if (problem != 0) {
        ::close(fd);
        return -1;
    }
    facts.size = static_cast<std::int64_t>(st.st_size);
    facts.device = static_cast<std::uint64_t>(st.st_dev);
    facts.inode = static_cast<std::uint64_t>(st.st_ino);
    return fd;
}

RomSource::RomSource(const std::string& path, ArchiveMemberReader* archives)
{
    std::string archive;
    std::string member;
    if (splitArchiveEntry(path, archive, member)) {
        openMember(archive, member, archives);
        return;
    }
    fd_ = openRegularFile(path, facts_);
    errorNumber_ = facts_.problem;
}

void RomSource::openMember(const std::string& archive, const std::string& member, ArchiveMemberReader* archives)
{
    // The archive's identity stands for the member's: an image written over
    // the archive would destroy the member.
    facts_ = fileFactsOf(archive);
    if (facts_.problem != 0) {
        errorNumber_ = facts_.problem;
        return;
    }
    if (archives == nullptr) {
        ownReader_ = std::make_unique<ArchiveMemberReader>();
        archives = ownReader_.get();
    }
    if (archives->open(archive, member) != ARCHIVE_OK) {
        member_ = archives;
        memberFailed();
        return;
    }
    member_ = archives;
    facts_.size = archives->size();
}

void RomSource::memberFailed()
{
    const int problem = member_->problem();
    if (problem == ARCHIVE_CANT_OPEN) {
        errorNumber_ = member_->errorNumber();
    } else if (problem == ARCHIVE_NO_MEMBER) {
        // Like a file that is gone: the member is not there to read.
        errorNumber_ = ENOENT;
    } else {
        errorNumber_ = ARCHIVE_MEMBER_UNREADABLE;
    }
    memberReason_ = member_->reason();
    facts_.problem = errorNumber_;
    member_ = nullptr;
}

std::string RomSource::reason() const
{
    return memberReason_.empty() ? fileErrorText(errorNumber_) : memberReason_;
}

std::string RomSource::reasonOf(int err) const
{
    return err == errorNumber_ ? reason() : fileErrorText(err);
}

RomSource::~RomSource()
{
    if (fd_ >= 0) ::close(fd_);
}

std::size_t RomSource::read(void* buffer, std::size_t n)
{
    if (member_ != nullptr) {
        const std::size_t got = member_->read(buffer, n);
        if (member_->problem() != ARCHIVE_OK) memberFailed();
        return got;
    }
    if (fd_ < 0) return 0;
    auto* at = static_cast<char*>(buffer);
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd_, at + got, n - got);
        if (r < 0) {
            if (errno == EINTR) continue;
            if (errorNumber_ == 0) errorNumber_ = lastError();
            break;
        }
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    return got;
}
