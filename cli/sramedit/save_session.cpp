#include "save_session.h"

#include "sramedit_commands.h"

#include "file_io.h"
#include "packed_lines.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

bool openSave(const std::string& path, OpenedSave& save)
{
    if (const int busy = save.lock.acquire(path); busy != 0) {
        reportFailure(path + ": " + fileErrorText(busy));
        return false;
    }
    // Why a file can't be read is said once, before either reader tries it.
    if (reportIfUnreadable(path)) return false;
    const int packedCode = readPackedImage(path, *save.records, nullptr, save.memory);
    if (packedCode == 0) {
        save.packed = true;
        return true;
    }
    if (packedCode == 4) {
        reportFailure(memoryUnknownLine(path, save.memoryOption));
        return false;
    }
    save.packed = false;
    switch (readSaveImage(path, *save.slots)) {
    case 0:
        return true;
    case 1:
        reportFailure("File not found.");
        return false;
    case 2:
        reportFailure("Not a valid Korvalinde savefile.");
        return false;
    default:
        reportFailure("File read error");
        return false;
    }
}

bool writeSave(const std::string& path, OpenedSave& save, WriteMode mode, const std::string& command)
{
    int reason = 0;
    const int code = save.packed ? writePackedImage(path, *save.records, &reason, mode)
                                 : writeSaveImage(path, *save.slots, &reason, mode);
    if (code == 0) return true;
    if (reason == EEXIST && mode == WriteMode::CreateNew) {
        reportTaken(path, command);
        return false;
    }
    reportFailure("Cannot write " + path + ": " + fileErrorText(reason) + "; the file is unchanged.");
    return false;
}

bool reportIfUnreadable(const std::string& path)
{
    const int problem = regularFileProblem(path);
    if (problem == 0) return false;
    if (problem == ENOENT || problem == ENOTDIR) {
        reportFailure("File not found.");
    } else {
        reportFailure(path + ": " + fileErrorText(problem));
    }
    return true;
}

bool pathIsTaken(const std::string& path)
{
    // A link counts, even one that leads nowhere.
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

int reportTaken(const std::string& path, const std::string& command)
{
    if (command == "new" || command == "convert -o") {
        return reportFailure(path + " already exists; " + command + " never overwrites a file.");
    }
    return reportFailure(path + " already exists; " + command + " replaces a file only with --force.");
}

int reportFailure(const std::string& message)
{
    std::fprintf(stderr, "%s\n", message.c_str());
    return EXIT_FAILED;
}

void reportNotice(const std::string& message)
{
    std::printf("%s\n", message.c_str());
}
