#include "rom_problem.h"

#include "file_io.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

std::string openProblem(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
    // A folder opens like a file but can't be read.
    if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
    errno = 0;
    const InFile file(path);
    if (!file.isOpen()) return std::strerror(errno != 0 ? errno : EIO);
    return {};
}

std::string notNesReason(const std::string& path)
{
    const std::string problem = openProblem(path);
    return problem.empty() ? "not an NES ROM (no iNES header)" : problem;
}
