// SPDX-License-Identifier: GPL-3.0-or-later
// List files: any bytes read as a list file. A list that reads is written
// back from a ROM list made of its paths and read again: the same paths in
// the same order, or a refusal that writes nothing.
#include "fuzz_support.h"

#include "file_io.h"
#include "list_file.h"
#include "rom_list.h"
#include "text_encoding.h"

#include <algorithm>
#include <cerrno>

namespace {

std::vector<std::string> listedPaths(const RomList& list)
{
    std::vector<std::string> paths;
    for (const RomEntry* e = list.head; e != nullptr; e = e->next) paths.push_back(e->path);
    return paths;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::string file = in.rest();
    const std::string path = scratchDir() + "roms.txt";
    putFile(path, file);

    std::vector<std::string> paths = {"untouched"};
    const ListResult read = readListFile(path, paths);
    const ListCode code = read.code;
    const int err = read.errorNumber;
    FUZZ_CHECK(code >= ListCode::Ok && code <= ListCode::LineHasNul);
    FUZZ_CHECK(code != ListCode::CantOpen && code != ListCode::ReadFailed);
    // Only a line too long is a reason; the file itself was read.
    FUZZ_CHECK(err == 0 || err == LINE_TOO_LONG);
    if (code == ListCode::LineTooLong) FUZZ_CHECK(err == LINE_TOO_LONG);
    if (code != ListCode::Ok) {
        FUZZ_CHECK(paths.size() == 1 && paths[0] == "untouched");
        return 0;
    }
    // Every path is a whole line: never empty, never cut at a NUL.
    for (const std::string& p : paths) {
        FUZZ_CHECK(isValidUtf8(p) && !p.empty() && p.find('\0') == std::string::npos);
    }

    std::unique_ptr<RomList> list = romListCreate();
    for (const std::string& p : paths) romListAddSized(list.get(), p, 0);
    const std::string copy = scratchDir() + "copy.txt";
    removeFile(copy);
    const ListResult written = writeListFile(copy, list.get());
    const std::vector<std::string> listed = listedPaths(*list);
    const bool tooLong = std::any_of(listed.begin(), listed.end(),
                                     [](const std::string& p) { return p.size() > LIST_LINE_MAX; });
    if (unlistablePath(list.get()) != nullptr) {
        FUZZ_CHECK(written == ListCode::PathHasLineBreak && !fileExists(copy));
    } else if (tooLong) {
        FUZZ_CHECK(written == ListCode::CantOpen && written.errorNumber == ENAMETOOLONG && !fileExists(copy));
    } else {
        FUZZ_CHECK(written.ok());
        std::vector<std::string> back;
        FUZZ_CHECK(readListFile(copy, back) == ListCode::Ok);
        FUZZ_CHECK(back == listed);
    }
    romListFree(list);
    return 0;
}
