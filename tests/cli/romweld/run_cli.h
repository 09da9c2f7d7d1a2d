// Starts romweld-cli as a separate process and collects what it tells.
#pragma once

#include "run_program.h"
#include "test_files.h"

using CliRun = ProgramRun;

inline CliRun runCli(const std::vector<std::string>& args)
{
    return runProgram(ROMWELD_CLI_PATH, args);
}
