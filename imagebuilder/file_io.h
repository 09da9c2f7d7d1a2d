// Files with ownership and checked writes. Every file the tools write goes
// through OutFile or AtomicFile, so a failed write or close is never lost.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

// Writes the error line of the tools: the path, a colon, a blank and the
// system's description of the error, on the error output.
void reportFileError(const std::string& path, int errorNumber);

struct FileCloser {
    void operator()(std::FILE* f) const;
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A file opened for binary reading.
class InFile {
public:
    InFile() = default;
    explicit InFile(const std::string& path);
    bool isOpen() const { return file_ != nullptr; }
    // Reads up to n bytes; fewer at the end of the file or after a read error.
    std::size_t read(void* buffer, std::size_t n);
    // Reads one line of text into line, without its LF or CR LF; false at the end.
    bool readLine(std::string& line, bool* hadLineEnd = nullptr);
    bool readFailed() const;

private:
    FilePtr file_;
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

private:
    FilePtr file_;
    int errorNumber_ = 0;
};

// A replacement for a file that becomes visible only when complete: the data
// go to a temporary file in the target's folder, and commit() renames it over
// the target. Without a successful commit the target is untouched and the
// temporary file is removed.
class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open(const std::string& targetPath);
    void write(const void* data, std::size_t n);
    void write(const std::string& text) { write(text.data(), text.size()); }
    bool commit();
    bool failed() const { return errorNumber_ != 0; }
    int errorNumber() const { return errorNumber_; }

private:
    void discard();
    std::string target_;
    std::string temp_;
    FilePtr file_;
    int errorNumber_ = 0;
};
