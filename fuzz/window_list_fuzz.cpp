// SPDX-License-Identifier: GPL-3.0-or-later
// The window's kept list: any bytes read as the kept file. A list that reads
// is written back and read again, and so is a fuzzed image name: the same
// state, or a refusal that leaves the file as it was. The writer must never
// write what its reader refuses, or the next start would lose the list.
#include "fuzz_support.h"

#include "file_io.h"
#include "fuzz_formats.h"
#include "list_file.h"
#include "rom_list.h"
#include "text_encoding.h"

#include <cerrno>

namespace {

std::vector<std::string> listedPaths(const RomList& list)
{
    std::vector<std::string> paths;
    for (const RomEntry* e = list.head; e != nullptr; e = e->next) paths.push_back(e->path);
    return paths;
}

// Writes state with list's paths to path, then checks that what reads back
// is what was written, or that the refusal wrote nothing.
void writeAndReadBack(const std::string& path, const RomList& list, const WindowListState& state)
{
    const std::string before = fileExists(path) ? fileBytes(path) : std::string("(none)");
    const ListResult written = writeWindowList(path, &list, state);
    if (!written.ok()) {
        FUZZ_CHECK(written == ListCode::PathHasLineBreak ||
                   (written == ListCode::CantOpen && written.errorNumber == ENAMETOOLONG));
        FUZZ_CHECK((fileExists(path) ? fileBytes(path) : std::string("(none)")) == before);
        return;
    }
    WindowListState back;
    FUZZ_CHECK(readWindowList(path, back) == ListCode::Ok);
    FUZZ_CHECK(back.displayMode == state.displayMode);
    const bool oneLine = state.imageName.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
    FUZZ_CHECK(back.imageName == (oneLine ? state.imageName : std::string()));
    FUZZ_CHECK(back.paths == listedPaths(list));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t mode = in.byte();
    const std::string name = in.text();
    const std::string path = scratchDir() + "romweld-window.lst";
    putFile(path, in.rest());

    WindowListState state{9, "untouched", {"untouched"}};
    const ListResult read = readWindowList(path, state);
    const ListCode code = read.code;
    FUZZ_CHECK(code >= ListCode::Ok && code <= ListCode::LineHasNul);
    FUZZ_CHECK(code != ListCode::CantOpen && code != ListCode::ReadFailed);
    if (code != ListCode::Ok) {
        FUZZ_CHECK(state.displayMode == 9 && state.imageName == "untouched" && state.paths.size() == 1);
        return 0;
    }
    FUZZ_CHECK(isValidUtf8(state.imageName));
    for (const std::string& p : state.paths) FUZZ_CHECK(isValidUtf8(p));

    std::unique_ptr<RomList> list = romListCreate();
    for (const std::string& p : state.paths) romListAddSized(list.get(), p, 0);
    const std::string copy = scratchDir() + "copy.lst";
    removeFile(copy);
    writeAndReadBack(copy, *list, state);
    // What the window holds is UTF-8 whatever was typed; the display mode
    // is whatever the file said.
    if (isValidUtf8(name)) writeAndReadBack(copy, *list, {mode % 4 - 1, name, {}});
    const std::string longName(WINDOW_LIST_IMAGE_MAX + mode % 2, 'n');
    writeAndReadBack(copy, *list, {1, longName, {}});
    romListFree(list);
    return 0;
}
