// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_folders.h"

#include "file_io.h"
#include "path_text.h"
#include "program_paths.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef ROMWELD_INSTALL_BINDIR
#define ROMWELD_INSTALL_BINDIR ""
#endif

namespace {

constexpr const char* APP_FOLDER = "romweld/";

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

bool isAbsolute(const std::string& path)
{
    return !path.empty() && path.front() == '/';
}

std::string withSlash(std::string folder)
{
    if (folder.back() != '/') folder += '/';
    return folder;
}

bool isRegularFile(const std::string& path)
{
    return regularFileProblem(path) == 0;
}

bool isProgramFile(const std::string& path)
{
    return isRegularFile(path) && ::access(path.c_str(), X_OK) == 0;
}

// The entries of a colon-separated list of folders that are absolute, each
// ending in '/'.
std::vector<std::string> absoluteEntries(const std::string& list)
{
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        const std::string entry = list.substr(start, end - start);
        if (isAbsolute(entry)) entries.push_back(withSlash(entry));
        start = end + 1;
    }
    return entries;
}

std::string settingsFileIn(const std::string& folder, const std::string& executablePath)
{
    if (folder.empty()) return {};
    return folder + fileNameOf(settingsPathOf(executablePath));
}

}  // namespace

FolderEnvironment currentFolderEnvironment()
{
    FolderEnvironment env;
    env.home = variable("HOME");
    if (env.home.empty()) {
        // Services and some sudo set-ups start programs without HOME.
        if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
            env.home = user->pw_dir;
        }
    }
    env.configHome = variable("XDG_CONFIG_HOME");
    env.dataHome = variable("XDG_DATA_HOME");
    env.dataDirs = variable("XDG_DATA_DIRS");
    env.searchPath = variable("PATH");
    env.installedProgramDir = ROMWELD_INSTALL_BINDIR;
    return env;
}

std::string configPathOf(const std::string& programDir)
{
    return programDir + std::string(CONFIG_FILE_NAME);
}

std::string userSettingsFolder(const FolderEnvironment& env)
{
    if (isAbsolute(env.configHome)) return withSlash(env.configHome) + APP_FOLDER;
    if (isAbsolute(env.home)) return withSlash(env.home) + ".config/" + APP_FOLDER;
    return {};
}

bool makeSettingsFolder(const std::string& settingsPath)
{
    const std::string folder = folderOf(settingsPath);
    if (folder.empty()) return false;
    if (isFolder(folder)) return true;
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
    }
    return isFolder(folder);
}

std::vector<std::string> romweldDataFolders(const FolderEnvironment& env)
{
    std::vector<std::string> bases;
    if (isAbsolute(env.dataHome)) {
        bases.push_back(withSlash(env.dataHome));
    } else if (isAbsolute(env.home)) {
        bases.push_back(withSlash(env.home) + ".local/share/");
    }
    const std::string dataDirs = env.dataDirs.empty() ? std::string("/usr/local/share/:/usr/share/") : env.dataDirs;
    for (const std::string& entry : absoluteEntries(dataDirs)) bases.push_back(entry);

    std::vector<std::string> folders;
    for (const std::string& base : bases) {
        const std::string folder = base + APP_FOLDER;
        bool known = false;
        for (const std::string& f : folders) known = known || f == folder;
        if (!known) folders.push_back(folder);
    }
    return folders;
}

RomweldFolders findRomweldFolders(const std::string& executablePath, const FolderEnvironment& env)
{
    RomweldFolders folders;
    folders.programDir = programDirOf(executablePath);
    folders.searched.push_back(folders.programDir);
    if (isRegularFile(configPathOf(folders.programDir))) {
        folders.portable = true;
        folders.configDir = folders.programDir;
        folders.settingsPath = settingsPathOf(executablePath);
        return folders;
    }
    for (const std::string& folder : romweldDataFolders(env)) {
        folders.searched.push_back(folder);
        if (isRegularFile(configPathOf(folder))) {
            folders.configDir = folder;
            break;
        }
    }
    folders.settingsPath = settingsFileIn(userSettingsFolder(env), executablePath);
    return folders;
}

std::string sramEditSettingsPath(const std::string& executablePath, const FolderEnvironment& env)
{
    const std::string programDir = programDirOf(executablePath);
    // The same folder also when one of the names goes through a link (/bin
    // and /usr/bin on Debian).
    const bool portable = ::access(programDir.c_str(), W_OK) == 0 && !isSameFile(programDir, env.installedProgramDir);
    if (portable) return settingsPathOf(executablePath);
    return settingsFileIn(userSettingsFolder(env), executablePath);
}

std::string findProgram(const std::string& name, const std::string& ownDir, const std::string& searchPath)
{
    if (isProgramFile(ownDir + name)) return ownDir + name;
    for (const std::string& folder : absoluteEntries(searchPath)) {
        if (isProgramFile(folder + name)) return folder + name;
    }
    return {};
}

std::string joinFolders(const std::vector<std::string>& folders, const std::string& separator)
{
    std::string text;
    for (const std::string& folder : folders) {
        if (!text.empty()) text += separator;
        text += folder;
    }
    return text;
}
