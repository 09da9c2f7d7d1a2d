// SPDX-License-Identifier: GPL-3.0-or-later
// How fast `romweld-cli build` turns many small ROMs into one image, as a
// user runs it, next to `cat` of the same bytes: 800 and 2000 ROMs of
// 40 KiB, with a settings file that remembers a title and PocketNES values
// for every ROM (4000 keys) and without one. The cost of the command beyond
// the copy must stay near the copy itself, however long the list.
//
// The image is timed both as a new file and as one that replaces an earlier
// image, since only a replacement is flushed to the disk before it takes the
// old one's place; "safe cat" is cat doing the same (a file beside the
// output, sync, mv).
//   romweld-cli-bench ROMWELD_CLI [DATA_DIR] [RUNS]
#include "bench_roms.h"
#include "bench_spawn.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int MAX_ROMS = 2000;
constexpr std::size_t ROM_SIZE = 40 * 1024;

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: romweld-cli-bench ROMWELD_CLI [DATA_DIR] [RUNS]\n");
        return 2;
    }
    const std::string cli = fs::absolute(argv[1]).string();
    const std::string dir = benchFolder(argc > 2 ? argv[2] : nullptr, "romweld-cli-bench");
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    if (dir.empty()) return 1;
    std::error_code ec;

    bool ok = writeBenchProgramFolder(dir);
    std::string titles = "[CONFIG]\nKVLVersion=kvl-v02\n[TITLE]\n";
    std::string pocket = "[PocketNES]\n";
    std::vector<std::string> roms;
    for (int i = 0; i < MAX_ROMS && ok; ++i) {
        const std::string name = benchRomName(i);
        roms.push_back(dir + "roms/" + name);
        if (!fs::exists(roms.back())) {
            ok = writeBenchFile(roms.back(), benchRomBytes(ROM_SIZE, static_cast<unsigned>(i)));
        }
        titles += name + "=Game " + std::to_string(i) + "\n";
        pocket += name + "=0|0|" + std::to_string(i % 9) + "|Game " + std::to_string(i) + "\n";
    }
    const std::string settings = titles + pocket;
    ok = ok && writeBenchFile(dir + "settings.ini", settings);
    if (!ok) {
        std::fprintf(stderr, "romweld-cli-bench: can't write the files in %s\n", dir.c_str());
        return 1;
    }

    const std::string image = dir + "image.gba";
    const std::string catOut = dir + "cat.out";
    const std::string safeOut = dir + "safe.out";
    std::printf("romweld-cli build against cat, median of %d runs, in %s\n", runs, dir.c_str());
    std::printf("%5s %-9s %12s %12s %9s %12s %9s\n", "ROMs", "settings", "new image", "replacing", "cat",
                "safe cat", "ratio");
    for (const int count : {800, 2000}) {
        const std::vector<std::string> files(roms.begin(), roms.begin() + count);
        for (const bool withSettings : {true, false}) {
            if (withSettings) {
                ok = writeBenchFile(dir + "romweld.ini", settings);
            } else {
                fs::remove(dir + "romweld.ini", ec);
            }
            // 2000 ROMs of 40 KiB make more than a cartridge holds.
            std::vector<std::string> build = {cli, "--dir", dir, "build", "--allow-oversize", "-o", image};
            build.insert(build.end(), files.begin(), files.end());
            std::vector<std::string> cat = {"cat", dir + "kvl.gba"};
            cat.insert(cat.end(), files.begin(), files.end());
            std::vector<std::string> safeCat = {
                "sh", "-c", "cat \"$@\" > \"$0.tmp\" && sync \"$0.tmp\" && mv \"$0.tmp\" \"$0\"", safeOut,
                dir + "kvl.gba"};
            safeCat.insert(safeCat.end(), files.begin(), files.end());

            // One round of each first, so that all read from a warm cache.
            ok = ok && timeRun(build) >= 0 && timeRun(cat, catOut) >= 0 && timeRun(safeCat) >= 0;
            std::vector<double> fresh, replacing, plain, safe;
            for (int r = 0; r < runs && ok; ++r) {
                fs::remove(image, ec);
                fresh.push_back(timeRun(build));
                replacing.push_back(timeRun(build));
                plain.push_back(timeRun(cat, catOut));
                safe.push_back(timeRun(safeCat));
                for (const std::vector<double>* t : {&fresh, &replacing, &plain, &safe}) ok = ok && t->back() >= 0;
            }
            if (!ok) {
                std::fprintf(stderr, "romweld-cli-bench: a run failed\n");
                return 1;
            }
            const double m = median(plain);
            std::printf("%5d %-9s %9.3f s  %9.3f s  %7.3f s %9.3f s  %4.2f new, %4.2f replacing (target: at most 1.50)\n",
                        count, withSettings ? "4000 keys" : "none", median(fresh), median(replacing), m,
                        median(safe), median(fresh) / m, median(replacing) / m);
            std::fflush(stdout);
        }
    }
    return 0;
}
