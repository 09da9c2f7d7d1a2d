#include "rom_problem.h"

#include "file_io.h"

std::string openProblem(const std::string& path)
{
    const InFile file(path);
    return file.isOpen() ? std::string() : fileErrorText(file.errorNumber());
}

std::string notNesReason(int openError)
{
    return openError != 0 ? fileErrorText(openError) : "not an NES ROM (no iNES header)";
}
