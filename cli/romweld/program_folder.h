// SPDX-License-Identifier: GPL-3.0-or-later
// The folder romweld-cli works from (romweld.cfg, the shells, the extra
// files), its settings file romweld.ini, and plain-words reasons when its
// shell configuration offers no usable variant.
#pragma once

#include "ini_profile.h"
#include "shell_config.h"

#include <optional>
#include <string>
#include <vector>

struct ProgramFolder {
    std::string dir;           // where romweld.cfg is, ending in '/'; empty when none was found
    std::string settingsPath;  // the settings file romweld uses with it
    std::vector<std::string> searched;  // where romweld.cfg was looked for
    std::string origin;        // why this folder, in a few words
    // romweld.cfg and the settings file, each read once for the whole
    // command (loadFolderFiles); every look-up is made in memory.
    IniSnapshot config;
    IniSnapshot settings;
};

// With --dir, that folder and its romweld.ini. Otherwise the folders romweld
// beside this program would use (findRomweldFolders), so the window and the
// command line share titles and choices. False (with a reason) when --dir
// does not name a folder.
bool resolveProgramFolder(const std::optional<std::string>& dir, ProgramFolder& folder,
                          std::string& reason);

// Reads romweld.cfg (when a folder was found) and the settings file into
// folder, once for the command. A settings file that is there but can't be
// read (too large, a line too long, no regular file) is named in a warning.
void loadFolderFiles(ProgramFolder& folder);

// Which folder and settings file are in use, for --help and "variants".
std::string describeProgramFolder(const ProgramFolder& folder);

// The folder, its two files read (loadFolderFiles) and its usable variants;
// false after telling the user on the error output why there are none.
bool openProgramFolder(const std::optional<std::string>& dir, ProgramFolder& folder,
                       std::vector<ShellVariant>& table);


// Why loadShellVariants found nothing usable in the folder, as one line.
std::string explainNoVariants(const ProgramFolder& folder);

// Why the listed variant name is left out of the table, as one line.
std::string explainUnusableVariant(const ProgramFolder& folder, const std::string& name);

// The variant for a --variant value: the table's entry of that name (ASCII
// case ignored), or -1.
int findVariant(const std::vector<ShellVariant>& table, const std::string& name);

std::string layoutName(const ShellVariant& variant);

// The variant a command works with: the one named (--variant, ASCII case
// ignored), or without a name the one the window preselects from the
// settings' "KVLVersion". -1 after a message when the named one is not usable.
int chooseVariant(const std::optional<std::string>& wanted, const ProgramFolder& folder,
                  const std::vector<ShellVariant>& table);

// "variant "NAME" does not support mapper M; the game will not run".
std::string lacksMapperText(const ShellVariant& variant, int mapper);
