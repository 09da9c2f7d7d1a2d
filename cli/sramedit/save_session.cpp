// SPDX-License-Identifier: GPL-3.0-or-later
#include "save_session.h"

#include "sramedit_commands.h"

#include "file_io.h"
#include "path_text.h"
#include "save_file.h"
#include "save_messages.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace {

void printError(const std::string& text)
{
    // A file name may hold any control character: none reaches the terminal raw.
    std::fprintf(stderr, "sramedit-cli: %s\n", printableText(text).c_str());
}

}  // namespace

bool openSave(const std::string& path, OpenedSave& save)
{
    if (const int busy = save.lock.acquire(path); busy != 0) {
        reportFailure(saveFailure(SaveCode::Unreadable, path, busy));
        return false;
    }
    SaveResult read = readSaveFile(path, *save.slots, *save.records, save.packed, save.memory);
    if (read.ok()) return true;
    if (read == SaveCode::MemoryUnknown) read.subject = save.memoryOption;
    reportFailure(read);
    return false;
}

bool writeSave(const std::string& path, OpenedSave& save, WriteMode mode, const std::string& command)
{
    const SaveResult written =
        save.packed ? writePackedImage(path, *save.records, mode) : writeSaveImage(path, *save.slots, mode);
    if (written.ok()) return true;
    if (written.errorNumber == EEXIST && mode == WriteMode::CreateNew) {
        reportTaken(path, command);
    } else {
        reportFailure(written);
    }
    return false;
}

bool pathIsTaken(const std::string& path)
{
    // A link counts, even one that leads nowhere.
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

int reportTaken(const std::string& path, const std::string& command)
{
    const std::string what = command == "new" || command == "convert -o" ? " never overwrites a file"
                                                                           : " replaces a file only with --force";
    printError(path + ": already exists; " + command + what);
    return EXIT_FAILED;
}

int reportFailure(const SaveResult& result)
{
    printError(saveResultLine(result));
    return EXIT_FAILED;
}

int reportFailure(SaveResult result, const std::string& file)
{
    result.file = file;
    return reportFailure(result);
}

void reportWarning(const std::string& file, const std::string& text)
{
    printError(file + ": " + text);
}

void reportNotice(const std::string& message)
{
    std::printf("%s\n", message.c_str());
}
