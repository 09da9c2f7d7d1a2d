// SPDX-License-Identifier: GPL-3.0-or-later
#include "rom_problem.h"
#include "romweld_commands.h"

#include "file_io.h"
#include "gba_header.h"
#include "path_text.h"
#include "report.h"

#include <cstdio>
#include <optional>

namespace {

constexpr long long GBA_HEADER_SIZE = 192;

}  // namespace

int runFixHeader(const CliRequest& request)
{
    const std::string& image = request.files.front();
    const std::string problem = openProblem(image);
    if (!problem.empty()) {
        printError(image + ": " + problem);
        return EXIT_FAILED;
    }
    const std::int64_t size = fileFactsOf(image).size;
    if (size < GBA_HEADER_SIZE) {
        printWarning(image + ": only " + std::to_string(size) + " bytes; the header fills it to 192 bytes");
    }
    // Each field holds so many bytes; what is cut off is said, not lost in silence.
    const auto field = [&](const std::optional<std::string>& given, std::string_view fallback, const char* option,
                           std::size_t bytes) {
        const std::string text = given.value_or(std::string(fallback));
        if (text.size() > bytes) {
            printWarning(image + ": " + option + " \"" + text + "\" is cut to its first " + std::to_string(bytes) +
                         " bytes, \"" + text.substr(0, bytes) + "\"");
        }
        return text.substr(0, bytes);
    };
    const std::string title = field(request.title, GBA_DEFAULT_TITLE, "--title", GBA_TITLE_BYTES);
    const std::string code = field(request.gameCode, GBA_DEFAULT_GAME_CODE, "--code", GBA_CODE_BYTES);
    const std::string maker = field(request.makerCode, GBA_DEFAULT_MAKER_CODE, "--maker", GBA_MAKER_BYTES);
    PrintedReport report("romweld-cli");
    if (fixGbaHeader(image, title, code, maker, report) != HeaderFix::Rewritten) {
        // The lines the fixer gave name the file and the reason.
        if (report.problems() == 0) printError(image + ": the GBA header could not be rewritten");
        return EXIT_FAILED;
    }
    std::printf("%s: GBA header rewritten (title \"%s\", game code \"%s\", maker code \"%s\")\n",
                printableText(image).c_str(), printableText(title).c_str(), printableText(code).c_str(),
                printableText(maker).c_str());
    return EXIT_DONE;
}
