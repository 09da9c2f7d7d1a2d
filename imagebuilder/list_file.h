// List files: a header line, then one ROM path per line, in list order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct RomList;

constexpr std::string_view LIST_FILE_HEADER = "### ROMWELD NES List ###";

// Writes the header and every entry's path, each line ended by CR LF. The
// file is replaced only when complete. 0 written; 1 the file could not be
// created or written.
int writeListFile(const std::string& path, const RomList* list);

enum ListReadCode {
    LIST_READ_OK = 0,
    LIST_CANT_OPEN = 1,      // "Can't Open File"
    LIST_EMPTY = 2,          // "Read Error": not even a first line
    LIST_WRONG_HEADER = 3,   // "Wrong List File Error": first line not the header, case significant
    LIST_READ_FAILED = 4,    // the system failed while reading
};

// Reads the paths that follow the header (CR LF or LF line ends; the last
// line may lack one; a line that is not valid UTF-8 is read as CP932).
// paths is filled only when the result is LIST_READ_OK.
int readListFile(const std::string& path, std::vector<std::string>& paths);
