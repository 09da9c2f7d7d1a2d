// The command line of sramedit-cli.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class CliCommand { List, New, Load, Append, Extract, Delete, Rename, Help };

struct CliArgs {
    CliCommand command = CliCommand::Help;
    std::string savePath;  // SAVE
    int index = -1;        // INDEX, zero-based like the editor's list
    std::string file;      // FILE.sav to read, or OUT.sav to write
    std::string romPath;   // --rom ROM.nes, empty when not given
    std::string title;     // TITLE for rename, UTF-8
    bool packed = false;   // --packed for new
    std::size_t packedSize = 65536;  // --size 64|32 for new --packed: save memory in bytes
    bool force = false;    // --force for extract: OUT.sav may be replaced
};

// Parses the arguments after the program name. False with a one-line reason
// when they do not form a command.
bool parseCliArgs(const std::vector<std::string>& words, CliArgs& args, std::string& error);

// The usage text, one line per command.
std::string cliUsage();
