#include "list_file.h"

#include "file_io.h"
#include "ini_profile.h"
#include "path_text.h"
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

// The header, the lines that come before the paths, then each entry's path,
// each line ended by CR LF; the file is replaced only when complete.
int writeLines(const std::string& path, std::string_view header, const std::vector<std::string>& preface,
               const RomList* list)
{
    if (list == nullptr) return EINVAL;
    if (unlistablePath(list) != nullptr) return LIST_PATH_HAS_LINE_BREAK;
    // A path read as CP932 can come out longer than the line it was read from.
    for (const RomEntry* e = list->head; e != nullptr; e = e->next) {
        if (e->path.size() > LIST_LINE_MAX) return ENAMETOOLONG;
    }
    AtomicFile file;
    if (!file.open(path)) return file.errorNumber();
    file.write(header.data(), header.size());
    file.write(LINE_END.data(), LINE_END.size());
    for (const std::string& line : preface) {
        file.write(line);
        file.write(LINE_END.data(), LINE_END.size());
    }
    for (const RomEntry* e = list->head; e != nullptr; e = e->next) {
        file.write(e->path);
        file.write(LINE_END.data(), LINE_END.size());
    }
    return file.commit() ? 0 : file.errorNumber();
}

// Every line after the header.
int readLines(const std::string& path, std::string_view header, std::vector<std::string>& lines, int* errorNumber)
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
    if (withoutCr(line, ended) != header) return failure(LIST_WRONG_HEADER);

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

    lines = std::move(read);
    return LIST_READ_OK;
}

// The window list's lines before its paths, each a key and its value.
constexpr std::string_view SHOWS_KEY = "shows=";
constexpr std::string_view IMAGE_KEY = "image=";
static_assert(WINDOW_LIST_IMAGE_MAX + IMAGE_KEY.size() == LIST_LINE_MAX);

bool startsWith(std::string_view text, std::string_view head)
{
    return text.substr(0, head.size()) == head;
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
    return writeLines(path, LIST_FILE_HEADER, {}, list);
}

int readListFile(const std::string& path, std::vector<std::string>& paths, int* errorNumber)
{
    return readLines(path, LIST_FILE_HEADER, paths, errorNumber);
}

std::string windowListPathFor(const std::string& settingsPath)
{
    if (settingsPath.empty()) return {};
    constexpr std::string_view SETTINGS_EXTENSION = ".ini";
    std::string path = settingsPath;
    const std::size_t name = fileNamePart(path);
    if (path.size() - name > SETTINGS_EXTENSION.size() &&
        compareNoCase(std::string_view(path).substr(path.size() - SETTINGS_EXTENSION.size()), SETTINGS_EXTENSION) == 0) {
        path.resize(path.size() - SETTINGS_EXTENSION.size());
    }
    return path + "-window.lst";
}

int writeWindowList(const std::string& path, const RomList* list, const WindowListState& state)
{
    // The reader would refuse the whole list for it.
    if (state.imageName.size() > WINDOW_LIST_IMAGE_MAX) return ENAMETOOLONG;
    // An image name that would break its line (or hold a NUL, which no file
    // name holds) is not kept.
    const bool oneLine = state.imageName.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
    return writeLines(path, WINDOW_LIST_HEADER,
                      {std::string(SHOWS_KEY) + std::to_string(state.displayMode),
                       std::string(IMAGE_KEY) + (oneLine ? state.imageName : std::string())},
                      list);
}

int readWindowList(const std::string& path, WindowListState& state, int* errorNumber)
{
    std::vector<std::string> lines;
    const int read = readLines(path, WINDOW_LIST_HEADER, lines, errorNumber);
    if (read != LIST_READ_OK) return read;
    if (lines.size() < 2 || !startsWith(lines[0], SHOWS_KEY) || !startsWith(lines[1], IMAGE_KEY)) {
        return LIST_WRONG_HEADER;
    }
    state.displayMode = leadingInt(std::string_view(lines[0]).substr(SHOWS_KEY.size()));
    state.imageName = lines[1].substr(IMAGE_KEY.size());
    state.paths.assign(lines.begin() + 2, lines.end());
    return LIST_READ_OK;
}
