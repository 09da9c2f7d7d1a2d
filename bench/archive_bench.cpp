// SPDX-License-Identifier: GPL-3.0-or-later
// How ROMs inside archives compare with the same ROMs as plain files: 300
// ROMs of 40 KiB, as files, in one .zip and in one .7z (one solid block).
// Timed: admitting them (an archive as a whole; and each member named on its
// own, as a list file names them, with one reader for the command) and
// writing the image, with the members in archive order and reversed. Best of
// RUNS.
//   romweld-archive-bench [DATA_DIR] [RUNS]
#include "archive_reader.h"
#include "image_writer.h"
#include "ini_profile.h"
#include "report.h"
#include "rom_admission.h"
#include "rom_list.h"

#include <archive.h>
#include <archive_entry.h>

#include "bench_roms.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int ROMS = 300;
constexpr std::size_t ROM_SIZE = 40 * 1024;

void writeArchive(const std::string& path, const char* format)
{
    archive* a = archive_write_new();
    archive_write_set_format_by_name(a, format);
    archive_write_open_filename(a, path.c_str());
    for (int i = 0; i < ROMS; ++i) {
        const std::string bytes = benchRomBytes(ROM_SIZE, static_cast<unsigned>(i), true);
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, benchRomName(i).c_str());
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_entry_set_size(e, static_cast<la_int64_t>(bytes.size()));
        archive_write_header(a, e);
        archive_write_data(a, bytes.data(), bytes.size());
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
}

double best(int runs, const std::function<void()>& job)
{
    double fastest = 1e9;
    for (int r = 0; r < runs; ++r) {
        const auto start = Clock::now();
        job();
        fastest = std::min(fastest, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return fastest;
}

std::unique_ptr<RomList> admit(const std::vector<std::string>& paths)
{
    auto list = romListCreate();
    CollectedReport report;
    ArchiveMemberReader shared;
    for (const std::string& path : paths) admitRomPath(list.get(), path, IniSnapshot(), false, report, &shared);
    if (list->count != ROMS) std::fprintf(stderr, "only %d ROMs admitted from %s\n", list->count, paths[0].c_str());
    return list;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = (argc > 1 ? std::string(argv[1]) : std::string("bench-data")) + "/archives/";
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    fs::create_directories(dir + "roms");
    writeBenchProgramFolder(dir);
    std::vector<std::string> files;
    for (int i = 0; i < ROMS; ++i) {
        files.push_back(dir + "roms/" + benchRomName(i));
        writeBenchFile(files.back(), benchRomBytes(ROM_SIZE, static_cast<unsigned>(i), true));
    }
    writeArchive(dir + "roms.zip", "zip");
    writeArchive(dir + "roms.7z", "7zip");

    std::printf("%d ROMs of %zu KiB; best of %d runs, seconds\n", ROMS, ROM_SIZE / 1024, runs);
    std::printf("%-8s %12s %14s %12s %16s %14s\n", "source", "admit whole", "admit members", "write image",
                "admit reversed", "write reversed");
    const auto row = [&](const char* label, const std::string& archive) {
        std::vector<std::string> members;
        for (int i = 0; i < ROMS; ++i) members.push_back(archive.empty() ? files[i] : archive + "::" + benchRomName(i));
        const std::vector<std::string> reversed(members.rbegin(), members.rend());
        const double whole = archive.empty() ? -1 : best(runs, [&] { admit({archive}); });
        const double named = best(runs, [&] { admit(members); });
        const auto timeWrite = [&](const RomList* list) {
            return best(runs, [&] {
                CollectedReport report;
                if (writeImage(dir, dir + "out.gba", list, DEFAULT_VARIANT, nullptr, report) != ImageWrite::Written) {
                    std::fprintf(stderr, "%s\n", report.problemText().c_str());
                }
            });
        };
        const double write = timeWrite(admit(members).get());
        const double namedBack = best(runs, [&] { admit(reversed); });
        const double writeBack = timeWrite(admit(reversed).get());
        const std::string wholeText = whole < 0 ? "-" : std::to_string(whole).substr(0, 6);
        std::printf("%-8s %12s %14.4f %12.4f %16.4f %14.4f\n", label, wholeText.c_str(), named, write, namedBack,
                    writeBack);
    };
    row("files", "");
    row("zip", dir + "roms.zip");
    row("7z", dir + "roms.7z");
    return 0;
}
