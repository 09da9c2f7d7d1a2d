#include "rom_problem.h"

#include "file_io.h"


std::string openProblem(const std::string& path)
{
    const InFile file(path);
    return file.isOpen() ? std::string() : fileErrorText(file.errorNumber());
}

std::string notNesReason(const std::string& path)
{
    const std::string problem = openProblem(path);
    return problem.empty() ? "not an NES ROM (no iNES header)" : problem;
}
