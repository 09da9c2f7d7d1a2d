// SPDX-License-Identifier: GPL-3.0-or-later
// Archives: any bytes read as a .zip, .7z or .gz through the archive reader
// and admitted as ROMs. A listing keeps its promises (no member beyond
// 32 MiB, first bytes that are the member's), a member that lists well
// streams as listed, and admission adds exactly the NES ROMs that listed
// well.
#include "fuzz_formats.h"
#include "fuzz_support.h"

#include "archive_path.h"
#include "archive_reader.h"
#include "ini_profile.h"
#include "report.h"
#include "rom_admission.h"
#include "rom_list.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace {

using namespace archive_fuzz;

// A member streamed as an image would read it: its bytes, or a problem.
// reader (when given) is shared with other members.
void checkStream(const std::string& path, const ArchiveMember& member, ArchiveMemberReader* shared = nullptr)
{
    ArchiveMemberReader own;
    ArchiveMemberReader& reader = shared != nullptr ? *shared : own;
    if (reader.open(path, member.name) != ArchiveProblem::None) {
        FUZZ_CHECK(!reader.reason().empty());
        return;
    }
    FUZZ_CHECK(reader.size() >= 0 && reader.size() <= ARCHIVE_MEMBER_MAX);
    std::vector<unsigned char> head;
    std::vector<unsigned char> buffer(4096);
    std::int64_t total = 0;
    for (std::size_t got = 0; (got = reader.read(buffer.data(), buffer.size())) > 0;) {
        FUZZ_CHECK(got <= buffer.size());
        if (head.size() < ARCHIVE_HEAD_SIZE) {
            head.insert(head.end(), buffer.begin(),
                        buffer.begin() + static_cast<long>(std::min(got, ARCHIVE_HEAD_SIZE - head.size())));
        }
        total += static_cast<std::int64_t>(got);
        FUZZ_CHECK(total <= ARCHIVE_MEMBER_MAX);
    }
    if (reader.problem() != ArchiveProblem::None) {
        FUZZ_CHECK(!reader.reason().empty());
        return;
    }
    // Read to its end without a problem, the member is what the listing saw.
    FUZZ_CHECK(total == member.size);
    FUZZ_CHECK(head.size() == member.headSize);
    FUZZ_CHECK(std::equal(head.begin(), head.end(), member.head.begin()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::string name = NAMES[in.byte() % NAME_COUNT];
    const std::string path = scratchDir() + name;
    putFile(path, in.rest());

    const ArchiveListing listing = listArchive(path);
    FUZZ_CHECK(listing.problem >= ArchiveProblem::None && listing.problem <= ArchiveProblem::TooLarge);
    FUZZ_CHECK(listing.problem != ArchiveProblem::CantOpen && listing.problem != ArchiveProblem::NoMember);
    FUZZ_CHECK((listing.problem == ArchiveProblem::None) == listing.reason.empty());
    std::unordered_set<std::string> names;
    int goodRoms = 0;
    for (const ArchiveMember& member : listing.members) {
        FUZZ_CHECK(names.insert(member.name).second);
        FUZZ_CHECK(member.problem >= ArchiveProblem::None && member.problem <= ArchiveProblem::TooLarge);
        FUZZ_CHECK((member.problem == ArchiveProblem::None) == member.reason.empty());
        if (member.problem != ArchiveProblem::None) continue;
        FUZZ_CHECK(!member.name.empty() && member.name.find_first_of("\r\n") == std::string::npos);
        FUZZ_CHECK(member.size >= 0 && member.size <= ARCHIVE_MEMBER_MAX);
        FUZZ_CHECK(member.headSize == std::min<std::size_t>(ARCHIVE_HEAD_SIZE, static_cast<std::size_t>(member.size)));
        if (member.headSize >= 4 && std::memcmp(member.head.data(), "NES\x1A", 4) == 0) ++goodRoms;
        // A member named with "::" of its own still leads back to it.
        std::string archive;
        std::string inside;
        FUZZ_CHECK(splitArchiveEntry(joinArchiveEntry(path, member.name), archive, inside));
        FUZZ_CHECK(archive == path && inside == member.name);
        checkStream(path, member);
    }

    // Announced and read in reverse order, the members kept on the way are
    // the same as those streamed one by one.
    ArchiveMemberReader announced;
    for (const ArchiveMember& member : listing.members) {
        if (member.problem == ArchiveProblem::None) announced.expect(path, member.name);
    }
    for (auto it = listing.members.rbegin(); it != listing.members.rend(); ++it) {
        if (it->problem == ArchiveProblem::None) checkStream(path, *it, &announced);
    }

    auto list = romListCreate();
    CollectedReport report;
    const Admission admitted = admitRomPath(list.get(), path, IniSnapshot(), true, report);
    FUZZ_CHECK(admitted.added == list->count);
    FUZZ_CHECK(admitted.code == (list->count > 0 ? AdmitCode::Added : AdmitCode::Refused));
    // Each NES ROM listed well is one entry at most.
    FUZZ_CHECK(list->count <= goodRoms);
    for (const RomEntry* e = list->head; e != nullptr; e = e->next) {
        FUZZ_CHECK(e->sourceBytes >= 0 && e->sourceBytes <= ARCHIVE_MEMBER_MAX);
        FUZZ_CHECK(e->title.has_value() && e->pocketTitle.has_value());
    }
    romListFree(list);
    return 0;
}
