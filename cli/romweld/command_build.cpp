#include "build_report.h"
#include "commands.h"
#include "program_folder.h"
#include "rom_problem.h"

#include "file_io.h"
#include "image_writer.h"
#include "ini_profile.h"
#include "list_file.h"
#include "path_text.h"
#include "rom_admission.h"
#include "rom_list.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The values the window's "Create Image" passes to the header fixer.
constexpr std::string_view DEFAULT_GBA_TITLE = "Korvalinde";
constexpr std::string_view GAME_CODE = "KVL";
constexpr std::string_view MAKER_CODE = "ZQ";

std::string listFileProblem(const std::string& path, int code)
{
    switch (code) {
    case LIST_CANT_OPEN: {
        const std::string problem = openProblem(path);
        return problem.empty() ? "Can't Open File" : "Can't Open File (" + problem + ")";
    }
    case LIST_EMPTY: return "Read Error: the file is empty";
    case LIST_WRONG_HEADER:
        return "Wrong List File Error: the first line is not \"" + std::string(LIST_FILE_HEADER) + "\"";
    default: return "Read Error";
    }
}

// The list file's paths, then the arguments: each admitted as the window
// admits a file. False when a file is not a ROM (every such file is named).
bool collectRoms(const CliRequest& request, const ProgramFolder& folder, RomList* list)
{
    std::vector<std::string> paths;
    if (request.listFile) {
        const int code = readListFile(*request.listFile, paths);
        if (code != LIST_READ_OK) {
            printError(*request.listFile + ": " + listFileProblem(*request.listFile, code));
            return false;
        }
    }
    paths.insert(paths.end(), request.files.begin(), request.files.end());

    bool allRoms = true;
    for (const std::string& path : paths) {
        // A path listed already (letter case ignored) is skipped, as in the window.
        int openError = 0;
        if (admitRomFile(list, path, folder.settings, nullptr, &openError) == ADMIT_NOT_NES) {
            printError(path + ": " + notNesReason(openError));
            allRoms = false;
        }
    }
    return allRoms;
}

long long sizeOfFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

}  // namespace

int runBuild(const CliRequest& request)
{
    ProgramFolder folder;
    std::vector<ShellVariant> table;
    if (!openProgramFolder(request.dir, folder, table)) return EXIT_FAILED;
    const int index = chooseVariant(request.variant, folder, table);
    if (index < 0) return EXIT_FAILED;
    const ShellVariant& variant = table[static_cast<std::size_t>(index)];

    std::unique_ptr<RomList> list = romListCreate();
    if (!list) {
        printError("out of memory");
        return EXIT_FAILED;
    }
    if (!collectRoms(request, folder, list.get())) return EXIT_FAILED;
    if (list->count == 0) {
        printError("no NES ROMs to write");
        return EXIT_FAILED;
    }

    const std::string& output = *request.output;
    // The image writer refuses to replace the files the image is made of;
    // the list file and the settings are read for it too.
    if ((request.listFile && isSameFile(output, *request.listFile)) || isSameFile(output, folder.settingsPath)) {
        printError(output + ": is one of the image's own input files");
        return EXIT_FAILED;
    }
    // An image larger than a cartridge runs nowhere; the user must ask for it.
    const std::int64_t size = exactImageSize(folder.dir, folder.config, list.get(), variant.name);
    if (size > GBA_CARTRIDGE_MAX && !request.allowOversize) {
        printError(output + ": the image would be " + std::to_string(size) + " bytes, more than the 32 MiB (" +
                   std::to_string(GBA_CARTRIDGE_MAX) +
                   " bytes) a GBA cartridge can hold; it would not run (--allow-oversize writes it anyway)");
        return EXIT_FAILED;
    }
    // A ROM whose mapper the emulator lacks shows a black screen; it is
    // still written, as the user asked.
    for (const RomEntry* e = list->head; e != nullptr; e = e->next) {
        if (variantLacksMapper(variant, e->mapper)) printWarning(e->path + ": " + lacksMapperText(variant, e->mapper));
    }
    const GbaHeaderFields header{request.gbaTitle.value_or(std::string(DEFAULT_GBA_TITLE)), std::string(GAME_CODE),
                                 std::string(MAKER_CODE)};
    BuildReport report(::isatty(STDERR_FILENO) != 0);
    const int written = writeImage(folder.dir, folder.config, output, list.get(), variant.name,
                                   request.fixHeader ? &header : nullptr, report);
    report.finish();
    if (written != IMAGE_WRITTEN) {
        printError(output + ": no image was written; a file that was there is unchanged");
        return EXIT_FAILED;
    }
    std::printf("%s: %lld bytes, %d ROMs, variant %s (%s)\n", output.c_str(), sizeOfFile(output),
                static_cast<int>(list->count), variant.name.c_str(), layoutName(variant).c_str());
    return EXIT_DONE;
}
