// SPDX-License-Identifier: GPL-3.0-or-later
// Which folders romweld, sramedit and romweld-cli use, portable or installed.
//
// A portable folder keeps everything beside the programs, as on Windows:
// romweld.cfg, the shells, the extra files and the settings files. An
// installed program (romweld without romweld.cfg beside it, sramedit in a
// folder it can't write) follows the XDG base directories instead: its
// settings go to $XDG_CONFIG_HOME/romweld/ and romweld.cfg, the shells and
// the extra files are looked for in $XDG_DATA_HOME/romweld/, then in each
// $XDG_DATA_DIRS entry + "/romweld/".
//
// The environment is handed in, so the rules can be checked without the
// real HOME.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The configuration file romweld reads its shell variants from.
constexpr std::string_view CONFIG_FILE_NAME = "romweld.cfg";

// programDir + "romweld.cfg".
std::string configPathOf(const std::string& programDir);

struct FolderEnvironment {
    std::string home;          // $HOME
    std::string configHome;    // $XDG_CONFIG_HOME, empty when unset
    std::string dataHome;      // $XDG_DATA_HOME, empty when unset
    std::string dataDirs;      // $XDG_DATA_DIRS, empty when unset
    std::string searchPath;    // $PATH
    // The folder this build installs its programs to. It is never taken for
    // a portable folder, so that sramedit started by root from /usr/bin does
    // not leave its settings there. Empty for none.
    std::string installedProgramDir;
};

// The values of the running process (HOME from the user database when the
// variable is unset).
FolderEnvironment currentFolderEnvironment();

// The folder for the settings files of an installed program, ending in '/':
// $XDG_CONFIG_HOME/romweld/, else $HOME/.config/romweld/. Empty when neither
// gives an absolute path. The folder need not exist yet: writing a setting
// makes it.
std::string userSettingsFolder(const FolderEnvironment& env);

// Makes the folders of a settings file that don't exist yet (the user
// settings folder on a first run), readable by the user alone as the XDG
// rules ask. False when the folder is still missing afterwards.
bool makeSettingsFolder(const std::string& settingsPath);

// The folders an installed romweld looks in for romweld.cfg, in order, each
// ending in '/': $XDG_DATA_HOME/romweld/ (default ~/.local/share/romweld/),
// then every $XDG_DATA_DIRS entry + "romweld/" (default /usr/local/share and
// /usr/share). Relative entries are ignored, as the XDG rules ask; a folder
// named twice is listed once.
std::vector<std::string> romweldDataFolders(const FolderEnvironment& env);

struct RomweldFolders {
    bool portable = false;           // romweld.cfg lies beside the program
    std::string programDir;          // the program's own folder, ending in '/'
    // The folder romweld.cfg was found in, ending in '/': the paths of shells
    // and extra files in it are taken from there. Empty when none was found.
    std::string configDir;
    std::string settingsPath;        // empty when there is no folder for settings
    std::vector<std::string> searched;  // where romweld.cfg was looked for, in order
};

// The folders of the romweld program at executablePath (romweld-cli passes
// its folder + "romweld", so that both share one settings file). Portable:
// everything in the program's folder and the settings file named after the
// program. Installed: romweld.cfg from the first data folder that holds it,
// the settings in the user settings folder under the same file name.
RomweldFolders findRomweldFolders(const std::string& executablePath, const FolderEnvironment& env);

// The settings file of sramedit at executablePath: beside the program when
// its folder can be written (and is not the install folder), else in the
// user settings folder under the same file name.
std::string sramEditSettingsPath(const std::string& executablePath, const FolderEnvironment& env);

// The program to start for name: the one in ownDir when it is there, else
// the first in the searchPath folders ($PATH; relative entries skipped);
// empty when neither has it.
std::string findProgram(const std::string& name, const std::string& ownDir, const std::string& searchPath);

// The folders as one text, separated by separator.
std::string joinFolders(const std::vector<std::string>& folders, const std::string& separator);
