// SPDX-License-Identifier: GPL-3.0-or-later
// romweld.cfg: any bytes as the configuration of a program folder that holds
// a few shells and extra files. Every variant listed is usable and sized
// as the size estimate says, loading from the file gives the same table as
// loading from a snapshot, and the window's variant choice stays in range.
#include "fuzz_formats.h"
#include "fuzz_support.h"

#include "ini_profile.h"
#include "shell_config.h"

#include <sys/stat.h>

namespace {

using namespace shell_fuzz;

const std::string& programFolder()
{
    static const std::string dir = [] {
        const std::string path = scratchDir() + "program/";
        FUZZ_CHECK(::mkdir(path.c_str(), 0700) == 0);
        for (const ProgramFile& f : PROGRAM_FILES) {
            if (f.size < 0) {
                FUZZ_CHECK(::mkdir((path + f.name).c_str(), 0700) == 0);
            } else {
                putFile(path + f.name, std::string(static_cast<std::size_t>(f.size), 'x'));
            }
        }
        return path;
    }();
    return dir;
}

bool sameTable(const std::vector<ShellVariant>& a, const std::vector<ShellVariant>& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].imageSize != b[i].imageSize || a[i].isPocketNes != b[i].isPocketNes) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::string wanted = in.text();
    const std::string config = in.rest();
    const std::string& dir = programFolder();

    const IniSnapshot snapshot = IniSnapshot::parse(config);
    const std::vector<ShellVariant> table = loadShellVariants(dir, snapshot);
    for (const ShellVariant& v : table) {
        FUZZ_CHECK(!v.name.empty() && v.name.size() <= CONFIG_VALUE_MAX);
        FUZZ_CHECK(v.imageSize > 0);
        FUZZ_CHECK(v.imageSize == estimateShellSize(snapshot, dir, v.name));
        FUZZ_CHECK(v.isPocketNes == (isPocketNesSection(snapshot, v.name) ? 1 : 0));
        // The shell is never empty, and each extra file takes its header.
        const std::size_t extras = extraFileValuesOf(snapshot, v.name).size();
        FUZZ_CHECK(static_cast<std::size_t>(v.imageSize) > 44 * extras);
    }
    const int chosen = chooseVariantIndex(table, wanted);
    FUZZ_CHECK(table.empty() ? chosen == -1 : chosen >= 0 && static_cast<std::size_t>(chosen) < table.size());

    // The same from the file in the program folder.
    putFile(configPathOf(dir), config);
    FUZZ_CHECK(sameTable(loadShellVariants(dir), table));
    FUZZ_CHECK(estimateShellSize(dir) == estimateShellSize(snapshot, dir));
    return 0;
}
