// SPDX-License-Identifier: GPL-3.0-or-later
#include "list_file.h"

#include "file_io.h"
#include "ini_profile.h"
#include "path_text.h"
#include "rom_list.h"
#include "text_encoding.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// Windows line ends, so list files move freely between the platforms.
constexpr std::string_view LINE_END = "\r\n";
// What no line can hold: a line break would make it two lines, a NUL would
// make it name nothing when read back.
constexpr std::string_view NOT_IN_A_LINE("\r\n\0", 3);

// The line without the CR of its CR LF end.
std::string_view withoutCr(const std::string& line, bool hadLineEnd)
{
    std::string_view text = line;
    if (hadLineEnd && !text.empty() && text.back() == '\r') text.remove_suffix(1);
    return text;
}

// The header, the lines that come before the paths, then each entry's path,
// each line ended by CR LF; the file is replaced only when complete.
ListResult writeLines(const std::string& path, std::string_view header, const std::vector<std::string>& preface,
                      const RomList* list)
{
    if (list == nullptr) return {ListCode::CantOpen, EINVAL};
    if (unlistablePath(list) != nullptr) return {ListCode::PathHasLineBreak, 0};
    // A path read as CP932 can come out longer than the line it was read from.
    for (const RomEntry* e = list->head; e != nullptr; e = e->next) {
        if (e->path.size() > LIST_LINE_MAX) return {ListCode::CantOpen, ENAMETOOLONG};
    }
    AtomicFile file;
    if (!file.open(path)) return {ListCode::CantOpen, file.errorNumber()};
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
    if (!file.commit()) return {ListCode::CantOpen, file.errorNumber()};
    return {};
}

// The bytes a list file is read by.
constexpr std::size_t LIST_READ_CHUNK = 64 * 1024;

// Every path line after the header, each line valid.
ListResult readLines(const std::string& path, std::string_view header, std::vector<std::string>& lines)
{
    ListFileReader reader(path);
    ListResult result = reader.readHeader(header);
    std::vector<std::string> read;
    std::string line;
    while (result.ok()) {
        const ListLine kind = reader.next(line);
        if (kind == ListLine::End) break;
        if (kind == ListLine::Path) {
            read.push_back(std::move(line));
        } else {
            result.code = kind == ListLine::Failed ? ListCode::ReadFailed : reader.invalidReason();
        }
    }
    result.errorNumber = result == ListCode::LineTooLong ? LINE_TOO_LONG : reader.errorNumber();
    if (result.ok()) lines = std::move(read);
    return result;
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

ListFileReader::ListFileReader(const std::string& path) : file_(path)
{
    if (!file_.isOpen()) errorNumber_ = file_.errorNumber();
}

// The next line as the file holds it, without its LF; at most
// LIST_LINE_MAX + 1 bytes of it are kept (room for a CR after the longest
// path), and tooLong tells a line longer than that. False at the end of the
// file or after a read failure.
bool ListFileReader::rawLine(std::string& line, bool& tooLong)
{
    line.clear();
    tooLong = false;
    ended_ = false;
    bool any = false;
    for (;;) {
        if (at_ == end_) {
            if (buffer_.empty()) buffer_.resize(LIST_READ_CHUNK);
            at_ = 0;
            end_ = file_.read(buffer_.data(), buffer_.size());
            if (end_ == 0) {
                if (file_.errorNumber() != 0) errorNumber_ = file_.errorNumber();
                return any && errorNumber_ == 0;
            }
        }
        any = true;
        const char* start = buffer_.data() + at_;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', end_ - at_));
        const std::size_t n = lf != nullptr ? static_cast<std::size_t>(lf - start) : end_ - at_;
        const std::size_t room = LIST_LINE_MAX + 1 - std::min(line.size(), LIST_LINE_MAX + 1);
        if (n > room) tooLong = true;
        if (!tooLong) line.append(start, n);
        at_ += n;
        if (lf != nullptr) {
            ++at_;
            ended_ = true;
            return true;
        }
    }
}

ListResult ListFileReader::readHeader(std::string_view header)
{
    if (!file_.isOpen()) return {ListCode::CantOpen, errorNumber_};
    std::string line;
    bool tooLong = false;
    if (!rawLine(line, tooLong)) return {errorNumber_ != 0 ? ListCode::ReadFailed : ListCode::Empty, errorNumber_};
    line_ = 1;
    if (tooLong || withoutCr(line, ended_) != header) return {ListCode::WrongHeader, 0};
    return {};
}

ListLine ListFileReader::next(std::string& path)
{
    std::string line;
    bool tooLong = false;
    for (;;) {
        if (!rawLine(line, tooLong)) return errorNumber_ != 0 ? ListLine::Failed : ListLine::End;
        ++line_;
        const std::string_view text = withoutCr(line, ended_);
        // A line one byte too long ends where the reader stopped: still too long.
        if (tooLong || text.size() > LIST_LINE_MAX) {
            invalid_ = ListCode::LineTooLong;
            return ListLine::Invalid;
        }
        if (text.empty()) continue;
        // A NUL would end the path wherever the system reads it.
        if (text.find('\0') != std::string_view::npos) {
            invalid_ = ListCode::LineHasNul;
            return ListLine::Invalid;
        }
        path = decoder_.decode(text);
        return ListLine::Path;
    }
}

const std::string* unlistablePath(const RomList* list)
{
    for (const RomEntry* e = list != nullptr ? list->head : nullptr; e != nullptr; e = e->next) {
        if (e->path.find_first_of(NOT_IN_A_LINE) != std::string::npos) return &e->path;
    }
    return nullptr;
}

ListResult writeListFile(const std::string& path, const RomList* list)
{
    return writeLines(path, LIST_FILE_HEADER, {}, list);
}

ListResult readListFile(const std::string& path, std::vector<std::string>& paths)
{
    return readLines(path, LIST_FILE_HEADER, paths);
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

ListResult writeWindowList(const std::string& path, const RomList* list, const WindowListState& state)
{
    // The reader would refuse the whole list for it.
    if (state.imageName.size() > WINDOW_LIST_IMAGE_MAX) return {ListCode::CantOpen, ENAMETOOLONG};
    // An image name that would break its line (or hold a NUL, which no file
    // name holds) is not kept.
    const bool oneLine = state.imageName.find_first_of(NOT_IN_A_LINE) == std::string::npos;
    return writeLines(path, WINDOW_LIST_HEADER,
                      {std::string(SHOWS_KEY) + std::to_string(state.displayMode),
                       std::string(IMAGE_KEY) + (oneLine ? state.imageName : std::string())},
                      list);
}

ListResult readWindowList(const std::string& path, WindowListState& state)
{
    std::vector<std::string> lines;
    const ListResult read = readLines(path, WINDOW_LIST_HEADER, lines);
    if (!read.ok()) return read;
    if (lines.size() < 2 || !startsWith(lines[0], SHOWS_KEY) || !startsWith(lines[1], IMAGE_KEY)) {
        return {ListCode::WrongHeader, 0};
    }
    state.displayMode = leadingInt(std::string_view(lines[0]).substr(SHOWS_KEY.size()));
    state.imageName = lines[1].substr(IMAGE_KEY.size());
    state.paths.assign(lines.begin() + 2, lines.end());
    return {};
}
