// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_io.h"

#include "path_text.h"
#include "program_folders.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <stdio.h>
#include <sys/file.h>
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
    facts.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return facts;
}

// Systems refuse more than 40 links in a row; so do we.
constexpr int MAX_LINK_HOPS = 40;

}  // namespace

std::string systemFolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A relative link is followed from the folder it lies in.
int resolveFileLinks(const std::string& path, std::string& resolved)
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

namespace {

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

// Temporary files are named ".rw-" and six letters or digits, as mkstemp
// makes them: short, so that a target whose name is near the file system's
// limit can still be replaced.
constexpr std::string_view TEMPORARY_PREFIX = ".rw-";
constexpr std::size_t TEMPORARY_TAIL = 6;
constexpr const char* TEMPORARY_LETTERS = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

bool isTemporaryName(std::string_view name)
{
    if (name.size() != TEMPORARY_PREFIX.size() + TEMPORARY_TAIL || name.substr(0, TEMPORARY_PREFIX.size()) != TEMPORARY_PREFIX) {
        return false;
    }
    return name.find_first_not_of(TEMPORARY_LETTERS, TEMPORARY_PREFIX.size()) == std::string_view::npos;
}

// A fresh name of that kind in folder, for linking an unnamed file.
std::string temporaryNameIn(const std::string& folder)
{
    static std::mt19937 random(std::random_device{}());
    std::string name = folder + std::string(TEMPORARY_PREFIX);
    const std::size_t letters = std::strlen(TEMPORARY_LETTERS);
    for (std::size_t i = 0; i < TEMPORARY_TAIL; ++i) name += TEMPORARY_LETTERS[random() % letters];
    return name;
}

// A temporary file changed this recently may be one whose writer is about
// to lock it; older ones that nobody holds are leftovers.
constexpr std::time_t STALE_AFTER_SECONDS = 60;

// The names of the named temporary files of this process, for the signal
// handler: plain pointers it may read at any moment. A writer puts its name
// here while the file exists and takes it out before the name changes.
constexpr int CLEANUP_SLOTS = 8;
std::atomic<const char*> namedTemporaries[CLEANUP_SLOTS];

void rememberTemporary(const std::string& name)
{
    for (std::atomic<const char*>& slot : namedTemporaries) {
        const char* empty = nullptr;
        if (slot.compare_exchange_strong(empty, name.c_str())) return;
    }
}

void forgetTemporary(const std::string& name)
{
    for (std::atomic<const char*>& slot : namedTemporaries) {
        const char* mine = name.c_str();
        slot.compare_exchange_strong(mine, nullptr);
    }
}

extern "C" void removeTemporariesAndStop(int signalNumber)
{
    for (std::atomic<const char*>& slot : namedTemporaries) {
        const char* name = slot.load();
        if (name != nullptr) ::unlink(name);
    }
    // What the signal would have done: it is delivered again once this
    // handler returns.
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

// SIGINT, SIGTERM and SIGHUP wait while the object lives, so that a file
// being put in place (or rewritten in place) is whole before they end the
// program. SIGKILL can't wait: the copy kept before a rewrite covers it.
class StopSignalsHeld {
public:
    StopSignalsHeld()
    {
        sigset_t stops;
        sigemptyset(&stops);
        sigaddset(&stops, SIGINT);
        sigaddset(&stops, SIGTERM);
        sigaddset(&stops, SIGHUP);
        ::pthread_sigmask(SIG_BLOCK, &stops, &saved_);
    }
    ~StopSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

private:
    sigset_t saved_{};
};

std::atomic<FileStepHook> stepHook{nullptr};
std::atomic<RewriteNotice> rewriteNotice{nullptr};

// False only when a test's hook says the step can't be taken.
bool reachStep(FileStep step)
{
    const FileStepHook hook = stepHook.load();
    return hook == nullptr || hook(step);
}

// Unnamed files are linked into a folder through /proc, which must be there.
bool unnamedFilesUsable()
{
#ifdef O_TMPFILE
    return reachStep(FileStep::UnnamedTemporary) && ::access("/proc/self/fd", X_OK) == 0;
#else
    return false;
#endif
}

// Gives the unnamed file behind fd the name path; fails with EEXIST when the
// name is taken.
int linkUnnamed(int fd, const std::string& path)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    return lastError();
}

}  // namespace

