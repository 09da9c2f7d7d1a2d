#include "file_io.h"

#include "path_text.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Why a file of this kind can't be read or replaced as a file.
int kindProblem(mode_t mode)
{
    if (S_ISREG(mode)) return 0;
    if (S_ISDIR(mode)) return EISDIR;
    return NOT_REGULAR_FILE;
}

// What the system's look at an existing file tells.
FileFacts factsOf(const struct stat& st)
{
    FileFacts facts;
    facts.exists = true;
    facts.problem = kindProblem(st.st_mode);
    facts.size = static_cast<std::int64_t>(st.st_size);
    facts.device = static_cast<std::uint64_t>(st.st_dev);
    facts.inode = static_cast<std::uint64_t>(st.st_ino);
    return facts;
}

// The folder part of a path as the system reads it, ending in '/'; empty for
// a bare name (the current folder).
std::string systemFolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Systems refuse more than 40 links in a row; so do we.
constexpr int MAX_LINK_HOPS = 40;

// The file a path finally names: every symbolic link on the way is followed,
// a relative link from the folder it lies in. A path that names nothing (or
// a link to a missing file) gives the path of the file to create.
int resolveLinks(const std::string& path, std::string& resolved)
{
    std::string current = path;
    for (int hop = 0; hop <= MAX_LINK_HOPS; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno != ENOENT) return lastError();
            resolved = current;
            return 0;
        }
        if (!S_ISLNK(st.st_mode)) {
            resolved = current;
            return 0;
        }
        std::vector<char> buffer(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096);
        const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (n < 0) return lastError();
        if (static_cast<std::size_t>(n) >= buffer.size()) return ENAMETOOLONG;  // changed while read
        const std::string link(buffer.data(), static_cast<std::size_t>(n));
        current = !link.empty() && link.front() == '/' ? link : systemFolderOf(current) + link;
    }
    return ELOOP;
}

// Writes all of data at offset, however the system splits the writes.
int writeAllAt(int fd, const char* data, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            return lastError();
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return 0;
}

// Reads the whole file behind fd from its start; false when that fails.
bool readAllFrom(int fd, std::string& data)
{
    data.clear();
    char buffer[65536];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        data.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
}

// A file of this process's own that holds the data of an in-place write
// until commit: in memory where the system offers such a file, else an
// unnamed temporary file. A memory stream would not do: after a writer
// seeks back to fix a header, it keeps only the bytes up to that header.
FilePtr scratchFile()
{
#ifdef __linux__
    const int fd = ::memfd_create("romweld-in-place", MFD_CLOEXEC);
    if (fd >= 0) {
        FilePtr file(::fdopen(fd, "w+b"));
        if (!file) ::close(fd);
        return file;
    }
#endif
    return FilePtr(std::tmpfile());
}

// Makes the rename in folder durable too; a failure here loses nothing that
// the rename has not already made safe on most file systems.
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

int lastError()
{
    return errno != 0 ? errno : EIO;
}

std::string fileErrorText(int errorNumber)
{
    switch (errorNumber) {
    case NOT_REGULAR_FILE: return "not a regular file";
    case LINE_TOO_LONG: return "a line is too long";
    case FILE_CHANGED: return "the file changed while it was read";
    case ARCHIVE_MEMBER_UNREADABLE: return "the archive can't give this member";
    default: return std::strerror(errorNumber);
    }
}

FileFacts fileFactsOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return factsOf(st);
    FileFacts missing;
    missing.problem = lastError();
    return missing;
}

int openRegularFile(const std::string& path, FileFacts& facts)
{
    facts = FileFacts{};
    // No terminal becomes ours by being named. The kind is taken from the
    // open file itself, so nothing can be swapped in between a look and the
    // open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        facts.problem = lastError();
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        facts = factsOf(st);
    } else {
        facts.exists = true;
        facts.problem = lastError();
    }
    if (facts.problem == 0) return fd;
    ::close(fd);
    return -1;
}

bool sameFile(const FileFacts& a, const FileFacts& b)
{
    return a.exists && b.exists && a.device == b.device && a.inode == b.inode;
}

int regularFileProblem(const std::string& path)
{
    return fileFactsOf(path).problem;
}

bool isSameFile(const std::string& a, const std::string& b)
{
    return sameFile(fileFactsOf(a), fileFactsOf(b));
}

bool namesSameFile(const std::string& a, const std::string& b)
{
    if (isSameFile(a, b)) return true;
    const auto folder = [](const std::string& path) {
        const std::string f = folderOf(path);
        return f.empty() ? std::string("./") : f;
    };
    return fileNameOf(a) == fileNameOf(b) && isSameFile(folder(a), folder(b));
}

bool isFolder(const std::string& path)
{
    return fileFactsOf(path).problem == EISDIR;
}

int replaceFileWith(const std::string& path, const void* data, std::size_t size)
{
    AtomicFile out;
    if (!out.open(path)) return out.errorNumber();
    out.write(data, size);
    return out.commit() ? 0 : out.errorNumber();
}

