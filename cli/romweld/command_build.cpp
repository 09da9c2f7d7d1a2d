// SPDX-License-Identifier: GPL-3.0-or-later
#include "build_report.h"
#include "guarded_files.h"
#include "program_folder.h"
#include "rom_problem.h"
#include "romweld_commands.h"

#include "archive_path.h"
#include "archive_reader.h"
#include "file_io.h"
#include "gba_header.h"
#include "image_messages.h"
#include "image_writer.h"
#include "ini_profile.h"
#include "list_admission.h"
#include "list_file.h"
#include "path_text.h"
#include "problem_summary.h"
#include "report.h"
#include "rom_admission.h"
#include "rom_list.h"
#include "splash_screen.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

// The list file's paths, then the arguments: each admitted as the window
// admits a file (an archive by each NES ROM in it). False when a file is
// not a ROM or can't be read: such files are named in one summary, the
// first few by name and then how many more.
bool collectRoms(const CliRequest& request, const ProgramFolder& folder, RomList* list)
{
    ProblemSummary problems;
    // Members of one archive, listed in their order, are read in one pass.
    ArchiveMemberReader archives;
    bool readWhole = true;
    if (request.listFile) {
        const std::string& listPath = *request.listFile;
        ListFileReader reader(listPath);
        const ListResult header = reader.readHeader(LIST_FILE_HEADER);
        if (!header.ok()) {
            printError(listPath + ": " + listFileProblemLine(header));
            return false;
        }
        const ListAdmission admitted =
            admitListPaths(reader, listPath, list, folder.settings, request.cleanTitles, problems, &archives);
        printAdmissionWarnings(listPath, admitted.skipped, admitted.caseTwins);
        if (admitted.stop != ListStop::ReadAll) {
            printError(listPath + ": " + listStopText(admitted));
            readWhole = false;
        }
    }
    for (const std::string& path : request.files) {
        // A ROM listed already (the same file) is skipped, as in the window.
        const Admission admission =
            admitRomPath(list, path, folder.settings, request.cleanTitles, problems, &archives);
        if (admission.code == AdmitCode::NotNes) problems.problem(path, admissionProblemText(admission));
        printAdmissionWarnings(path, admission.skipped, admission.caseTwins);
    }
    for (const std::string& line : problems.lines()) printError(line);
    return readWhole && problems.empty();
}

// The size of an image just written, for the line that tells it; -1 when
// it can't be asked.
long long writtenBytes(const std::string& path)
{
    const FileFacts facts = fileFactsOf(path);
    return facts.exists ? static_cast<long long>(facts.size) : -1;
}

// The one line that refuses an image larger than a cartridge.
std::string oversizeText(const std::string& output, std::int64_t size)
{
    return output + ": the image would be " + std::to_string(size) + " bytes, more than the 32 MiB (" +
           std::to_string(GBA_CARTRIDGE_MAX) +
           " bytes) a GBA cartridge can hold; it would not run (--allow-oversize writes it anyway)";
}

// What every image of a build shares.
struct BuildSetup {
    const CliRequest& request;
    const ProgramFolder& folder;
    const ShellVariant& variant;
    GbaHeaderFields header;
    GuardedFiles guarded;
    ImageExtras extras;
};

// Writes one image; false after a line saying it was not written.
bool writeOneImage(const BuildSetup& setup, const std::string& output, const RomList* list,
                   ArchiveMemberReader* archives = nullptr)
{
    // --each prints one line per image, and --quiet none per record.
    BuildReport report(::isatty(STDERR_FILENO) != 0, !setup.request.quiet && !setup.request.each);
    const ImageWrite written =
        writeImage(setup.folder.dir, setup.folder.config, output, list, setup.variant.name,
                   setup.request.fixHeader ? &setup.header : nullptr, report, setup.request.pad, setup.extras,
                   archives);
    report.finish();
    if (written == ImageWrite::Written) return true;
    // The lines the writer gave name the file and the reason; only a build
    // that stopped without one gets a line of its own.
    if (report.problems() == 0) printError(output + ": no image was written; a file that was there is unchanged");
    return false;
}

int buildOne(const BuildSetup& setup, const RomList* list)
{
    const std::string& output = *setup.request.output;
    const std::string refused = setup.guarded.refusal(output);
    if (!refused.empty()) {
        printError(output + ": " + refused);
        return EXIT_FAILED;
    }
    // An image larger than a cartridge runs nowhere; the user must ask for it.
    const std::int64_t size =
        exactImageSize(setup.folder.dir, setup.folder.config, list, setup.variant.name, setup.extras);
    if (size > GBA_CARTRIDGE_MAX && !setup.request.allowOversize) {
        printError(oversizeText(output, size));
        return EXIT_FAILED;
    }
    if (!writeOneImage(setup, output, list)) return EXIT_FAILED;
    std::printf("%s: %lld bytes, %d ROMs, variant %s (%s)%s\n", printableText(output).c_str(), writtenBytes(output),
                static_cast<int>(list->count), setup.variant.name.c_str(), layoutName(setup.variant).c_str(),
                setup.extras.splash != nullptr ? ", splash screen" : "");
    return EXIT_DONE;
}

// A list of one ROM with everything its entry carries.
std::unique_ptr<RomList> listOfOne(const RomEntry& entry)
{
    std::unique_ptr<RomList> list = romListCreate();
    if (list == nullptr || romListAddCopy(list.get(), entry) == nullptr) return nullptr;
    return list;
}

