// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_paths.h"

#include "path_text.h"

#include <climits>
#include <unistd.h>
#include <vector>

std::string currentExecutablePath()
{
    std::vector<char> buffer(PATH_MAX + 1);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<std::size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string programDirOf(const std::string& executablePath)
{
    const std::string dir = folderOf(executablePath);
    return dir.empty() ? std::string("./") : dir;
}

std::string settingsPathOf(const std::string& executablePath)
{
    const std::size_t nameStart = fileNamePart(executablePath);
    const std::size_t dot = executablePath.rfind('.');
    if (dot != std::string::npos && dot >= nameStart) {
        return executablePath.substr(0, dot) + ".ini";
    }
    return executablePath + ".ini";
}
