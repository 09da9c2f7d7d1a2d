// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a program of ours as a separate process and collects what it tells.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
    int status = -1;  // the exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args);

// The same with the given environment ("NAME=value" each) instead of ours.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& environment);
