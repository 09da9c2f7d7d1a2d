// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <sys/types.h>

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
// Another process is writing the file and did not finish in time.
constexpr int FILE_BUSY = -5;
// The old contents of a file to be rewritten in place could not be kept
// aside, so it was left as it was.
constexpr int NO_COPY_KEPT = -6;

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
    std::int64_t modifiedNs = 0;  // last change of the contents, in ns since 1970
};
FileFacts fileFactsOf(const std::string& path);

// True when both name one existing file.
bool sameFile(const FileFacts& a, const FileFacts& b);

// True when b is a's file as it was: the same file, size and time of change.
bool sameFileUnchanged(const FileFacts& a, const FileFacts& b);

// The folder part of a path as the system reads it ('/' its only
// separator), ending in '/'; empty for a bare name (the current folder).
std::string systemFolderOf(const std::string& path);

// The file a path finally names, every symbolic link on the way followed; a
// path that names nothing (or a link to a missing file) gives the path of
// the file to create. 0, or why not (ELOOP for a loop of links).
int resolveFileLinks(const std::string& path, std::string& resolved);

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

// How a finished file takes its place: over whatever file is there, or only
// where nothing is, which the system itself checks as the name is made
// (EEXIST otherwise; a link, even one that leads nowhere, counts as taken).
enum class WriteMode { Replace, CreateNew };

// Replaces the file at path with size bytes of data, as AtomicFile does.
// 0 when done, otherwise the reason.
int replaceFileWith(const std::string& path, const void* data, std::size_t size,
                    WriteMode mode = WriteMode::Replace);

// Moves the file at from to to, only where nothing is at to (EEXIST
// otherwise): the system checks the name as it moves the file where it can.
// 0, or why not.
int renameWithoutReplacing(const std::string& from, const std::string& to);

// Files rewritten in place: when a folder takes no new file but the file in
// it may be written, a copy of the file's old contents is kept in this
// folder first ($XDG_STATE_HOME/romweld/, else ~/.local/state/romweld/,
// else the system's temporary folder), ending in '/'.
std::string rewriteCopyFolder();
// The copy a rewrite in place of target keeps: one per file, replaced by the
// next rewrite of that file.
std::string rewriteCopyPathFor(const std::string& target);
// Whoever tells the user of such a rewrite: called after each one that
// succeeded, with the file and where its old contents are. The programs set
// one at start; without one, nobody is told.
using RewriteNotice = void (*)(const std::string& file, const std::string& copy);
void setRewriteNotice(RewriteNotice notice);
// The words for it, for every program alike.
std::string rewriteNoticeText(const std::string& file, const std::string& copy);

// Called by each program at start: a named temporary file is removed when
// SIGINT, SIGTERM or SIGHUP ends the program (then the signal does what it
// would have done), and SIGPIPE is ignored, so a reader that went away
// costs a line of output, never a file being written. A signal the program
// was started to ignore stays ignored.
void installTemporaryFileCleanup();

// The steps of a write that a test may stop at, to see what a kill there
// leaves. The hook is called at each step; at UnnamedTemporary a false
// answer makes the write act as if the system had no unnamed files.
enum class FileStep { UnnamedTemporary, TemporaryWritten, TemporaryNamed, InPlaceCopied, InPlaceWritten };
using FileStepHook = bool (*)(FileStep);
void setFileStepHook(FileStepHook hook);

// Removes the temporary files this module names (".rw-" and six letters or
// digits) in folder that no process holds and that were last changed a
// minute ago or earlier: what killed writers left. Every write does this in
// its own folder. The number removed.
int removeStaleTemporaries(const std::string& folder);

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
// go to a temporary file in the target's folder, and commit() puts it in the
// target's place. Without a successful commit the target is untouched and the
// temporary file is gone. The temporary file has no name where the system
// allows (O_TMPFILE): a killed writer then leaves nothing behind. Else it
// is named ".rw-XXXXXX", locked while its writer lives, removed on SIGINT,
// SIGTERM and SIGHUP (installTemporaryFileCleanup), and removed by a later
// write into the folder when a kill left it.
//
// A symbolic link is followed (through chains of links; a link to a missing
// file creates the file it names), so the file it points to is replaced and
// the link stays. The replacement keeps the old file's permission bits, and
// its owner and group where the process may set them. A file the process may
// not write is not replaced either (EACCES). When the folder takes
// no new file but the file itself may be written, the data are written over
// the file in place at commit(): a copy of the old contents is kept first
// (rewriteCopyPathFor), SIGINT, SIGTERM and SIGHUP wait until the file is
// whole again, every step is checked, the old contents are put back if a
// step fails, and the rewrite notice tells the user.
class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // With WriteMode::CreateNew, links are not followed and the file is made
    // only where no file is, at commit (EEXIST from open or commit otherwise).
    bool open(const std::string& targetPath, WriteMode mode = WriteMode::Replace);
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
    bool openTemporary(const std::string& folder, mode_t mode);
    bool commitTemporary();
    bool putInPlace();
    bool commitInPlace();
    std::string target_;
    std::string temp_;  // the temporary file's name; empty while it has none
    OutFile out_;
    // A second descriptor of the temporary file: it holds the file's lock
    // (telling other writers it is no leftover) until the file is in place,
    // and names an unnamed file when it is linked into the folder.
    int held_ = -1;
    WriteMode mode_ = WriteMode::Replace;
    bool inPlaceAllowed_ = true;  // false for the copy an in-place rewrite keeps
    bool inPlace_ = false;
    bool replaces_ = false;
    bool durable_ = true;
    int errorNumber_ = 0;
    // How far writeBack() has sent the file, and how far it has waited.
    std::int64_t sentTo_ = 0;
    std::int64_t arrivedTo_ = 0;
};
