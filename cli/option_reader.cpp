// SPDX-License-Identifier: GPL-3.0-or-later
#include "option_reader.h"

OptionsRead readOptions(const std::vector<std::string>& words, const char* shortOptions, const option* longOptions,
                        const std::function<std::string(int)>& nameOf)
{
    std::vector<std::string> text{"program"};
    text.insert(text.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (std::string& word : text) argv.push_back(word.data());
    argv.push_back(nullptr);

    OptionsRead read;
    // A leading ':' tells a missing argument from an unknown option; the
    // messages are ours, so the program's usage line comes out as one line.
    const std::string optionString = std::string(":") + shortOptions;
    optind = 0;  // glibc: start afresh
    opterr = 0;
    for (;;) {
        const int c = getopt_long(static_cast<int>(text.size()), argv.data(), optionString.c_str(), longOptions, nullptr);
        if (c == -1) break;
        if (c == '?') {
            read.error = optopt != 0 ? "invalid option -- '" + std::string(1, static_cast<char>(optopt)) + "'"
                                     : "unrecognized option '" + std::string(argv[optind - 1]) + "'";
            return read;
        }
        if (c == ':') {
            read.error = "option '" + nameOf(optopt) + "' requires an argument";
            return read;
        }
        read.options.emplace_back(c, optarg != nullptr ? optarg : "");
    }
    // getopt_long has moved the operands behind the options, in their order.
    read.operands.assign(argv.begin() + optind, argv.end() - 1);
    return read;
}
