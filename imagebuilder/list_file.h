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

// Writes the header and every entry's path, each line ended by CR LF. The
// file is replaced only when complete. 0 written; otherwise the reason as
// an error number (fileErrorText tells it). A path holding a line break
// (or a NUL byte) can't be written (it would read back as two paths, or none): LIST_PATH_HAS_LINE_BREAK,
// and nothing is written. Nor can a path longer than LIST_LINE_MAX bytes
// (the reader would refuse the whole file): ENAMETOOLONG, nothing written.
int writeListFile(const std::string& path, const RomList* list);

// The path of the first entry that a list file can't hold, or nothing.
const std::string* unlistablePath(const RomList* list);

constexpr int LIST_PATH_HAS_LINE_BREAK = -100;

enum ListReadCode {
    LIST_READ_OK = 0,
    LIST_CANT_OPEN = 1,      // "Can't Open File"
    LIST_EMPTY = 2,          // "Read Error": not even a first line
    LIST_WRONG_HEADER = 3,   // "Wrong List File Error": first line not the header, case significant
    LIST_READ_FAILED = 4,    // the system failed while reading
    LIST_LINE_TOO_LONG = 5,  // a path line beyond LIST_LINE_MAX
    LIST_LINE_HAS_NUL = 6,   // a path line holding a NUL byte
};

// What ListFileReader::next found.
enum ListLineKind {
    LIST_LINE_PATH = 0,     // a path
    LIST_LINE_INVALID = 1,  // a line that names no path: invalidReason() tells why
    LIST_LINE_END = 2,      // the end of the file
    LIST_LINE_FAILED = 3,   // the system failed while reading: errorNumber() tells why
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

    // Reads the first line: LIST_READ_OK when it is header; else
    // LIST_CANT_OPEN, LIST_EMPTY, LIST_WRONG_HEADER or LIST_READ_FAILED
    // (errorNumber() tells why the file could not be opened or read).
    int readHeader(std::string_view header);

    // The next line that is not empty (see ListLineKind). A line longer
    // than LIST_LINE_MAX is never held whole, and neither it nor a line
    // holding a NUL byte is taken for a path: a path is never cut short.
    int next(std::string& path);

    // The number of the line next() gave last, counting the header as 1.
    long long lineNumber() const { return line_; }
    // LIST_LINE_TOO_LONG or LIST_LINE_HAS_NUL for an invalid line.
    int invalidReason() const { return invalid_; }
    int errorNumber() const { return errorNumber_; }

private:
    bool rawLine(std::string& line, bool& tooLong);
    InFile file_;
    std::vector<char> buffer_;
    std::size_t at_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;  // the last raw line ended with an LF
    long long line_ = 0;
    int invalid_ = 0;
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
// holds a line break or a NUL is written empty; one longer than WINDOW_LIST_IMAGE_MAX
// bytes can't be read back: ENAMETOOLONG, and nothing is written.
int writeWindowList(const std::string& path, const RomList* list, const WindowListState& state);

// Reads what writeWindowList wrote. Results as for ListFileReader's
// readHeader, or LIST_LINE_TOO_LONG or LIST_LINE_HAS_NUL for a path line
// that can't be read back; a file without its two value lines is
// LIST_WRONG_HEADER. state is filled only
// when the result is LIST_READ_OK; the display mode is not checked.
int readWindowList(const std::string& path, WindowListState& state, int* errorNumber = nullptr);

// Every path of a list file, for tests and small tools: LIST_READ_OK, the
// code readHeader gave, or that of the first line that names no path.
// paths is filled only when the result is LIST_READ_OK.
int readListFile(const std::string& path, std::vector<std::string>& paths, int* errorNumber = nullptr);