// One image per ROM in the folder -o names. Everything that would stop an
// image (a name two ROMs share, an image already there without --force, an
// image too large) is found before the first one is written, so a refused
// run writes nothing.
int buildEach(const BuildSetup& setup, const RomList* list)
{
    std::string folder = *setup.request.output;
    if (!isFolder(folder)) {
        printError(folder + ": not a folder; --each writes its images into an existing folder");
        return EXIT_FAILED;
    }
    if (folder.back() != '/') folder += '/';

    struct Planned {
        const RomEntry* entry;
        std::string output;
        std::unique_ptr<RomList> list;
    };
    std::vector<Planned> images;
    bool refused = false;
    for (const RomEntry* e = list->head; e != nullptr; e = e->next) {
        Planned image{e, folder + eachImageName(e->path), listOfOne(*e)};
        if (!image.list) {
            printError("out of memory");
            return EXIT_FAILED;
        }
        const std::string unnamed = eachImageNameProblem(e->path);
        if (!unnamed.empty()) {
            printError(e->path + ": " + unnamed);
            refused = true;
            continue;
        }
        // Names are compared as a FAT-formatted SD card would: letter case ignored.
        for (const Planned& earlier : images) {
            if (compareNoCase(earlier.output, image.output) == 0) {
                printError(image.output + ": both " + earlier.entry->path + " and " + e->path +
                           " would make this image");
                refused = true;
            }
        }
        // Each image's own build knows only its one ROM and its variant:
        // the other ROMs and every variant's files are guarded here.
        const std::string guarded = setup.guarded.refusal(image.output);
        if (!guarded.empty()) {
            printError(image.output + ": " + guarded);
            refused = true;
        } else if (!setup.request.force && fileFactsOf(image.output).exists) {
            printError(image.output + ": is there already (--force replaces it)");
            refused = true;
        }
        const std::int64_t size = exactImageSize(setup.folder.dir, setup.folder.config, image.list.get(),
                                                 setup.variant.name, setup.extras);
        if (size > GBA_CARTRIDGE_MAX && !setup.request.allowOversize) {
            printError(oversizeText(image.output, size));
            refused = true;
        }
        images.push_back(std::move(image));
    }
    if (refused) return EXIT_FAILED;

    // One reader for all the images, told of every member ahead: each
    // archive is read once, whatever the order of the ROMs.
    ArchiveMemberReader archives;
    for (const Planned& image : images) {
        std::string archive;
        std::string member;
        if (splitArchiveEntry(image.entry->path, archive, member)) archives.expect(archive, member);
    }
    bool allWritten = true;
    for (const Planned& image : images) {
        if (!writeOneImage(setup, image.output, image.list.get(), &archives)) {
            allWritten = false;
            continue;
        }
        std::printf("%s: %lld bytes, %s, variant %s (%s)\n", printableText(image.output).c_str(),
                    writtenBytes(image.output), printableText(image.entry->path).c_str(), setup.variant.name.c_str(),
                    layoutName(setup.variant).c_str());
    }
    return allWritten ? EXIT_DONE : EXIT_FAILED;
}

}  // namespace

std::string eachImageName(std::string_view romPath)
{
    return romFileStemOf(romPath) + ".gba";
}

std::string eachImageNameProblem(std::string_view romPath)
{
    const std::string stem = romFileStemOf(romPath);
    if (hasControlCharacter(stem)) return "its name holds control characters, which no image name may hold";
    // ".nes" would give ".gba", a file that file managers and card menus hide.
    if (stem.empty() || stem.front() == '.') {
        return "its name would make the hidden image name \"" + eachImageName(romPath) + "\"";
    }
    return {};
}

int runBuild(const CliRequest& request)
{
    ProgramFolder folder;
    std::vector<ShellVariant> table;
    if (!openProgramFolder(request.dir, folder, table)) return EXIT_FAILED;
    const int index = chooseVariant(request.variant, folder, table);
    if (index < 0) return EXIT_FAILED;
    const ShellVariant& variant = table[static_cast<std::size_t>(index)];
    // The picture is read before any ROM, and refused with one line.
    SplashLoad splash;
    if (request.splash) {
        if (variant.isPocketNes != 1) {
            printError(splashNeedsPocketNesText(variant.name));
            return EXIT_FAILED;
        }
        splash = loadSplashScreen(*request.splash);
        if (splash.code != SplashCode::Ok) {
            printError(splashProblemText(*request.splash, splash));
            return EXIT_FAILED;
        }
    }

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

    // A ROM whose mapper the emulator lacks shows a black screen; it is
    // still written, as the user asked.
    for (const RomEntry* e = list->head; e != nullptr; e = e->next) {
        const int mapper = romImageMapper(*e);
        if (variantLacksMapper(variant, mapper)) printWarning(e->path + ": " + lacksMapperText(variant, mapper));
    }
    if (!printDumpChecks(list.get(), request.allowBadDumps, request.trimOverdumps)) return EXIT_FAILED;
    const BuildSetup setup{request, folder, variant,
                           GbaHeaderFields{request.gbaTitle.value_or(std::string(GBA_DEFAULT_TITLE)),
                                           std::string(GBA_DEFAULT_GAME_CODE), std::string(GBA_DEFAULT_MAKER_CODE)},
                           GuardedFiles(folder, request.listFile, list.get(), request.splash),
                           ImageExtras{request.splash ? &splash.bytes : nullptr, request.trimOverdumps}};
    return request.each ? buildEach(setup, list.get()) : buildOne(setup, list.get());
}