void FileCloser::operator()(std::FILE* f) const
{
    if (f != nullptr) std::fclose(f);
}

InFile::InFile(const std::string& path)
{
    // Looked at before the open, so a FIFO or device is never opened at all.
    errorNumber_ = regularFileProblem(path);
    if (errorNumber_ != 0) return;
    // Should the file be swapped for a FIFO between the look and the open,
    // the open still returns at once, and the second look refuses it.
    FileFacts facts;
    const int fd = openRegularFile(path, facts);
    if (fd < 0) {
        errorNumber_ = facts.problem;
        return;
    }
    size_ = facts.size;
    // Blocking reads from here on, as stdio expects.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) errorNumber_ = lastError();
    if (errorNumber_ == 0) {
        file_.reset(::fdopen(fd, "rb"));
        if (file_) return;
        errorNumber_ = lastError();
    }
    ::close(fd);
}

std::size_t InFile::read(void* buffer, std::size_t n)
{
    if (!file_ || n == 0) return 0;
    const std::size_t got = std::fread(buffer, 1, n, file_.get());
    if (got < n && std::ferror(file_.get()) != 0 && errorNumber_ == 0) errorNumber_ = lastError();
    return got;
}

bool InFile::readLine(std::string& line, std::size_t maxBytes, bool* hadLineEnd)
{
    line.clear();
    if (hadLineEnd != nullptr) *hadLineEnd = false;
    if (!file_ || lineTooLong()) return false;
    std::FILE* f = file_.get();
    int c = 0;
    bool any = false;
    while ((c = std::getc(f)) != EOF) {
        any = true;
        if (c == '\n') {
            if (hadLineEnd != nullptr) *hadLineEnd = true;
            return true;
        }
        if (line.size() == maxBytes) {
            errorNumber_ = LINE_TOO_LONG;
            return false;
        }
        line.push_back(static_cast<char>(c));
    }
    if (std::ferror(f) != 0 && errorNumber_ == 0) errorNumber_ = lastError();
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
    if (!file_) errorNumber_ = lastError();
    return file_ != nullptr;
}

bool OutFile::openForUpdate(const std::string& path)
{
    close();
    errorNumber_ = regularFileProblem(path);
    if (errorNumber_ != 0) return false;
    file_.reset(std::fopen(path.c_str(), "r+b"));
    if (!file_) errorNumber_ = lastError();
    return file_ != nullptr;
}

void OutFile::fail(int errorNumber)
{
    if (errorNumber_ == 0) errorNumber_ = errorNumber != 0 ? errorNumber : EIO;
}

void OutFile::write(const void* data, std::size_t n)
{
    if (!file_ || failed() || n == 0) return;
    if (std::fwrite(data, 1, n, file_.get()) != n) fail(lastError());
}

std::size_t OutFile::appendFromFile(int fd, std::size_t n)
{
#ifdef __linux__
    if (!file_ || failed() || n == 0 || std::fflush(file_.get()) != 0) return 0;
    const int out = ::fileno(file_.get());
    if (out < 0) return 0;
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = ::copy_file_range(fd, nullptr, out, nullptr, n - done, 0);
        if (r <= 0) break;
        done += static_cast<std::size_t>(r);
    }
    // The stream learns where the kernel left the file, so that its next
    // write, seek or position starts there.
    const off_t end = ::lseek(out, 0, SEEK_CUR);
    if (done > 0 && (end < 0 || ::fseeko(file_.get(), end, SEEK_SET) != 0)) fail(lastError());
    return done;
#else
    (void)fd;
    (void)n;
    return 0;
#endif
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
    if (std::fseek(file_.get(), offset, SEEK_SET) != 0) fail(lastError());
}

bool OutFile::close()
{
    if (file_) {
        std::FILE* f = file_.release();
        if (std::fflush(f) != 0) fail(lastError());
        if (std::fclose(f) != 0) fail(lastError());
    }
    return !failed();
}

AtomicFile::~AtomicFile()
{
    discard();
}

