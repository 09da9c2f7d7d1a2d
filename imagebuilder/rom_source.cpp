#include "rom_source.h"

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

RomSource::RomSource(const std::string& path)
{
    // Opened without waiting, so a FIFO given for a ROM can't make the open
    // hang; no terminal becomes ours by being named. The kind is then taken
    // from the open file itself, so nothing can be swapped in between a look
    // and the open. O_NONBLOCK stays set: it has no effect on the reads of a
    // regular file, and nothing else is ever read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        errorNumber_ = lastError();
        facts_.problem = errorNumber_;
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        errorNumber_ = lastError();
    } else if (S_ISDIR(st.st_mode)) {
        errorNumber_ = EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
        errorNumber_ = NOT_REGULAR_FILE;
    }
    facts_.exists = true;
    facts_.problem = errorNumber_;
    if (errorNumber_ != 0) {
        ::close(fd);
        return;
    }
    facts_.size = static_cast<std::int64_t>(st.st_size);
    facts_.device = static_cast<std::uint64_t>(st.st_dev);
    facts_.inode = static_cast<std::uint64_t>(st.st_ino);
    fd_ = fd;
}

RomSource::~RomSource()
{
    if (fd_ >= 0) ::close(fd_);
}

std::size_t RomSource::read(void* buffer, std::size_t n)
{
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
