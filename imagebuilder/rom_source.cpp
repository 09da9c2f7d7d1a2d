// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom_source.h"

#include "archive_path.h"
#include "archive_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

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
    if (archives->open(archive, member) != ArchiveProblem::None) {
        member_ = archives;
        memberFailed();
        return;
    }
    member_ = archives;
    facts_.size = archives->size();
}

int archiveMemberErrorNumber(ArchiveProblem archiveProblem, int systemError)
{
    if (archiveProblem == ArchiveProblem::CantOpen) return systemError;
    // Like a file that is gone: the member is not there to read.
    if (archiveProblem == ArchiveProblem::NoMember) return ENOENT;
    return ARCHIVE_MEMBER_UNREADABLE;
}

void RomSource::memberFailed()
{
    errorNumber_ = archiveMemberErrorNumber(member_->problem(), member_->errorNumber());
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

std::size_t RomSource::peek(void* buffer, std::size_t n)
{
    aheadSize_ = readSource(ahead_.data(), std::min(n, ahead_.size()));
    aheadAt_ = 0;
    std::memcpy(buffer, ahead_.data(), aheadSize_);
    return aheadSize_;
}

std::size_t RomSource::read(void* buffer, std::size_t n)
{
    auto* at = static_cast<unsigned char*>(buffer);
    std::size_t given = 0;
    if (aheadAt_ < aheadSize_) {
        given = std::min(n, aheadSize_ - aheadAt_);
        std::memcpy(at, ahead_.data() + aheadAt_, given);
        aheadAt_ += given;
        if (given == n) return given;
    }
    return given + readSource(at + given, n - given);
}

std::size_t RomSource::readSource(void* buffer, std::size_t n)
{
    if (member_ != nullptr) {
        const std::size_t got = member_->read(buffer, n);
        if (member_->problem() != ArchiveProblem::None) memberFailed();
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
