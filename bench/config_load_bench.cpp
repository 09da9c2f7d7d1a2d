// SPDX-License-Identifier: GPL-3.0-or-later
// How long a hostile romweld.cfg takes to load: "num" at its largest and a
// few hundred lines of CP932 text, a file of under 3 KB. Loading must stay
// linear in the file's size, however many variant slots the file claims.
//   romweld-config-bench [DATA_DIR] [RUNS]
#include "bench_roms.h"
#include "shell_config.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int CP932_LINES = 300;

// "num" claims every slot it may; the lines that follow hold CP932 text
// (ゲー), so each one needs a real conversion to be read.
std::string hostileConfig()
{
    std::string text = "[list]\nnum=" + std::to_string(MAX_VARIANT_SLOTS) + "\n";
    for (int i = 0; i < CP932_LINES; ++i) text += "g" + std::to_string(i) + "=\x83\x51\x81\x5B\n";
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = benchFolder(argc > 1 ? argv[1] : nullptr, "romweld-config-bench");
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (dir.empty()) return 1;
    const std::string text = hostileConfig();
    {
        std::ofstream out(dir + std::string(CONFIG_FILE_NAME), std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) {
            std::fprintf(stderr, "%s: cannot write the configuration\n", dir.c_str());
            return 1;
        }
    }

    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        const std::vector<ShellVariant> table = loadShellVariants(dir);
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        if (!table.empty()) {
            std::fprintf(stderr, "romweld-config-bench: the hostile file listed a variant\n");
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("romweld.cfg of %zu bytes, num=%d, %d CP932 lines, %d runs\n", text.size(), MAX_VARIANT_SLOTS,
                CP932_LINES, runs);
    std::printf("loadShellVariants  best %9.3f ms  median %9.3f ms\n", times.front() * 1000,
                times[times.size() / 2] * 1000);
    return 0;
}
