#include "file_io.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

void reportFileError(const std::string& path, int errorNumber)
{
    std::fprintf(stderr, "%s: %s\n", path.c_str(), std::strerror(errorNumber));
}

void FileCloser::operator()(std::FILE* f) const
{
    if (f != nullptr) std::fclose(f);
}

InFile::InFile(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}

std::size_t InFile::read(void* buffer, std::size_t n)
{
    if (!file_ || n == 0) return 0;
    return std::fread(buffer, 1, n, file_.get());
}

bool InFile::readLine(std::string& line, bool* hadLineEnd)
{
    line.clear();
    if (hadLineEnd != nullptr) *hadLineEnd = false;
    if (!file_) return false;
    int c = 0;
    bool any = false;
    while ((c = std::fgetc(file_.get())) != EOF) {
        any = true;
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (hadLineEnd != nullptr) *hadLineEnd = true;
            return true;
        }
        line.push_back(static_cast<char>(c));
    }
    return any;
}

bool InFile::readFailed() const
{
    return file_ && std::ferror(file_.get()) != 0;
}

OutFile::~OutFile()
{
    close();
}

bool OutFile::create(const std::string& path)
{
    close();
    errorNumber_ = 0;
    file_.reset(std::fopen(path.c_str(), "wb"));
    if (!file_) errorNumber_ = errno != 0 ? errno : EIO;
    return file_ != nullptr;
}

bool OutFile::openForUpdate(const std::string& path)
{
    close();
    errorNumber_ = 0;
    file_.reset(std::fopen(path.c_str(), "r+b"));
    if (!file_) errorNumber_ = errno != 0 ? errno : EIO;
    return file_ != nullptr;
}

void OutFile::fail(int errorNumber)
{
    if (errorNumber_ == 0) errorNumber_ = errorNumber != 0 ? errorNumber : EIO;
}

void OutFile::write(const void* data, std::size_t n)
{
    if (!file_ || failed() || n == 0) return;
    if (std::fwrite(data, 1, n, file_.get()) != n) fail(errno);
}

void OutFile::writeZeros(std::size_t n)
{
    static const unsigned char zeros[64] = {};
    while (n > 0) {
        const std::size_t chunk = n < sizeof zeros ? n : sizeof zeros;
        write(zeros, chunk);
        n -= chunk;
    }
}

void OutFile::seek(long offset)
{
    if (!file_ || failed()) return;
    if (std::fseek(file_.get(), offset, SEEK_SET) != 0) fail(errno);
}

bool OutFile::close()
{
    if (file_) {
        std::FILE* f = file_.release();
        if (std::fflush(f) != 0) fail(errno);
        if (std::fclose(f) != 0) fail(errno);
    }
    return !failed();
}

AtomicFile::~AtomicFile()
{
    discard();
}

void AtomicFile::discard()
{
    file_.reset();
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

bool AtomicFile::open(const std::string& targetPath)
{
    discard();
    errorNumber_ = 0;
    target_ = targetPath;
    std::string pattern = targetPath + ".tmp-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        errorNumber_ = errno != 0 ? errno : EIO;
        return false;
    }
    temp_ = pattern;
    // mkstemp makes the file private; give it the mode the target has, or
    // the mode a newly created file would get.
    struct stat st {};
    mode_t mode = 0;
    if (::stat(targetPath.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    file_.reset(::fdopen(fd, "wb"));
    if (!file_) {
        errorNumber_ = errno != 0 ? errno : EIO;
        ::close(fd);
        discard();
        return false;
    }
    return true;
}

void AtomicFile::write(const void* data, std::size_t n)
{
    if (!file_ || failed() || n == 0) return;
    if (std::fwrite(data, 1, n, file_.get()) != n) errorNumber_ = errno != 0 ? errno : EIO;
}

bool AtomicFile::commit()
{
    if (!file_) {
        if (errorNumber_ == 0) errorNumber_ = EBADF;
        return false;
    }
    std::FILE* f = file_.release();
    if (!failed() && std::fflush(f) != 0) errorNumber_ = errno != 0 ? errno : EIO;
    if (!failed() && ::fsync(::fileno(f)) != 0) errorNumber_ = errno != 0 ? errno : EIO;
    if (std::fclose(f) != 0 && !failed()) errorNumber_ = errno != 0 ? errno : EIO;
    if (!failed() && std::rename(temp_.c_str(), target_.c_str()) != 0) {
        errorNumber_ = errno != 0 ? errno : EIO;
    }
    if (failed()) {
        discard();
        return false;
    }
    temp_.clear();
    return true;
}
