// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_folder.h"
#include "rom_problem.h"
#include "romweld_commands.h"

#include "image_messages.h"
#include "path_text.h"
#include "report.h"
#include "rom_admission.h"
#include "rom_dump_check.h"
#include "rom_list.h"
#include "text_encoding.h"

#include <cstdio>

namespace {

// Whether the variant's emulator runs the entry's mapper, as the end of its line.
std::string mapperVerdict(const ShellVariant& variant, int mapper)
{
    if (!variant.mappers) return ", variant \"" + variant.name + "\" lists no mappers (not checked)";
    if (variantLacksMapper(variant, mapper)) return ", " + lacksMapperText(variant, mapper);
    return ", mapper supported by variant \"" + variant.name + "\"";
}

// One line for each ROM of a path (an archive has one for each NES ROM in
// it); false when it can't be read at all, or an archive member can't.
bool describeRom(const std::string& path, const ProgramFolder& folder, const ShellVariant* variant,
                 bool cleanTitles)
{
    // Admitted into a list of its own, the file gets exactly what the
    // window would give it.
    std::unique_ptr<RomList> list = romListCreate();
    if (!list) return false;
    CollectedReport report;
    const Admission admission = admitRomPath(list.get(), path, folder.settings, cleanTitles, report);
    if (admission.openError != 0) {
        printError(path + ": " + admissionProblemText(admission));
        return false;
    }
    if (admission.code == AdmitCode::NotNes) {
        std::printf("%s: not an iNES file, %lld bytes\n", printableText(path).c_str(),
                    static_cast<long long>(admission.notNesBytes));
    }
    for (const RomEntry* entry = list->head; entry != nullptr; entry = entry->next) {
        const int inImage = romImageMapper(*entry);
        std::string verdict = variant != nullptr ? mapperVerdict(*variant, inImage) : std::string();
        // A damaged header is repaired on its way into the image, which
        // changes the mapper the emulator sees.
        if (inImage != entry->mapper) {
            verdict = ", mapper " + std::to_string(inImage) + " in the image (damaged header repaired)" + verdict;
        }
        const std::string dump = dumpCheckText(checkRomDump(*entry));
        if (!dump.empty()) verdict += ", " + dump;
        std::printf("%s: %s, mapper %d, battery %s, %lld bytes, title \"%s\", PocketNES %d|%d|%d|%s%s\n",
                    printableText(entry->path).c_str(), entry->nes20 != 0 ? "NES 2.0" : "iNES", static_cast<int>(entry->mapper),
                    entry->battery != 0 ? "yes" : "no", static_cast<long long>(entry->sourceBytes),
                    cp932ToUtf8(entry->title.value_or("")).c_str(), static_cast<int>(entry->pocketFlags),
                    static_cast<int>(entry->pocketFollow), static_cast<int>(entry->pocketSlot),
                    cp932ToUtf8(entry->pocketTitle.value_or("")).c_str(), verdict.c_str());
    }
    return printAdmissionFindings(path, admission, report);
}

}  // namespace

int runInfo(const CliRequest& request)
{
    ProgramFolder folder;
    // The variants are needed only to judge mappers.
    std::vector<ShellVariant> table;
    const ShellVariant* variant = nullptr;
    if (request.variant) {
        if (!openProgramFolder(request.dir, folder, table)) return EXIT_FAILED;
        const int index = chooseVariant(request.variant, folder, table);
        if (index < 0) return EXIT_FAILED;
        variant = &table[static_cast<std::size_t>(index)];
    } else {
        std::string reason;
        if (!resolveProgramFolder(request.dir, folder, reason)) {
            printError(reason);
            return EXIT_FAILED;
        }
        loadFolderFiles(folder);
    }
    bool allRead = true;
    for (const std::string& path : request.files) {
        if (!describeRom(path, folder, variant, request.cleanTitles)) allRead = false;
    }
    return allRead ? EXIT_DONE : EXIT_FAILED;
}
