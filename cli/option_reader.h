// SPDX-License-Identifier: GPL-3.0-or-later
// The options of a command line read as getopt_long reads them, for both
// command-line programs: options anywhere among the operands, "--opt=value",
// "--opt value", "-oOUT", "-o OUT", and "--" ending the options.
#pragma once

#include <getopt.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct OptionsRead {
    std::string error;  // one line: what getopt_long could not read; empty when all was read
    // Each option as getopt_long gave it (its value, or the short option's
    // letter), with its argument, in the order given.
    std::vector<std::pair<int, std::string>> options;
    std::vector<std::string> operands;  // in their order
};

// Reads words (the arguments after the program's name). nameOf gives an
// option's name as the user writes it, for a message.
OptionsRead readOptions(const std::vector<std::string>& words, const char* shortOptions, const option* longOptions,
                        const std::function<std::string(int)>& nameOf);
