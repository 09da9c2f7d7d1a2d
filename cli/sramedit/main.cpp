// sramedit-cli: lists and edits a GBA cartridge save file from a terminal.
#include "cli_args.h"
#include "commands.h"
#include "romweld_version.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.size() == 1 && words[0] == "--version") {
        std::printf("sramedit-cli %s\n", ROMWELD_VERSION);
        return EXIT_DONE;
    }
    CliArgs args;
    std::string error;
    if (!parseCliArgs(words, args, error)) {
        std::fprintf(stderr, "sramedit-cli: %s\n%s", error.c_str(), cliUsage().c_str());
        return EXIT_USAGE;
    }
    return runCommand(args);
}
