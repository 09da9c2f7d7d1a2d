// SPDX-License-Identifier: GPL-3.0-or-later
#include "option_reader.h"

#include <string_view>

namespace {

// The option of no argument that word ("--quiet=1", or an abbreviation of
// the name) gave one: getopt_long tells it only by its value in optopt,
// which is no letter to show. Null for any other failure.
const option* givenAnArgument(int value, std::string_view word, const option* longOptions)
{
    const std::size_t eq = word.find('=');
    if (value == 0 || word.substr(0, 2) != "--" || eq == std::string_view::npos || eq == 2) return nullptr;
    const std::string_view given = word.substr(2, eq - 2);
    for (const option* o = longOptions; o->name != nullptr; ++o) {
        if (o->has_arg == no_argument && o->val == value && std::string_view(o->name).substr(0, given.size()) == given) {
            return o;
        }
    }
    return nullptr;
}

}  // namespace

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
            const std::string word = argv[optind - 1];
            if (const option* flag = givenAnArgument(optopt, word, longOptions)) {
                read.error = "option '--" + std::string(flag->name) + "' doesn't allow an argument";
            } else {
                read.error = optopt != 0 ? "invalid option -- '" + std::string(1, static_cast<char>(optopt)) + "'"
                                         : "unrecognized option '" + word + "'";
            }
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
