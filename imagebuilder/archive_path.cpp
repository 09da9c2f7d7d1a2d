// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive_path.h"

#include "file_io.h"
#include "path_text.h"

#include <array>

namespace {

constexpr std::array<std::string_view, 3> ARCHIVE_EXTENSIONS = {".zip", ".7z", ".gz"};
constexpr std::string_view GZIP_EXTENSION = ".gz";

bool endsWithNoCase(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && compareNoCase(text.substr(text.size() - tail.size()), tail) == 0;
}

}  // namespace

bool isArchivePath(std::string_view path)
{
    const std::string_view name = path.substr(fileNamePart(path));
    for (std::string_view extension : ARCHIVE_EXTENSIONS) {
        // ".zip" alone is a hidden file's name, not an archive called "".
        if (name.size() > extension.size() && endsWithNoCase(name, extension)) return true;
    }
    return false;
}

bool isGzipPath(std::string_view path)
{
    return isArchivePath(path) && endsWithNoCase(path, GZIP_EXTENSION);
}

bool splitArchiveEntry(std::string_view name, std::string& archive, std::string& member)
{
    if (name.find(ARCHIVE_MEMBER_MARK) == std::string_view::npos) return false;
    // A file or folder that is there by the whole name is that file.
    const std::string whole(name);
    if (fileFactsOf(whole).exists) return false;
    std::size_t chosen = std::string_view::npos;
    for (std::size_t mark = name.find(ARCHIVE_MEMBER_MARK); mark != std::string_view::npos;
         mark = name.find(ARCHIVE_MEMBER_MARK, mark + 1)) {
        const std::string_view left = name.substr(0, mark);
        const std::string_view right = name.substr(mark + ARCHIVE_MEMBER_MARK.size());
        if (right.empty() || !isArchivePath(left)) continue;
        // The first split whose archive is there wins; without any, the first.
        if (fileFactsOf(std::string(left)).problem == 0) {
            chosen = mark;
            break;
        }
        if (chosen == std::string_view::npos) chosen = mark;
    }
    if (chosen == std::string_view::npos) return false;
    archive = std::string(name.substr(0, chosen));
    member = std::string(name.substr(chosen + ARCHIVE_MEMBER_MARK.size()));
    return true;
}

bool isArchiveEntry(std::string_view name)
{
    std::string archive;
    std::string member;
    return splitArchiveEntry(name, archive, member);
}

std::string joinArchiveEntry(std::string_view archive, std::string_view member)
{
    std::string name(archive);
    name += ARCHIVE_MEMBER_MARK;
    name += member;
    return name;
}

std::string romFileNameOf(std::string_view name)
{
    std::string archive;
    std::string member;
    if (splitArchiveEntry(name, archive, member)) return fileNameOf(member);
    return fileNameOf(name);
}

std::string romFileStemOf(std::string_view name)
{
    std::string stem = romFileNameOf(name);
    const std::size_t dot = stem.rfind('.');
    if (dot != std::string::npos) stem.resize(dot);
    return stem;
}

std::string gzipMemberName(std::string_view gzipPath)
{
    std::string name = fileNameOf(gzipPath);
    if (endsWithNoCase(name, GZIP_EXTENSION)) name.resize(name.size() - GZIP_EXTENSION.size());
    return name.empty() ? std::string("data") : name;
}
