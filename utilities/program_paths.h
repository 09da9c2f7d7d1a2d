// SPDX-License-Identifier: GPL-3.0-or-later
// Where a program finds its files: everything lives beside the executable,
// as in a portable folder.
#pragma once

#include <string>

// Full path of the running executable, or empty when the system can't say.
std::string currentExecutablePath();

// The executable's folder, ending in its separator ("./" when it has none).
std::string programDirOf(const std::string& executablePath);

// The settings file beside the executable: the file name's extension replaced
// by ".ini", or ".ini" appended when the name has none. A dot in a folder
// name is never the extension.
std::string settingsPathOf(const std::string& executablePath);