// A rename that replaces nothing, else a link; a file system with neither
// gets a look and a rename.
int renameWithoutReplacing(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return lastError();
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) return lastError();
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return EEXIST;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : lastError();
}

namespace {

// A short fingerprint of a path, so that copies of files of one name from
// different folders don't meet.
std::string pathFingerprint(const std::string& path)
{
    std::uint32_t hash = 2166136261u;
    for (const unsigned char c : path) hash = (hash ^ c) * 16777619u;
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (int shift = 28; shift >= 0; shift -= 4) text += digits[(hash >> shift) & 0xF];
    return text;
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
    case FILE_BUSY: return "another program is writing this file; try again when it is done";
    case NO_COPY_KEPT:
        return "its folder takes no new file, and a copy of its old contents could not be kept before "
               "writing over it, so it was left as it was";
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

bool sameFileUnchanged(const FileFacts& a, const FileFacts& b)
{
    if (!a.exists || !b.exists) return a.exists == b.exists;
    return sameFile(a, b) && a.size == b.size && a.modifiedNs == b.modifiedNs;
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

int replaceFileWith(const std::string& path, const void* data, std::size_t size, WriteMode mode)
{
    AtomicFile out;
    if (!out.open(path, mode)) return out.errorNumber();
    out.write(data, size);
    return out.commit() ? 0 : out.errorNumber();
}

std::string rewriteCopyFolder()
{
    const auto absolute = [](const char* value) { return value != nullptr && value[0] == '/'; };
    const char* state = std::getenv("XDG_STATE_HOME");
    if (absolute(state)) return std::string(state) + "/romweld/";
    const char* home = std::getenv("HOME");
    if (absolute(home)) return std::string(home) + "/.local/state/romweld/";
    const char* temporary = std::getenv("TMPDIR");
    // Shared by every user: a folder of one's own inside it.
    return std::string(absolute(temporary) ? temporary : "/tmp") + "/romweld-" + std::to_string(::getuid()) + "/";
}

std::string rewriteCopyPathFor(const std::string& target)
{
    std::string folder = systemFolderOf(target);
    const std::string name = target.substr(folder.size());
    if (char* real = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr)) {
        folder = std::string(real) + "/";
        std::free(real);
    }
    return rewriteCopyFolder() + name + "." + pathFingerprint(folder + name) + ".old";
}

void setRewriteNotice(RewriteNotice notice)
{
    rewriteNotice.store(notice);
}

std::string rewriteNoticeText(const std::string& file, const std::string& copy)
{
    return file + " was written over in place: its folder takes no new file, so it can't be replaced safely there. "
                  "What it held before is kept in " + copy;
}

void installTemporaryFileCleanup()
{
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (::sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction cleanup {};
        cleanup.sa_handler = removeTemporariesAndStop;
        sigemptyset(&cleanup.sa_mask);
        ::sigaction(signalNumber, &cleanup, nullptr);
    }
    ::signal(SIGPIPE, SIG_IGN);
}

void setFileStepHook(FileStepHook hook)
{
    stepHook.store(hook);
}

int removeStaleTemporaries(const std::string& folder)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return 0;
    const int dirFd = ::dirfd(dir);
    const std::time_t now = std::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryName(entry->d_name)) continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat held {};
        // A writer holds its file locked for as long as it lives.
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && now - held.st_mtime >= STALE_AFTER_SECONDS &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            struct stat named {};
            if (::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == held.st_dev &&
                named.st_ino == held.st_ino && ::unlinkat(dirFd, entry->d_name, 0) == 0) {
                ++removed;
            }
        }
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
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
        forgetTemporary(temp_);
        temp_.clear();
    }
    // An unnamed file goes with its last descriptor.
    if (held_ >= 0) ::close(held_);
    held_ = -1;
}

