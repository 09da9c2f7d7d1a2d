#include "commands.h"
#include "program_folder.h"
#include "rom_problem.h"

#include "rom_admission.h"
#include "rom_file.h"
#include "rom_list.h"
#include "text_encoding.h"

#include <cstdio>
#include <sys/stat.h>

namespace {

long long exactSize(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
}

// One line for one file; false when it can't be read at all.
bool describeRom(const std::string& path, const ProgramFolder& folder)
{
    const std::string problem = openProblem(path);
    if (!problem.empty()) {
        printError(path + ": " + problem);
        return false;
    }
    // Admitted into a list of its own, the file gets exactly what the
    // window would give it.
    std::unique_ptr<RomList> list = romListCreate();
    RomEntry* entry = nullptr;
    if (!list || admitRomFile(list.get(), path, folder.settingsPath, &entry) != ADMIT_ADDED) {
        std::printf("%s: not an iNES file, %lld bytes\n", path.c_str(), exactSize(path));
        return true;
    }
    std::printf("%s: iNES, mapper %d, battery %s, %lld bytes, title \"%s\", PocketNES %d|%d|%d|%s\n",
                path.c_str(), static_cast<int>(entry->mapper), entry->battery != 0 ? "yes" : "no",
                exactSize(path), cp932ToUtf8(entry->title.value_or("")).c_str(),
                static_cast<int>(entry->pocketFlags), static_cast<int>(entry->pocketFollow),
                static_cast<int>(entry->pocketSlot), cp932ToUtf8(entry->pocketTitle.value_or("")).c_str());
    return true;
}

}  // namespace

int runInfo(const CliRequest& request)
{
    ProgramFolder folder;
    std::string reason;
    if (!resolveProgramFolder(request.dir, folder, reason)) {
        printError(reason);
        return EXIT_FAILED;
    }
    bool allRead = true;
    for (const std::string& path : request.files) {
        if (!describeRom(path, folder)) allRead = false;
    }
    return allRead ? EXIT_DONE : EXIT_FAILED;
}
