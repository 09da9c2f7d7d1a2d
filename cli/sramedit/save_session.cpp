#include "save_session.h"

#include "commands.h"

#include <cstdio>
#include <filesystem>

bool openSave(const std::string& path, OpenedSave& save)
{
    // A missing file would otherwise be reported once by each reader.
    if (reportIfMissing(path)) return false;
    if (readPackedImage(path, *save.records) == 0) {
        save.packed = true;
        return true;
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

bool writeSave(const std::string& path, OpenedSave& save)
{
    const int code = save.packed ? writePackedImage(path, *save.records) : writeSaveImage(path, *save.slots);
    if (code == 0) return true;
    reportFailure("Cannot write " + path + "; the file is unchanged.");
    return false;
}

bool reportIfMissing(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return false;
    reportFailure("File not found.");
    return true;
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
