// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_folder.h"

#include "romweld_commands.h"

#include "file_io.h"
#include "image_messages.h"
#include "ini_profile.h"
#include "path_text.h"
#include "program_folders.h"
#include "program_paths.h"

#include <cerrno>

namespace {

// Why a file can't go into an image ("empty" among the reasons), or "".
std::string fileProblem(const std::string& path)
{
    const FileFacts facts = fileFactsOf(path);
    if (facts.problem != 0) return fileErrorText(facts.problem);
    if (facts.size == 0) return "empty";
    return {};
}

}  // namespace

bool resolveProgramFolder(const std::optional<std::string>& dir, ProgramFolder& folder,
                          std::string& reason)
{
    if (dir) {
        const FileFacts facts = fileFactsOf(*dir);
        if (facts.problem != EISDIR) {
            // Anything there that is not a folder is "Not a directory".
            reason = *dir + ": " + fileErrorText(facts.exists ? ENOTDIR : facts.problem);
            return false;
        }
        folder.dir = *dir;
        if (folder.dir.back() != '/') folder.dir += '/';
        folder.settingsPath = settingsPathOf(folder.dir + "romweld");
        folder.searched = {folder.dir};
        folder.origin = "from --dir";
        return true;
    }
    const RomweldFolders found =
        findRomweldFolders(programDirOf(currentExecutablePath()) + "romweld", currentFolderEnvironment());
    folder.dir = found.configDir;
    folder.settingsPath = found.settingsPath;
    folder.searched = found.searched;
    folder.origin = found.portable ? "beside this program" : "found in the XDG data folders";
    return true;
}

std::string describeProgramFolder(const ProgramFolder& folder)
{
    std::string text;
    if (folder.dir.empty()) {
        text = "No romweld.cfg found; looked in " + joinFolders(folder.searched, ", ") + "\n";
    } else {
        text = "Folder in use: " + folder.dir + " (" + folder.origin + ")\n";
    }
    return text + "Settings file: " + (folder.settingsPath.empty() ? "none (no HOME)" : folder.settingsPath) + "\n";
}

void loadFolderFiles(ProgramFolder& folder)
{
    if (!folder.dir.empty()) folder.config = IniSnapshot::load(configPathOf(folder.dir));
    if (folder.settingsPath.empty()) return;
    folder.settings = IniSnapshot::load(folder.settingsPath);
    // A settings file that can't be read gives no titles and no variant:
    // the command goes on as without one, but not in silence.
    if (folder.settings.errorNumber() != 0) {
        printWarning(folder.settingsPath + ": " + fileErrorText(folder.settings.errorNumber()) +
                     "; romweld-cli goes on without the titles, options and variant it keeps");
    }
}

std::string explainNoVariants(const ProgramFolder& folder)
{
    const std::string configPath = configPathOf(folder.dir);
    const std::string problem = fileProblem(configPath);
    if (!problem.empty() && problem != "empty") return configPath + ": " + problem;
    const IniSnapshot& config = folder.config;
    if (config.errorNumber() != 0) {
        return configPath + ": " + fileErrorText(config.errorNumber()) + "; it is not read";
    }
    const auto num = config.value("list", "num");
    if (!num || num->empty()) {
        return configPath + ": no \"num\" in section \"list\", so no shell variant is listed";
    }
    const int n = leadingInt(*num);
    if (n <= 0) return configPath + ": \"num\" of section \"list\" is " + *num + "; it must be 1 or more";
    if (n > MAX_VARIANT_SLOTS) {
        return configPath + ": \"num\" of section \"list\" is " + *num + ", more than " +
               std::to_string(MAX_VARIANT_SLOTS) + " variants";
    }
    const std::vector<std::string> names = listedVariantNames(config);
    if (names.empty()) return configPath + ": the \"list\" section names no variant (list0, list1, ...)";
    // Each variant with the file it lacks, so the user knows what to copy.
    std::string missing;
    for (const std::string& name : names) {
        missing += (missing.empty() ? "" : "; ") + ("\"" + name + "\": " + explainUnusableVariant(folder, name));
    }
    return configPath + ": no listed shell variant can be used: " + missing;
}

std::string explainUnusableVariant(const ProgramFolder& folder, const std::string& name)
{
    const IniSnapshot& config = folder.config;
    const std::string& programDir = folder.dir;
    const std::string shell = shellFileOf(config, name);
    std::string problem = fileProblem(programDir + shell);
    if (!problem.empty()) return "shell " + shell + ": " + problem;
    const std::vector<std::string> values = extraFileValuesOf(config, name);
    for (std::size_t n = 0; n < values.size(); ++n) {
        ExtraFile extra;
        if (!splitExtraFile(values[n], extra)) {
            return extraValueText(n, values[n]);
        }
        problem = fileProblem(programDir + extra.path);
        if (!problem.empty()) return "extra file " + extra.path + ": " + problem;
    }
    return "its files take no room";
}

int findVariant(const std::vector<ShellVariant>& table, const std::string& name)
{
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (compareNoCase(table[i].name, name) == 0) return static_cast<int>(i);
    }
    return -1;
}

std::string layoutName(const ShellVariant& variant)
{
    return variant.isPocketNes != 0 ? "PocketNES" : "Korvalinde";
}

bool openProgramFolder(const std::optional<std::string>& dir, ProgramFolder& folder,
                       std::vector<ShellVariant>& table)
{
    std::string reason;
    if (!resolveProgramFolder(dir, folder, reason)) {
        printError(reason);
        return false;
    }
    if (folder.dir.empty()) {
        printError("no romweld.cfg in " + joinFolders(folder.searched, ", "));
        return false;
    }
    loadFolderFiles(folder);
    table = loadShellVariants(folder.dir, folder.config);
    if (table.empty()) {
        printError(explainNoVariants(folder));
        return false;
    }
    return true;
}

int chooseVariant(const std::optional<std::string>& wanted, const ProgramFolder& folder,
                  const std::vector<ShellVariant>& table)
{
    if (!wanted) {
        const std::string stored = folder.settings.readString("CONFIG", "KVLVersion", DEFAULT_VARIANT, CONFIG_VALUE_MAX);
        return chooseVariantIndex(table, stored);
    }
    const int index = findVariant(table, *wanted);
    if (index >= 0) return index;
    for (const std::string& name : listedVariantNames(folder.config)) {
        if (compareNoCase(name, *wanted) == 0) {
            printError("variant \"" + name + "\" can't be used: " + explainUnusableVariant(folder, name));
            return -1;
        }
    }
    printError("no variant \"" + *wanted + "\" in " + folder.dir +
               "romweld.cfg (romweld-cli variants lists them)");
    return -1;
}

std::string lacksMapperText(const ShellVariant& variant, int mapper)
{
    return "variant \"" + variant.name + "\" does not support mapper " + std::to_string(mapper) +
           "; the game will not run";
}
