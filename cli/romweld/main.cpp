// SPDX-License-Identifier: GPL-3.0-or-later
// romweld-cli: the jobs of romweld from a terminal, for scripts and for users
// without a desktop.
#include "file_io.h"
#include "program_folder.h"
#include "romweld_cli_args.h"
#include "romweld_commands.h"
#include "romweld_version.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// An image rewritten in place is said on the error output, where it can't
// spoil what a script reads.
void tellRewrite(const std::string& file, const std::string& copy)
{
    printError(rewriteNoticeText(file, copy));
}

}  // namespace

int main(int argc, char** argv)
{
    // A closed standard output costs the lines, never the image being built.
    installTemporaryFileCleanup();
    setRewriteNotice(tellRewrite);
    const CliParse parse = parseCliArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!parse.ok) {
        // One line, and where help is: the command's own once it is known.
        const std::string command =
            parse.request.command == CliCommand::None ? std::string() : " " + std::string(cliCommandWord(parse.request.command));
        printError(parse.error);
        std::fprintf(stderr, "Try 'romweld-cli%s --help'.\n", command.c_str());
        return EXIT_USAGE;
    }
    const CliRequest& request = parse.request;
    if (request.version && !request.help) {
        std::printf("romweld-cli %s\n", ROMWELD_VERSION);
        return EXIT_DONE;
    }
    if (request.help) {
        std::string help = cliUsage(request.command);
        ProgramFolder folder;
        std::string reason;
        if (request.command != CliCommand::FixHeader && resolveProgramFolder(request.dir, folder, reason)) {
            help += "\n" + describeProgramFolder(folder);
        }
        std::fputs(help.c_str(), stdout);
        return EXIT_DONE;
    }
    int status = EXIT_USAGE;
    switch (request.command) {
    case CliCommand::Variants: status = runVariants(request); break;
    case CliCommand::Build: status = runBuild(request); break;
    case CliCommand::Info: status = runInfo(request); break;
    case CliCommand::FixHeader: status = runFixHeader(request); break;
    case CliCommand::None: break;
    }
    // What a script reads must not be lost silently either.
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        printError(std::string("standard output: ") + std::strerror(errno != 0 ? errno : EIO));
        return EXIT_FAILED;
    }
    return status;
}
