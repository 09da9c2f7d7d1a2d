// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_folder.h"
#include "romweld_commands.h"

#include <cstdio>

int runVariants(const CliRequest& request)
{
    ProgramFolder folder;
    std::vector<ShellVariant> table;
    if (!openProgramFolder(request.dir, folder, table)) return EXIT_FAILED;
    // Standard output stays the plain table for scripts; which files were
    // used goes beside it, since installed and portable folders differ.
    printError("using " + configPathOf(folder.dir) + " and the settings file " + folder.settingsPath);
    // Variants the window would silently leave out are named, with the reason.
    for (const std::string& name : listedVariantNames(folder.config)) {
        if (findVariant(table, name) < 0) {
            printError("variant \"" + name + "\" left out: " + explainUnusableVariant(folder, name));
        }
    }
    for (const ShellVariant& v : table) {
        std::printf("%s\t%s\t%d\n", v.name.c_str(), layoutName(v).c_str(), static_cast<int>(v.imageSize));
    }
    return EXIT_DONE;
}
