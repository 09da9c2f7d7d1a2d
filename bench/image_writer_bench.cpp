// SPDX-License-Identifier: GPL-3.0-or-later
// How fast writeImage builds a 32 MiB image from 64 ROMs, next to `cat`
// copying the same files into one file: the image writer should cost little
// more than the copy itself. The writer builds its image beside the output,
// flushes it to the disk and renames it into place, so a "safe cat" that
// does the same is timed too.
//   romweld-bench [DATA_DIR] [RUNS]
#include "bench_roms.h"
#include "bench_spawn.h"
#include "file_io.h"
#include "image_writer.h"
#include "report.h"
#include "rom_list.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int ROM_COUNT = 64;
constexpr std::size_t ROM_SIZE = 512 * 1024;  // 64 x 512 KiB = 32 MiB
constexpr std::size_t SHELL_SIZE = 128 * 1024;

bool writeFile(const std::string& path, std::size_t size, unsigned seed)
{
    std::vector<unsigned char> bytes(size);
    unsigned state = seed * 2654435761u + 1u;
    for (auto& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<unsigned char>(state >> 16);
    }
    if (size >= 16) {
        const unsigned char header[8] = {'N', 'E', 'S', 0x1A, 32, 0, 0x10, 0x00};
        std::copy(std::begin(header), std::end(header), bytes.begin());
    }
    OutFile out;
    if (out.create(path)) out.write(bytes.data(), bytes.size());
    if (!out.close()) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), fileErrorText(out.errorNumber()).c_str());
        return false;
    }
    return true;
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Hears nothing, as a window that shows no lines.
class QuietReport : public Report {
public:
    void problem(const std::string& path, const std::string& reason) override
    {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), reason.c_str());
    }
    void recordStarted(const std::string&, const std::string&, const std::string&) override {}
    bool progress(std::int64_t, std::int64_t) override { return true; }
};

// writeImage over the previous image, as a user builds again.
double timeWriteImage(const std::string& dir, const std::string& out, const RomList* list, bool& ok)
{
    QuietReport report;
    const auto start = Clock::now();
    ok = writeImage(dir, out, list, DEFAULT_VARIANT, nullptr, report) == ImageWrite::Written;
    return secondsSince(start);
}

double timeCat(const std::vector<std::string>& inputs, const std::string& out, bool& ok)
{
    std::vector<std::string> words{"cat"};
    words.insert(words.end(), inputs.begin(), inputs.end());
    const double seconds = timeRun(words, out);
    ok = seconds >= 0;
    return seconds;
}

// What writeImage does with its output, done by the shell: cat into a file
// beside the output, flush it to the disk, rename it over the output.
double timeSafeCat(const std::vector<std::string>& inputs, const std::string& out, bool& ok)
{
    std::vector<std::string> words{"sh", "-c", "cat \"$@\" > \"$0.tmp\" && sync \"$0.tmp\" && mv \"$0.tmp\" \"$0\"", out};
    words.insert(words.end(), inputs.begin(), inputs.end());
    const double seconds = timeRun(words);
    ok = seconds >= 0;
    return seconds;
}

struct Summary {
    double best;
    double median;
};

Summary summarise(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = benchFolder(argc > 1 ? argv[1] : nullptr, "romweld-bench");
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    if (dir.empty()) return 1;

    // The same files for both: the shell, then the ROMs in list order.
    std::vector<std::string> inputs{dir + "kvl.gba"};
    bool ok = writeFile(dir + "kvl.gba", SHELL_SIZE, 1);
    OutFile config;
    if (config.create(dir + "romweld.cfg")) {
        const std::string text = "[list]\nnum=1\nlist0=kvl-v02\n[kvl-v02]\nshell=kvl.gba\n";
        config.write(text.data(), text.size());
    }
    ok = config.close() && ok;
    auto list = romListCreate();
    for (int i = 0; i < ROM_COUNT && ok; ++i) {
        const std::string path = dir + "roms/game" + std::to_string(i) + ".nes";
        ok = writeFile(path, ROM_SIZE, 100 + static_cast<unsigned>(i));
        RomEntry* entry = romListAddSized(list.get(), path, static_cast<std::int64_t>(ROM_SIZE));
        if (entry == nullptr) {
            ok = false;
            break;
        }
        romEntrySetTitle(entry, "Game " + std::to_string(i), 0, 0);
        romEntrySetPocket(entry, "Game " + std::to_string(i), 0, 0, 0);
        inputs.push_back(path);
    }
    if (!ok) return 1;

    const std::string imageOut = dir + "image.gba";
    const std::string catOut = dir + "cat.out";
    const std::string safeOut = dir + "safe.out";
    std::vector<double> writerTimes;
    std::vector<double> catTimes;
    std::vector<double> safeCatTimes;
    // One round of each first, so that all read from a warm cache.
    timeWriteImage(dir, imageOut, list.get(), ok);
    timeCat(inputs, catOut, ok);
    timeSafeCat(inputs, safeOut, ok);
    for (int i = 0; i < runs && ok; ++i) {
        bool writerOk = false;
        bool catOk = false;
        bool safeOk = false;
        writerTimes.push_back(timeWriteImage(dir, imageOut, list.get(), writerOk));
        catTimes.push_back(timeCat(inputs, catOut, catOk));
        safeCatTimes.push_back(timeSafeCat(inputs, safeOut, safeOk));
        ok = writerOk && catOk && safeOk;
    }
    if (!ok) {
        std::fprintf(stderr, "romweld-bench: a run failed\n");
        return 1;
    }

    const double mib = static_cast<double>(SHELL_SIZE + ROM_COUNT * ROM_SIZE) / (1024.0 * 1024.0);
    const Summary writer = summarise(writerTimes);
    const Summary cat = summarise(catTimes);
    const Summary safeCat = summarise(safeCatTimes);
    std::printf("%d ROMs, %.1f MiB in %s, %d runs\n", ROM_COUNT, mib, dir.c_str(), runs);
    std::printf("writeImage  best %7.2f ms  median %7.2f ms\n", writer.best * 1000, writer.median * 1000);
    std::printf("cat         best %7.2f ms  median %7.2f ms\n", cat.best * 1000, cat.median * 1000);
    std::printf("safe cat    best %7.2f ms  median %7.2f ms  (into a file beside it, sync, mv)\n",
                safeCat.best * 1000, safeCat.median * 1000);
    std::printf("ratio       best %7.2f     median %7.2f     (writeImage / cat)\n",
                writer.best / cat.best, writer.median / cat.median);
    std::printf("safe ratio  best %7.2f     median %7.2f     (writeImage / safe cat; target: at most 1.50)\n",
                writer.best / safeCat.best, writer.median / safeCat.median);
    return 0;
}
