// sramedit-cli: lists and edits a GBA cartridge save file from a terminal.
#include "sramedit_cli_args.h"
#include "sramedit_commands.h"
#include "file_io.h"
#include "romweld_version.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
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
    const int status = runCommand(args);
    // With SIGPIPE ignored, a reader that went away shows here: what a
    // script reads must not be lost silently.
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "sramedit-cli: standard output: %s\n", std::strerror(errno));
        return EXIT_FAILED;
    }
    return status;
}
