// Files with ownership and checked writes. Every file the tools write goes
// through OutFile or AtomicFile, so a failed write or close is never lost;
// every file they read is opened by openRegularFile (directly, or through
// InFile), which takes regular files only.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// Why a file could not be used, as results carry it: the system's error
// numbers, and these of our own (negative, so they never meet a system one).
constexpr int NOT_REGULAR_FILE = -1;  // a FIFO, device or socket: refused, never read from
constexpr int LINE_TOO_LONG = -2;     // a text line longer than its reader accepts
// A file that ended before the bytes its open file promised were read, or
// grew while it was copied: what was copied is not the file.
constexpr int FILE_CHANGED = -3;
// A member of an archive that the archive can't give: damaged, encrypted or
// larger than any image holds. The archive reader tells which.
constexpr int ARCHIVE_MEMBER_UNREADABLE = -4;

// The reason in words: the system's description, or ours.
std::string fileErrorText(int errorNumber);

// What the system tells of a file (links followed), asked once.
struct FileFacts {
    // 0 for a regular file; otherwise why it can't be read as one: the
    // system's error number (ENOENT for a missing file), EISDIR for a
    // folder, NOT_REGULAR_FILE for anything else.
    int problem = ENOENT;
    bool exists = false;      // something is there, of whatever kind
    std::int64_t size = 0;    // bytes of a regular file
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};
FileFacts fileFactsOf(const std::string& path);

// True when both name one existing file.
bool sameFile(const FileFacts& a, const FileFacts& b);

// 0 when path names a regular file (links followed); otherwise why not, as
// FileFacts::problem tells it.
int regularFileProblem(const std::string& path);

// True when both paths name one existing file (links followed).
bool isSameFile(const std::string& a, const std::string& b);

// True when a and b name one file whether it exists yet or not: the same
// existing file, or the same name in the same folder.
bool namesSameFile(const std::string& a, const std::string& b);

// True when path names a folder (links followed).
bool isFolder(const std::string& path);

// Opens path for reading and fills facts from the open file. Opened without
// waiting, so a FIFO can't make the open hang; anything but a regular file
// (a folder, FIFO, device or socket) is refused and closed again without a
// byte read. The descriptor (O_NONBLOCK still set: it changes nothing for a
// regular file), or -1 with facts.problem telling why.
int openRegularFile(const std::string& path, FileFacts& facts);

// The error number of the system call that just failed; never 0 (EIO when
// the system left none), so a failure is never taken for success.
int lastError();

// Replaces the file at path with size bytes of data, as AtomicFile does.
// 0 when done, otherwise the reason.
int replaceFileWith(const std::string& path, const void* data, std::size_t size);

struct FileCloser {
    void operator()(std::FILE* f) const;
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A regular file opened for binary reading. Anything else is refused before
// it is opened, and the open itself never waits, so a FIFO given in place of
// a file can't make a reader hang.
class InFile {
public:
    InFile() = default;
    explicit InFile(const std::string& path);
    bool isOpen() const { return file_ != nullptr; }
    // Why the file is not open, or why a read failed; 0 when neither.
    int errorNumber() const { return errorNumber_; }
    // The file's size in bytes when it was opened.
    std::int64_t size() const { return size_; }
    // Reads up to n bytes; fewer at the end of the file or after a read error.
    std::size_t read(void* buffer, std::size_t n);
    // Reads one line into line, without its LF (a CR before the LF stays);
    // false at the end of the file. A line of more than maxBytes bytes is not
    // read on: false, with lineTooLong() true, and only maxBytes + 1 bytes
    // of it were held.
    bool readLine(std::string& line, std::size_t maxBytes, bool* hadLineEnd = nullptr);
    bool lineTooLong() const { return errorNumber_ == LINE_TOO_LONG; }
    bool readFailed() const;

private:
    FilePtr file_;
    std::int64_t size_ = 0;
    int errorNumber_ = 0;
};

// A file opened for binary writing (truncated) or for update. The first
// failure of a write, seek or close is remembered; close() reports it.
class OutFile {
public:
    OutFile() = default;
    ~OutFile();
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;

    bool create(const std::string& path);         // create or truncate
    bool openForUpdate(const std::string& path);  // existing file, read and write, not truncated
    bool isOpen() const { return file_ != nullptr; }
    void write(const void* data, std::size_t n);
    void writeZeros(std::size_t n);
    void seek(long offset);
    // Closes the file; true when every write and the close itself succeeded.
    bool close();
    bool failed() const { return errorNumber_ != 0; }
    int errorNumber() const { return errorNumber_; }
    // Marks the output as failed for a reason found elsewhere (a source file
    // that could not be read to its end leaves the output incomplete).
    void fail(int errorNumber);
    // Appends up to n bytes of the regular file open as fd, from its current
    // position, copied by the kernel without passing through this process
    // (as cat copies). Returns the bytes appended: fewer, even none, when the
    // kernel can't copy between these two files or the input ended or
    // failed; the caller then goes on reading and writing, which tells why.
    std::size_t appendFromFile(int fd, std::size_t n);

private:
    friend class AtomicFile;
    FilePtr file_;
    int errorNumber_ = 0;
};

// A replacement for a file that becomes visible only when complete: the data
// go to a temporary file in the target's folder, and commit() renames it over
// the target. Without a successful commit the target is untouched and the
// temporary file is removed.
//
// A symbolic link is followed (through chains of links; a link to a missing
// file creates the file it names), so the file it points to is replaced and
// the link stays. The replacement keeps the old file's permission bits, and
// its owner and group where the process may set them. A file the process may
// not write is not replaced either (EACCES). When the folder takes
// no new file but the file itself may be written, the data are written over
// the file in place at commit(), every step checked, and the old contents
// put back if a step fails.
class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open(const std::string& targetPath);
    void write(const void* data, std::size_t n);
    void write(const std::string& text) { write(text.data(), text.size()); }
    // The output as an OutFile, for writers that take one.
    OutFile& stream() { return out_; }
    // True when open() found a file to replace.
    bool replacesAFile() const { return replaces_; }
    // Whether commit() waits until the data are on the disk before the
    // replacement takes the target's place (the default), so that a crash
    // leaves the old file or the new one, never an empty one. Data that can
    // be made again from other files may do without, when nothing is
    // replaced.
    void setDurable(bool durable) { durable_ = durable; }
    // For a durable file: sends what is written so far on its way to the
    // disk, and waits until what the call before sent has arrived. A large
    // file called on at steps as it grows reaches the disk while it is
    // written, at the pace of the disk, instead of all of it at commit().
    // Failures here are left to commit(), which syncs the file anyway.
    void writeBack();
    bool commit();
    bool failed() const { return errorNumber_ != 0 || out_.failed(); }
    // Why open, a write or commit failed; 0 when nothing did.
    int errorNumber() const { return errorNumber_ != 0 ? errorNumber_ : out_.errorNumber(); }
    // The file that is replaced: the target with its links resolved.
    const std::string& target() const { return target_; }

private:
    void discard();
    bool commitTemporary();
    bool commitInPlace();
    std::string target_;
    std::string temp_;
    OutFile out_;
    bool inPlace_ = false;
    bool replaces_ = false;
    bool durable_ = true;
    int errorNumber_ = 0;
    // How far writeBack() has sent the file, and how far it has waited.
    std::int64_t sentTo_ = 0;
    std::int64_t arrivedTo_ = 0;
};
