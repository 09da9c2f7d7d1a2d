#include "romweld_commands.h"
#include "rom_problem.h"

#include "file_io.h"
#include "gba_header.h"
#include "report.h"

#include <cstdio>

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
        printError(image + ": only " + std::to_string(size) +
                   " bytes; the header fills it to 192 bytes");
    }
    const std::string title = request.title.value_or("Korvalinde");
    const std::string code = request.gameCode.value_or("KVL");
    const std::string maker = request.makerCode.value_or("ZQ");
    PrintedReport report;
    if (fixGbaHeader(image, title, code, maker, report) != 0) {
        printError(image + ": the GBA header could not be rewritten (the file can't be opened for writing, or a write failed)");
        return EXIT_FAILED;
    }
    std::printf("%s: GBA header rewritten (title \"%s\", game code \"%s\", maker code \"%s\")\n",
                image.c_str(), title.substr(0, 12).c_str(), code.substr(0, 4).c_str(),
                maker.substr(0, 2).c_str());
    return EXIT_DONE;
}