void AtomicFile::discard()
{
    sentTo_ = 0;
    arrivedTo_ = 0;
    out_.file_.reset();
    inPlace_ = false;
    replaces_ = false;
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

bool AtomicFile::open(const std::string& targetPath)
{
    discard();
    errorNumber_ = 0;
    out_.errorNumber_ = 0;
    target_ = targetPath;
    if (targetPath.empty()) {
        errorNumber_ = ENOENT;
        return false;
    }
    errorNumber_ = resolveLinks(targetPath, target_);
    if (errorNumber_ != 0) return false;

    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    replaces_ = exists;
    if (exists) {
        errorNumber_ = kindProblem(old.st_mode);
        // A file its owner made read-only is not replaced behind their back,
        // although the folder would allow it.
        if (errorNumber_ == 0 && ::access(target_.c_str(), W_OK) != 0) errorNumber_ = lastError();
        if (errorNumber_ != 0) return false;
    }

    // A short name, so that a target whose name is near the file system's
    // limit can still be replaced.
    std::string pattern = systemFolderOf(target_) + ".rw-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        errorNumber_ = lastError();
        // A folder that takes no new file, while the file itself may be
        // written: the data are kept aside and written over it at commit.
        if ((errorNumber_ == EACCES || errorNumber_ == EPERM) && exists && ::access(target_.c_str(), W_OK) == 0) {
            out_.file_ = scratchFile();
            if (!out_.file_) {
                errorNumber_ = lastError();
                return false;
            }
            errorNumber_ = 0;
            inPlace_ = true;
            return true;
        }
        return false;
    }
    temp_ = pattern;

    // mkstemp makes the file private to its maker; the replacement gets the
    // old file's owner, group and mode (owner and group where the system lets
    // this process give them), or the mode a newly created file would get.
    mode_t mode = 0;
    if (exists) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 && errno != EPERM) errorNumber_ = lastError();
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (errorNumber_ == 0 && ::fchmod(fd, mode) != 0) errorNumber_ = lastError();
    if (errorNumber_ == 0) out_.file_.reset(::fdopen(fd, "wb"));
    if (!out_.file_) {
        if (errorNumber_ == 0) errorNumber_ = lastError();
        ::close(fd);
        discard();
        return false;
    }
    return true;
}

void AtomicFile::write(const void* data, std::size_t n)
{
    out_.write(data, n);
}

void AtomicFile::writeBack()
{
#ifdef __linux__
    std::FILE* f = out_.file_.get();
    if (f == nullptr || !durable_ || inPlace_ || out_.failed() || std::fflush(f) != 0) return;
    const int fd = ::fileno(f);
    const off_t end = ::lseek(fd, 0, SEEK_CUR);
    if (fd < 0 || end <= sentTo_) return;
    if (arrivedTo_ < sentTo_) {
        ::sync_file_range(fd, arrivedTo_, sentTo_ - arrivedTo_,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
        arrivedTo_ = sentTo_;
    }
    ::sync_file_range(fd, sentTo_, end - sentTo_, SYNC_FILE_RANGE_WRITE);
    sentTo_ = end;
#endif
}

bool AtomicFile::commit()
{
    if (!out_.file_) {
        if (errorNumber_ == 0) errorNumber_ = EBADF;
        discard();
        return false;
    }
    const bool done = inPlace_ ? commitInPlace() : commitTemporary();
    if (!done && errorNumber_ == 0) errorNumber_ = out_.errorNumber() != 0 ? out_.errorNumber() : EIO;
    discard();
    return done;
}

bool AtomicFile::commitTemporary()
{
    std::FILE* f = out_.file_.get();
    if (!out_.failed() && std::fflush(f) != 0) out_.fail(lastError());
    if (durable_ && !out_.failed() && ::fsync(::fileno(f)) != 0) out_.fail(lastError());
    if (!out_.close()) return false;
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        errorNumber_ = lastError();
        return false;
    }
    temp_.clear();
    if (durable_) syncFolder(systemFolderOf(target_));
    return true;
}

bool AtomicFile::commitInPlace()
{
    std::FILE* f = out_.file_.get();
    std::string data;
    if (!out_.failed() && std::fflush(f) != 0) out_.fail(lastError());
    if (!out_.failed() && !readAllFrom(::fileno(f), data)) out_.fail(lastError());
    if (!out_.close()) return false;

    // Opened for reading too where allowed, so the old contents can be put
    // back should the new ones fail half-way.
    bool canRestore = true;
    int fd = ::open(target_.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == EACCES) {
        canRestore = false;
        fd = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    }
    if (fd < 0) {
        errorNumber_ = lastError();
        return false;
    }
    struct stat st {};
    errorNumber_ = ::fstat(fd, &st) != 0 ? lastError() : kindProblem(st.st_mode);
    std::string old;
    if (errorNumber_ == 0 && canRestore) canRestore = readAllFrom(fd, old);

    if (errorNumber_ == 0) errorNumber_ = writeAllAt(fd, data.data(), data.size(), 0);
    if (errorNumber_ == 0 && ::ftruncate(fd, static_cast<off_t>(data.size())) != 0) errorNumber_ = lastError();
    if (errorNumber_ == 0 && ::fsync(fd) != 0) errorNumber_ = lastError();
    if (errorNumber_ != 0 && canRestore && S_ISREG(st.st_mode)) {
        // Best effort: the old bytes are no longer than the blocks the file
        // had, so they usually fit where the new ones did not.
        if (writeAllAt(fd, old.data(), old.size(), 0) == 0) {
            if (::ftruncate(fd, static_cast<off_t>(old.size())) == 0) ::fsync(fd);
        }
    }
    if (::close(fd) != 0 && errorNumber_ == 0) errorNumber_ = lastError();
    return errorNumber_ == 0;
}
