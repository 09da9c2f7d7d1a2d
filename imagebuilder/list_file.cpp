#include "list_file.h"

#include "file_io.h"
#include "rom_list.h"
#include "text_encoding.h"

#include <cerrno>

namespace {

// Windows line ends, so list files move freely between the platforms.
constexpr std::string_view LINE_END = "\r\n";

// The line without the CR of its CR LF end.
std::string_view withoutCr(const std::string& line, bool hadLineEnd)
{
    std::string_view text = line;
    if (hadLineEnd && !text.empty() && text.back() == '\r') text.remove_suffix(1);
    return text;
}

}  // namespace

const std::string* unlistablePath(const RomList* list)
{
    for (const RomEntry* e = list != nullptr ? list->head : nullptr; e != nullptr; e = e->next) {
        if (e->path.find_first_of("\r\n") != std::string::npos) return &e->path;
    }
    return nullptr;
}

int writeListFile(const std::string& path, const RomList* list)
{
    if (list == nullptr) return EINVAL;
    if (unlistablePath(list) != nullptr) return LIST_PATH_HAS_LINE_BREAK;
    // A path read as CP932 can come out longer than the line it was read from.
    for (const RomEntry* e = list->head; e != nullptr; e = e->next) {
        if (e->path.size() > LIST_LINE_MAX) return ENAMETOOLONG;
    }
    AtomicFile file;
    if (!file.open(path)) return file.errorNumber();
    file.write(LIST_FILE_HEADER.data(), LIST_FILE_HEADER.size());
    file.write(LINE_END.data(), LINE_END.size());
    for (const RomEntry* e = list->head; e != nullptr; e = e->next) {
        file.write(e->path);
        file.write(LINE_END.data(), LINE_END.size());
    }
    return file.commit() ? 0 : file.errorNumber();
}

int readListFile(const std::string& path, std::vector<std::string>& paths, int* errorNumber)
{
    InFile file(path);
    const auto failure = [&](int code) {
        if (errorNumber != nullptr) *errorNumber = file.errorNumber();
        return code;
    };
    if (errorNumber != nullptr) *errorNumber = 0;
    if (!file.isOpen()) return failure(LIST_CANT_OPEN);

    // The header and each path line are bounded, so a file without line
    // ends is refused without being read into memory.
    std::string line;
    bool ended = false;
    if (!file.readLine(line, LIST_LINE_MAX + 1, &ended)) {
        if (file.lineTooLong()) return failure(LIST_WRONG_HEADER);
        return failure(file.readFailed() ? LIST_READ_FAILED : LIST_EMPTY);
    }
    if (withoutCr(line, ended) != LIST_FILE_HEADER) return failure(LIST_WRONG_HEADER);

    std::vector<std::string> read;
    LegacyTextDecoder decoder;
    while (file.readLine(line, LIST_LINE_MAX + 1, &ended)) {
        const std::string_view text = withoutCr(line, ended);
        // A line one byte too long ends where the reader stops: still too long.
        if (text.size() > LIST_LINE_MAX) {
            if (errorNumber != nullptr) *errorNumber = LINE_TOO_LONG;
            return LIST_LINE_TOO_LONG;
        }
        read.push_back(decoder.decode(text));
    }
    if (file.lineTooLong()) return failure(LIST_LINE_TOO_LONG);
    if (file.readFailed()) return failure(LIST_READ_FAILED);

    paths = std::move(read);
    return LIST_READ_OK;
}