bool AtomicFile::open(const std::string& targetPath, WriteMode mode)
{
    discard();
    errorNumber_ = 0;
    out_.errorNumber_ = 0;
    mode_ = mode;
    target_ = targetPath;
    if (targetPath.empty()) {
        errorNumber_ = ENOENT;
        return false;
    }
    // A new file takes the name itself: a link there is a taken name.
    if (mode == WriteMode::Replace) errorNumber_ = resolveFileLinks(targetPath, target_);
    if (errorNumber_ != 0) return false;

    struct stat old {};
    const bool exists = mode == WriteMode::Replace ? ::stat(target_.c_str(), &old) == 0
                                                   : ::lstat(target_.c_str(), &old) == 0;
    if (mode == WriteMode::CreateNew && (exists || errno != ENOENT)) {
        errorNumber_ = exists ? EEXIST : lastError();
        return false;
    }
    replaces_ = exists;
    if (exists) {
        errorNumber_ = kindProblem(old.st_mode);
        // A file its owner made read-only is not replaced behind their back,
        // although the folder would allow it.
        if (errorNumber_ == 0 && ::access(target_.c_str(), W_OK) != 0) errorNumber_ = lastError();
        if (errorNumber_ != 0) return false;
    }

    // The temporary file gets the old file's mode, or the mode a newly
    // created file would get.
    mode_t fileMode = 0;
    if (exists) {
        fileMode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        fileMode = 0666 & ~mask;
    }
    const std::string folder = systemFolderOf(target_);
    if (openTemporary(folder, fileMode)) {
        // The folder takes files: what killed writers left there can go.
        removeStaleTemporaries(folder);
        // The replacement gets the old file's owner and group where the
        // system lets this process give them.
        if (exists && ::fchown(held_, old.st_uid, old.st_gid) != 0 && errno != EPERM) errorNumber_ = lastError();
        if (errorNumber_ == 0 && ::fchmod(held_, fileMode) != 0) errorNumber_ = lastError();
        if (errorNumber_ == 0) return true;
        discard();
        return false;
    }
    // A folder that takes no new file, while the file itself may be
    // written: the data are kept aside and written over it at commit.
    if ((errorNumber_ == EACCES || errorNumber_ == EPERM) && exists && inPlaceAllowed_ &&
        ::access(target_.c_str(), W_OK) == 0) {
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

bool AtomicFile::openTemporary(const std::string& folder, mode_t mode)
{
    int fd = -1;
#ifdef O_TMPFILE
    // Unnamed: nothing is left in the folder whatever ends the program.
    if (unnamedFilesUsable()) {
        fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode & 0600);
        if (fd < 0 && (errno == EACCES || errno == EPERM)) {
            errorNumber_ = lastError();
            return false;
        }
    }
#endif
    if (fd < 0) {
        std::string pattern = folder + std::string(TEMPORARY_PREFIX) + std::string(TEMPORARY_TAIL, 'X');
        fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) {
            errorNumber_ = lastError();
            return false;
        }
        temp_ = pattern;
        rememberTemporary(temp_);
    }
    held_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (held_ >= 0) ::flock(held_, LOCK_EX | LOCK_NB);
    if (held_ >= 0) out_.file_.reset(::fdopen(fd, "wb"));
    if (!out_.file_) {
        errorNumber_ = lastError();
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
    reachStep(FileStep::TemporaryWritten);
    {
        // Naming and moving the file are one step for the user: a stop
        // signal waits until the file is in place.
        const StopSignalsHeld held;
        if (!putInPlace()) return false;
    }
    if (durable_) syncFolder(systemFolderOf(target_));
    return true;
}

bool AtomicFile::putInPlace()
{
    if (temp_.empty()) {
        // An unnamed file that must not replace anything is linked as the
        // target itself; the link fails when the name is taken.
        if (mode_ == WriteMode::CreateNew) {
            errorNumber_ = linkUnnamed(held_, target_);
            return errorNumber_ == 0;
        }
        // Else it gets a name of its own for a moment, then takes the
        // target's place in one rename.
        const std::string folder = systemFolderOf(target_);
        std::string name;
        for (int attempt = 0; attempt < 100; ++attempt) {
            name = temporaryNameIn(folder);
            errorNumber_ = linkUnnamed(held_, name);
            if (errorNumber_ != EEXIST) break;
        }
        if (errorNumber_ != 0) return false;
        temp_ = name;
        rememberTemporary(temp_);
        reachStep(FileStep::TemporaryNamed);
    }
    if (mode_ == WriteMode::CreateNew) {
        errorNumber_ = renameWithoutReplacing(temp_, target_);
    } else if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        errorNumber_ = lastError();
    }
    if (errorNumber_ != 0) return false;
    forgetTemporary(temp_);
    temp_.clear();
    return true;
}

