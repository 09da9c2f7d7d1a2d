// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of romweld-cli, read into one plain request.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class CliCommand {
    None,       // no command word: only --help makes sense then
    Variants,
    Build,
    Info,
    FixHeader,
};

struct CliRequest {
    CliCommand command = CliCommand::None;
    bool help = false;
    bool version = false;                   // --version
    std::optional<std::string> dir;         // --dir: the program folder to use
    std::optional<std::string> output;      // build -o
    std::optional<std::string> variant;     // build and info --variant
    std::optional<std::string> listFile;    // build --list
    bool fixHeader = false;                 // build --fix-header
    bool allowOversize = false;             // build --allow-oversize
    bool each = false;                      // build --each: one image per ROM, -o names a folder
    bool force = false;                     // build --each --force: replace images already there
    bool pad = false;                       // build --pad: 0xFF up to a power of two
    bool cleanTitles = false;               // build and info --clean-titles
    bool allowBadDumps = false;             // build --allow-bad-dumps: write ROMs shorter than their headers say
    bool trimOverdumps = false;             // build --trim-overdumps: write only what each header promises
    bool quiet = false;                     // build --quiet: no line for each record
    std::optional<std::string> splash;      // build --splash: a picture for PocketNES's splash screen
    std::optional<std::string> gbaTitle;    // build --gba-title
    std::optional<std::string> title;       // fix-header --title
    std::optional<std::string> gameCode;    // fix-header --code
    std::optional<std::string> makerCode;   // fix-header --maker
    std::vector<std::string> files;         // ROMs, or the image for fix-header
};

struct CliParse {
    bool ok = false;
    CliRequest request;
    std::string error;  // what is wrong with the command line, when not ok
};

// Reads the arguments that follow the program name the way getopt_long does:
// options anywhere among the operands, "--opt=value", "--opt value",
// "-oOUT", "-o OUT", and "--" ending the options. error is one line.
CliParse parseCliArguments(const std::vector<std::string>& args);

// The word that names a command ("build"); the program's name for none.
std::string_view cliCommandWord(CliCommand command);

// The usage text of a command (CliCommand::None: of the whole program).
std::string cliUsage(CliCommand command);
