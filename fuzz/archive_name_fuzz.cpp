// SPDX-License-Identifier: GPL-3.0-or-later
// Names of archive members (ARCHIVE::MEMBER): any archive name, member name
// and folder name, with the archive, a real folder whose name holds
// "x.zip::" and a file below it made or not. A name splits back into the
// archive and member it was joined from, unless a file of the whole name is
// there, which then wins; a split always names an archive and a member, and
// joins back to the name; the file names that titles and image names come
// from hold no separator; printed names hold no control character.
#include "fuzz_support.h"

#include "archive_path.h"
#include "path_text.h"
#include "rom_list.h"

#include <filesystem>
#include <system_error>

namespace {

constexpr const char* EXTENSIONS[] = {".zip", ".7z", ".gz", ".ZIP", "", ".nes", ".zip::", ""};

// A name's split, checked against what every split promises.
bool checkedSplit(const std::string& name, std::string& archive, std::string& member)
{
    if (!splitArchiveEntry(name, archive, member)) return false;
    FUZZ_CHECK(isArchivePath(archive) && !member.empty());
    FUZZ_CHECK(joinArchiveEntry(archive, member) == name);
    return true;
}

void checkNameHelpers(const std::string& name)
{
    const std::string file = romFileNameOf(name);
    FUZZ_CHECK(file.find_first_of("/\\") == std::string::npos);
    const std::string stem = romFileStemOf(name);
    FUZZ_CHECK(file.compare(0, stem.size(), stem) == 0);
    const std::string shown = printableText(name);
    FUZZ_CHECK(!hasControlCharacter(shown));
    if (!hasControlCharacter(name)) FUZZ_CHECK(shown == name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t flags = in.byte();
    const std::string dir = scratchDir() + "names/";
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    std::filesystem::create_directories(dir);

    const std::string archive = dir + fileNameFrom(in.text()) + EXTENSIONS[flags & 7];
    const std::string folder = archive + "::" + fileNameFrom(in.text());
    const std::string below = folder + "/" + fileNameFrom(in.text());
    // A member name may hold anything a list line can: no NUL, no line break.
    std::string member = in.rest();
    for (char& c : member) {
        if (c == '\0' || c == '\n' || c == '\r') c = '_';
    }
    const bool archiveThere = (flags & 8) != 0;
    if (archiveThere) putFile(archive, "PK");
    const bool folderThere = (flags & 16) != 0 && std::filesystem::create_directory(folder, ec);
    if (folderThere && (flags & 32) != 0) putFile(below, "NES\x1A");

    std::string left;
    std::string right;
    const std::string joined = joinArchiveEntry(archive, member);
    const bool joinedThere = std::filesystem::exists(joined, ec);
    if (checkedSplit(joined, left, right)) {
        FUZZ_CHECK(!joinedThere);
        // The archive that is there is the one the name leads back to.
        if (archiveThere && isArchivePath(archive) && !member.empty()) {
            FUZZ_CHECK(left == archive && right == member);
        }
        FUZZ_CHECK(romIdentityOf(joined).rfind(archiveThere && left == archive ? "member:" : "", 0) == 0);
    } else if (!joinedThere && !member.empty() && isArchivePath(archive)) {
        // Only a file of the whole name keeps a member name from splitting.
        FUZZ_CHECK(false);
    }
    checkNameHelpers(joined);

    // What is there wins over the archive reading of its name.
    if (std::filesystem::exists(below, ec)) {
        FUZZ_CHECK(!checkedSplit(below, left, right));
        FUZZ_CHECK(romIdentityOf(below).rfind("file:", 0) == 0);
        checkNameHelpers(below);
    }
    if (folderThere) FUZZ_CHECK(!checkedSplit(folder, left, right));
    return 0;
}
