// SPDX-License-Identifier: GPL-3.0-or-later
// sramedit-cli: lists and edits a GBA cartridge save file from a terminal.
#include "file_io.h"
#include "romweld_version.h"
#include "sramedit_cli_args.h"
#include "sramedit_commands.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A save rewritten in place is said on the error output, where it can't
// spoil what a script reads.
void tellRewrite(const std::string& file, const std::string& copy)
{
    std::fprintf(stderr, "sramedit-cli: %s\n", rewriteNoticeText(file, copy).c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    installTemporaryFileCleanup();
    setRewriteNotice(tellRewrite);
    const CliParse parse = parseCliArgs(std::vector<std::string>(argv + 1, argv + argc));
    if (!parse.ok) return reportUsage(parse.error, parse.args.command);
    if (parse.args.command == CliCommand::Version) {
        std::printf("sramedit-cli %s\n", ROMWELD_VERSION);
    }
    const int status = parse.args.command == CliCommand::Version ? EXIT_DONE : runCommand(parse.args);
    // With SIGPIPE ignored, a reader that went away shows here: what a
    // script reads must not be lost silently.
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "sramedit-cli: standard output: %s\n", fileErrorText(errno != 0 ? errno : EIO).c_str());
        return EXIT_FAILED;
    }
    return status;
}
