// SPDX-License-Identifier: GPL-3.0-or-later
// What hostile list files cost `romweld-cli build --list`, as a user runs
// it: the seconds and the peak memory of the command, and the lines of its
// error output. A list of 20 MB of blank lines and one ROM, one of 100 MB
// of short lines that name no file, and one of 100 MB of lines that name
// the same ROM.
//   romweld-list-bench ROMWELD_CLI [DATA_DIR]
#include "bench_roms.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    double seconds = -1;
    long peakKiB = 0;
    long errorLines = 0;
};

// Runs romweld-cli build on the list; its error output goes to errPath.
Run runBuild(const std::string& cli, const std::string& dir, const std::string& list)
{
    std::vector<std::string> words = {cli, "--dir", dir, "build", "-o", dir + "out.gba", "--list", list};
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const std::string errPath = dir + "err.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Run run;
    const auto start = Clock::now();
    pid_t pid = 0;
    int status = 0;
    rusage usage{};
    if (posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ) == 0 &&
        wait4(pid, &status, 0, &usage) == pid) {
        run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        run.peakKiB = usage.ru_maxrss;
    }
    posix_spawn_file_actions_destroy(&actions);
    std::ifstream err(errPath);
    for (std::string line; std::getline(err, line);) ++run.errorLines;
    return run;
}

// A list: the header, then lines made by line(i) until bytes are written.
template <typename Line>
void writeList(const std::string& path, std::size_t bytes, Line line)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "### ROMWELD NES List ###\r\n";
    std::string chunk;
    std::size_t written = 0;
    for (std::size_t i = 0; written < bytes; ++i) {
        chunk += line(i);
        if (chunk.size() >= (1 << 20)) {
            written += chunk.size();
            out << chunk;
            chunk.clear();
        }
    }
    out << chunk;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: romweld-list-bench ROMWELD_CLI [DATA_DIR]\n");
        return 2;
    }
    const std::string cli = argv[1];
    const std::string dir = benchFolder(argc > 2 ? argv[2] : nullptr, "romweld-list-bench");
    if (dir.empty() || !writeBenchProgramFolder(dir)) return 1;
    const std::string rom = dir + "roms/" + benchRomName(0);
    writeBenchFile(rom, benchRomBytes(40 * 1024, 0));

    const std::string blank = dir + "blank.lst";
    writeList(blank, 20'000'000, [](std::size_t) { return std::string("\r\n"); });
    std::ofstream(blank, std::ios::app) << rom << "\r\n";
    const std::string missing = dir + "missing.lst";
    writeList(missing, 100'000'000, [&](std::size_t i) { return dir + "x" + std::to_string(i) + "\n"; });
    const std::string same = dir + "same.lst";
    writeList(same, 100'000'000, [&](std::size_t) { return rom + "\n"; });

    std::printf("%-36s %10s %12s %12s\n", "list", "seconds", "peak MiB", "error lines");
    for (const auto& [label, list] : {std::pair{"20 MB of blank lines and one ROM", blank},
                                      {"100 MB of lines naming no file", missing},
                                      {"100 MB of lines naming one ROM", same}}) {
        const Run run = runBuild(cli, dir, list);
        std::printf("%-36s %10.2f %12.1f %12ld\n", label, run.seconds, static_cast<double>(run.peakKiB) / 1024.0,
                    run.errorLines);
    }
    return 0;
}