bool AtomicFile::commitInPlace()
{
    std::FILE* f = out_.file_.get();
    std::string data;
    if (!out_.failed() && std::fflush(f) != 0) out_.fail(lastError());
    if (!out_.failed() && !readAllFrom(::fileno(f), data)) out_.fail(lastError());
    if (!out_.close()) return false;

    // Opened for reading too: the old contents are kept aside before the
    // first byte is written, and put back should the new ones fail.
    const int fd = ::open(target_.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        errorNumber_ = errno == EACCES ? NO_COPY_KEPT : lastError();
        return false;
    }
    struct stat st {};
    errorNumber_ = ::fstat(fd, &st) != 0 ? lastError() : kindProblem(st.st_mode);
    std::string old;
    if (errorNumber_ == 0 && !readAllFrom(fd, old)) errorNumber_ = NO_COPY_KEPT;

    // The copy is complete and on the disk before the file is touched, so a
    // kill at any later moment leaves the user the old contents.
    const std::string copyPath = rewriteCopyPathFor(target_);
    if (errorNumber_ == 0) {
        makeSettingsFolder(copyPath);
        AtomicFile copy;
        copy.inPlaceAllowed_ = false;
        if (!copy.open(copyPath)) errorNumber_ = NO_COPY_KEPT;
        copy.write(old);
        if (errorNumber_ == 0 && !copy.commit()) errorNumber_ = NO_COPY_KEPT;
    }
    if (errorNumber_ == 0) reachStep(FileStep::InPlaceCopied);

    if (errorNumber_ == 0) {
        const StopSignalsHeld held;
        errorNumber_ = writeAllAt(fd, data.data(), data.size(), 0);
        reachStep(FileStep::InPlaceWritten);
        if (errorNumber_ == 0 && ::ftruncate(fd, static_cast<off_t>(data.size())) != 0) errorNumber_ = lastError();
        if (errorNumber_ == 0 && ::fsync(fd) != 0) errorNumber_ = lastError();
        if (errorNumber_ != 0) {
            // Best effort: the old bytes are no longer than the blocks the
            // file had, so they usually fit where the new ones did not.
            if (writeAllAt(fd, old.data(), old.size(), 0) == 0) {
                if (::ftruncate(fd, static_cast<off_t>(old.size())) == 0) ::fsync(fd);
            }
        }
    }
    if (::close(fd) != 0 && errorNumber_ == 0) errorNumber_ = lastError();
    if (errorNumber_ != 0) return false;
    if (const RewriteNotice notice = rewriteNotice.load()) notice(target_, copyPath);
    return true;
}
