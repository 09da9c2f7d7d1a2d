// SPDX-License-Identifier: GPL-3.0-or-later
// List files: a header line, then one ROM path per line, in list order.
#pragma once

#include "file_io.h"
#include "text_encoding.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct RomList;

constexpr std::string_view LIST_FILE_HEADER = "### ROMWELD NES List ###";

// A path line longer than this makes the list file invalid; no path a
// system accepts is longer, so such a file is damaged or no list file.
constexpr std::size_t LIST_LINE_MAX = 4096;

// What reading or writing a list file gave. image_messages.h words it.
enum class ListCode {
    Ok = 0,
    CantOpen = 1,          // "Can't Open File"; also a list that could not be written
    Empty = 2,             // "Read Error": not even a first line
    WrongHeader = 3,       // "Wrong List File Error": first line not the header, case significant
    ReadFailed = 4,        // the system failed while reading
    LineTooLong = 5,       // a path line beyond LIST_LINE_MAX
    LineHasNul = 6,        // a path line holding a NUL byte
    PathHasLineBreak = 7,  // writing: a path holding a line break or a NUL
};

struct ListResult {
    ListCode code = ListCode::Ok;
    // The system's reason (fileErrorText tells it): why the file could not
    // be opened, read or written; LINE_TOO_LONG for LineTooLong; 0 for none.
    int errorNumber = 0;

    bool ok() const { return code == ListCode::Ok; }
};

inline bool operator==(const ListResult& result, ListCode code) { return result.code == code; }
inline bool operator!=(const ListResult& result, ListCode code) { return result.code != code; }

// Writes the header and every entry's path, each line ended by CR LF. The
// file is replaced only when complete. Ok when written; CantOpen with the
// system's reason when not. A path holding a line break (or a NUL byte)
// can't be written (it would read back as two paths, or none):
// PathHasLineBreak, and nothing is written. Nor can a path longer than
// LIST_LINE_MAX bytes (the reader would refuse the whole file): CantOpen
// with ENAMETOOLONG, nothing written.
ListResult writeListFile(const std::string& path, const RomList* list);

// The path of the first entry that a list file can't hold, or nothing.
const std::string* unlistablePath(const RomList* list);

// What ListFileReader::next found.
enum class ListLine {
    Path = 0,     // a path
    Invalid = 1,  // a line that names no path: invalidReason() tells why
    End = 2,      // the end of the file
    Failed = 3,   // the system failed while reading: errorNumber() tells why
};

// Reads a list file one line at a time, so that a list of any length costs
// the memory of one line: the header first, then each path line in turn.
// Line ends are CR LF or LF, the last line may lack one, a line that is not
// valid UTF-8 is read as CP932, and empty lines (such as the one many
// editors leave at the end) are skipped.
class ListFileReader {
public:
    explicit ListFileReader(const std::string& path);
    ListFileReader(const ListFileReader&) = delete;
    ListFileReader& operator=(const ListFileReader&) = delete;

    // Reads the first line: Ok when it is header; else CantOpen, Empty,
    // WrongHeader or ReadFailed (with why the file could not be opened or
    // read).
    ListResult readHeader(std::string_view header);

    // The next line that is not empty (see ListLine). A line longer
    // than LIST_LINE_MAX is never held whole, and neither it nor a line
    // holding a NUL byte is taken for a path: a path is never cut short.
    ListLine next(std::string& path);

    // The number of the line next() gave last, counting the header as 1.
    long long lineNumber() const { return line_; }
    // LineTooLong or LineHasNul for an invalid line.
    ListCode invalidReason() const { return invalid_; }
    int errorNumber() const { return errorNumber_; }

private:
    bool rawLine(std::string& line, bool& tooLong);
    InFile file_;
    std::vector<char> buffer_;
    std::size_t at_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;  // the last raw line ended with an LF
    long long line_ = 0;
    ListCode invalid_ = ListCode::Ok;
    int errorNumber_ = 0;
    LegacyTextDecoder decoder_;
};

// The list the romweld window keeps across a restart, in its settings
// folder: its own header, then "shows=" with the display mode and "image="
// with the image name, then the paths as in a list file. Load List does not
// take it for a list file.
constexpr std::string_view WINDOW_LIST_HEADER = "### ROMWELD Window List ###";

// Where a program keeps its window list: beside its settings file, named
// after it ("romweld.ini" -> "romweld-window.lst"); nowhere (empty) when it
// has no settings file.
std::string windowListPathFor(const std::string& settingsPath);

struct WindowListState {
    int displayMode = 1;
    std::string imageName;           // UTF-8
    std::vector<std::string> paths;  // read only; writing takes the list's
};

// The longest image name the window list keeps: its line, "image=" and the
// name, is held to LIST_LINE_MAX like every other line.
constexpr std::size_t WINDOW_LIST_IMAGE_MAX = LIST_LINE_MAX - 6;

// Writes list's paths with the state's display mode and image name, as
// writeListFile writes a list file (results as for it). An image name that
// holds a line break or a NUL is written empty; one longer than
// WINDOW_LIST_IMAGE_MAX bytes can't be read back: CantOpen with
// ENAMETOOLONG, and nothing is written.
ListResult writeWindowList(const std::string& path, const RomList* list, const WindowListState& state);

// Reads what writeWindowList wrote. Results as for ListFileReader's
// readHeader, or LineTooLong or LineHasNul for a path line that can't be
// read back; a file without its two value lines is WrongHeader. state is
// filled only when the result is Ok; the display mode is not checked.
ListResult readWindowList(const std::string& path, WindowListState& state);

// Every path of a list file, for tests and small tools: Ok, what readHeader
// gave, or why the first line that names no path names none. paths is
// filled only when the result is Ok.
ListResult readListFile(const std::string& path, std::vector<std::string>& paths);
