// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of sramedit-cli.
#pragma once

#include "packed_image.h"

#include <cstddef>
#include <string>
#include <vector>

enum class CliCommand { List, New, Load, Append, Extract, Delete, Rename, Copy, Convert, Prune, Help, Version };

struct CliArgs {
    CliCommand command = CliCommand::Help;
    // Help: the command whose help is asked for (Help itself: the whole program's).
    CliCommand helpFor = CliCommand::Help;
    std::string savePath;  // SAVE (FROM for copy)
    int index = -1;        // INDEX, zero-based like the editor's list
    std::string file;      // FILE.sav to read, OUT.sav to write, or TO for copy
    std::string romPath;   // --rom ROM.nes, empty when not given
    std::string title;     // TITLE for rename, UTF-8
    bool packed = false;   // --packed for new
    // --size 64|32 for new --packed and convert: save memory in bytes; 0 when
    // not given.
    std::size_t packedSize = 0;
    bool force = false;    // --force for extract: OUT.sav may be replaced
    // --memory 32|64: the memory the packed save holds (TO for copy), when
    // the file can't tell; --from-memory the same for copy's FROM.
    PackedMemory memory = PackedMemory::FromFile;
    PackedMemory fromMemory = PackedMemory::FromFile;
    std::string output;    // -o OUT for convert, empty when not given
};

struct CliParse {
    bool ok = false;
    CliArgs args;
    std::string error;  // one line: what is wrong with the command line
};

// Parses the arguments after the program name the way getopt_long does:
// options anywhere among the operands, "--opt=value", "--opt value", "-oOUT",
// "-o OUT", and "--" ending the options.
CliParse parseCliArgs(const std::vector<std::string>& words);

// The help of a command (Help: of the whole program), for the standard output.
std::string cliHelp(CliCommand command);

// The word that names a command ("list"; "sramedit-cli" for Help).
std::string commandWord(CliCommand command);
