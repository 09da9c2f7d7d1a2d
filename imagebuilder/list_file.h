// List files: a header line, then one ROM path per line, in list order.
#pragma once

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
// can't be written (it would read back as two paths): LIST_PATH_HAS_LINE_BREAK,
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
    LIST_LINE_TOO_LONG = 5,  // "Wrong List File Error": a line beyond LIST_LINE_MAX
};

// Reads the paths that follow the header (CR LF or LF line ends; the last
// line may lack one; a line that is not valid UTF-8 is read as CP932).
// paths is filled only when the result is LIST_READ_OK. *errorNumber (when
// given) tells why the file could not be opened or read.
int readListFile(const std::string& path, std::vector<std::string>& paths, int* errorNumber = nullptr);

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

// Reads what writeWindowList wrote. Results as for readListFile; a file
// without its two value lines is LIST_WRONG_HEADER. state is filled only
// when the result is LIST_READ_OK; the display mode is not checked.
int readWindowList(const std::string& path, WindowListState& state, int* errorNumber = nullptr);
